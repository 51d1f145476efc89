// Hostile links and failures: bombs that unpack into a gigabyte, the
// heaviest level a link may carry, the page's inflate called directly, a
// run of the built-in level alone, and failures that say why in the panel.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { execFileSync } = require('child_process');
const h = require('./harness');
const { check, state, native, leveltool, giveFiles, noteFor, runCodeOf, linkTo, codeOf } = h;
// The renderers' resident sizes now, and the most each ever had (kB).
function renderers() {
  const out = {};
  for (const line of execFileSync('ps', ['-eo', 'pid=,args=']).toString().split('\n')) {
    const m = /^\s*(\d+)\s.*--type=renderer/.exec(line);
    if (!m) continue;
    try {
      const status = fs.readFileSync(`/proc/${m[1]}/status`, 'utf8');
      out[m[1]] = { rss: +/VmRSS:\s*(\d+)/.exec(status)[1], peak: +/VmHWM:\s*(\d+)/.exec(status)[1] };
    } catch (e) { /* gone meanwhile */ }
  }
  return out;
}
// How far any renderer grew past where it stood `before`, in MB: its peak
// since, an upper bound when the peak came earlier.
const grewMB = before => Math.max(0, ...Object.entries(renderers())
  .filter(([pid]) => before[pid]).map(([pid, now]) => (now.peak - before[pid].rss) / 1024));

// Raw deflate of `mb` megabytes of zeros, made a megabyte at a time.
function zeroBomb(mb) {
  return new Promise(resolve => {
    const deflate = zlib.createDeflateRaw({ level: 9 }), parts = [], zeros = Buffer.alloc(1 << 20);
    deflate.on('data', d => parts.push(d));
    deflate.on('end', () => resolve(Buffer.concat(parts)));
    let left = mb;
    const more = () => {
      while (left > 0) { left--; if (!deflate.write(zeros)) { deflate.once('drain', more); return; } }
      deflate.end();
    };
    more();
  });
}

// The longest gap between two frames the page paints, from now (window.gap).
const watchGaps = page => page.evaluate(() => {
  window.gap = 0;
  let last = performance.now();
  const frame = t => { window.gap = Math.max(window.gap, t - last); last = t; requestAnimationFrame(frame); };
  requestAnimationFrame(frame);
});

async function hostile(browser, log, dir) {
  const context = await h.newContext(browser, { viewport: { width: 600, height: 800 } });
  const level = codeOf(linkTo(browser.url, path.join(h.levels, 'gun.bmp')));

  // Bombs: a link, a run link and a run file that unpack into a gigabyte
  // are refused as they unpack: the page neither grows nor stalls.
  const bomb = await zeroBomb(1024);
  const bombs = [['a level link', 'This link\'s level cannot be played: the link\'s code unpacks to more than any level can be',
    page => page.evaluate(code => { window.gaveAt = performance.now(); location.hash = 'level=' + code; }, '1' + bomb.toString('base64url'))],
  ['a run link', 'This run cannot be played: the run\'s code unpacks to more than any run can be',
    page => page.evaluate(code => { window.gaveAt = performance.now(); location.hash = 'run=' + code; }, 'r' + bomb.toString('base64url'))],
  ['a run file', 'This run cannot be played: bomb.qrun unpacks to more than any run can be',
    page => giveFiles(page, [{ name: 'bomb.qrun', bytes: Buffer.concat([Buffer.from('QBRZ'), bomb]) }])]];
  for (const [kind, words, give] of bombs) {
    const page = await h.open(context, '', log);
    await watchGaps(page);
    await page.evaluate(() => {
      // When the refusal shows, timed in the page (handing the test's
      // megabytes of code to the page is no part of it).
      new MutationObserver(() => {
        if (!window.saidAt && /cannot be played/.test(document.getElementById('note').textContent)) window.saidAt = performance.now();
      }).observe(document.getElementById('note'), { childList: true, characterData: true, subtree: true });
      window.gaveAt = 0;
    });
    await h.painted(page, 3); // the watch has begun
    const before = renderers(), began = Date.now();
    await give(page);
    const seen = await noteFor(page, 'cannot be played');
    const timed = await page.evaluate(() => window.gaveAt ? window.saidAt - window.gaveAt : 0);
    const took = timed || Date.now() - began;
    await h.painted(page, 3); // a stall after the refusal shows in the gap

    const grew = grewMB(before), gap = await page.evaluate(() => window.gap), st = await state(page);
    console.log(`     ${kind}, a bomb of 1 GB in ${bomb.length} bytes: refused in ${Math.round(took)} ms, ` +
      `the renderer grew ${grew.toFixed(0)} MB, the longest frame gap ${gap.toFixed(0)} ms`);
    check(`${kind} that unpacks into a gigabyte is refused as it unpacks, in words that name it; the game goes on`,
      seen && seen.text === words && grew < 300 && gap < 1500 && took < 1500 && st.ended === null,
      JSON.stringify({ seen, grew, gap, took }));
    await page.close();
  }
  // The heaviest level the budget lets through: 4096 cells a side, pillars
  // on every other cell of the first 960 rows (about 3.9 million wall faces,
  // near the memory a level may take). Its link plays without a long stall.
  let page = await h.open(context, '', log);
  {
    const side = 4096, rows = [];
    for (let y = 0; y < side; y++) {
      if (y === 0 || y === side - 1) { rows.push('#'.repeat(side)); continue; }
      const row = Array(side).fill('.');
      row[0] = row[side - 1] = '#';
      if (y % 2 === 0 && y < 960) for (let x = 2; x < side - 2; x += 2) row[x] = '#';
      if (y === side - 10) row[10] = 'P';
      rows.push(row.join(''));
    }
    const map = path.join(dir, 'heaviest.txt'), bmp = path.join(dir, 'heaviest.bmp');
    fs.writeFileSync(map, rows.join('\n') + '\n');
    execFileSync(leveltool, ['make', map, bmp]);
    const code = codeOf(linkTo(browser.url, bmp));
    await watchGaps(page);
    const games = await page.evaluate(() => Quibbo.state.games);
    await page.evaluate(code => { location.hash = 'level=' + code; }, code);
    await page.waitForFunction(g => Quibbo.state.games > g && Quibbo.state.ended === null, games,
      { timeout: 20000 }).catch(() => {});
    // The level built and played a while: a stall in either is in the gap.
    await h.running(page, 30).catch(() => {});
    await h.painted(page, 3);
    const seen = await page.evaluate(() => ({ games: Quibbo.state.games, gap: window.gap,
      note: document.getElementById('note').textContent }));
    console.log(`     a valid 4096 x 4096 level link (${code.length} characters): the longest frame gap ${seen.gap.toFixed(0)} ms`);
    check('the heaviest level a link may carry plays with no stall over 1.5 s',
      seen.games > games && seen.note === 'Plays the link\'s level' && seen.gap < 1500, JSON.stringify(seen));
    fs.rmSync(map); fs.rmSync(bmp);
  }
  await page.close();

  // Called directly, the page's inflate stops at its limit as well.
  page = await h.open(context, '', log);
  const direct = await page.evaluate(async b64 => {
    const bytes = Uint8Array.from(atob(b64), c => c.charCodeAt(0)), began = performance.now();
    const why = await QuibboCode.inflate(bytes, 1 << 20).then(() => '', e => e.message);
    return { why, ms: performance.now() - began };
  }, bomb.toString('base64'));
  console.log(`     the page's inflate, called directly: refused in ${direct.ms.toFixed(0)} ms`);
  check('the page\'s inflate refuses a bomb within a second', direct.why.includes('unpacks to more than') &&
    direct.ms < 1000, JSON.stringify(direct));
  await page.close();

  // A run of the built-in level alone replays in a fresh page, and a level
  // link pasted afterwards plays.
  const empty = path.join(dir, 'no-levels');
  fs.mkdirSync(empty, { recursive: true });
  const builtin = path.join(dir, 'builtin.qrun');
  execFileSync(native, ['--headless', '--levels', empty, '--frames', '200', '--record', builtin]);
  page = await h.open(context, '', log, '#run=' + runCodeOf(builtin), false);
  await page.waitForFunction(() => Quibbo.state.games > 0 || !document.getElementById('ended').hidden, null,
    { timeout: 10000 }).catch(() => {});
  const replaying = await page.evaluate(() => ({ games: Quibbo.state.games, replay: Quibbo.state.replay,
    panel: document.getElementById('ended').hidden ? '' : document.getElementById('ended-text').textContent }));
  const games = replaying.games;
  await page.evaluate(code => { location.hash = 'level=' + code; }, level);
  await page.waitForFunction(g => Quibbo.state.games > g && Quibbo.levelsDir.startsWith('/levels/') &&
    Quibbo.state.ended === null && !Quibbo.state.replay, games, { timeout: 10000 }).catch(() => {});
  const after = await page.evaluate(() => ({ games: Quibbo.state.games, dir: Quibbo.levelsDir,
    note: document.getElementById('note').textContent }));
  check('a run of the built-in level alone replays in a fresh page; a level link pasted then plays',
    games === 1 && replaying.replay && replaying.panel === '' && after.games === 2 &&
    /^\/levels\/\d+\/$/.test(after.dir) && after.note === 'Plays the link\'s level', JSON.stringify({ replaying, after }));
  await page.close();

  // Failures say why in the panel, never "Thanks for playing".
  const failures = [['a replay of a missing file', '--replay /nowhere.qrun', '', /^quibbo: .*nowhere\.qrun/],
    ['a picture that cannot be saved', '--headless --frames 5 --screenshot /no/such/folder/x.bmp', '', /^quibbo: .*x\.bmp/],
    ['a key script that cannot be read, with a level link', '--keys @/dev/urandom', '#level=' + level, /^quibbo: .*keys/]];
  for (const [kind, args, hash, reason] of failures) {
    page = await h.open(context, args, log, hash, false);
    const lines = [];
    page.on('console', m => lines.push(m.text()));
    await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).catch(() => {});
    // Nothing more may come: no note, no second line on the panel.
    await page.waitForTimeout(300);
    const seen = await page.evaluate(() => ({ text: document.getElementById('ended-text').textContent,
      note: document.getElementById('note').textContent, on: [...document.querySelectorAll('#ended a, #ended button')]
        .filter(e => !e.hidden).map(e => e.id) }));
    check(`${kind} says why in the panel, with a way on`, reason.test(seen.text) && !seen.text.includes('\n') &&
      seen.note === '' && seen.on.length > 0 && !lines.some(l => l.includes('cannot be kept')),
      JSON.stringify({ seen, lines }));
    await page.close();
  }
  await context.close();
}

module.exports = { hostile };
