// Files given to the page, by kind: each is played, or refused by name with
// its reason, and the page keeps one set at a time; and the address's
// command line, which the page refuses at once when it cannot be allowed.
'use strict';
const fs = require('fs');
const path = require('path');
const h = require('./harness');
const { check, state, visible, giveFiles, noteFor, filesUnder } = h;

async function levelFiles(browser, log) {
  const context = await h.newContext(browser, { viewport: { width: 1000, height: 780 } });
  const page = await h.open(context, '', log);
  const onedot = fs.readFileSync(path.join(h.levels, 'onedot.bmp'));

  // The same level picked 12 times: one set in memory.
  for (let i = 0; i < 12; i++) {
    const games = (await state(page)).games;
    await page.setInputFiles('#pick', { name: 'QB00.BMP', mimeType: 'image/bmp', buffer: onedot });
    await page.waitForFunction(g => Quibbo.state.games > g, games);
  }
  const held = await filesUnder(page, '/levels');
  const heap = await page.evaluate(() => performance.memory ? performance.memory.usedJSHeapSize : 0);
  console.log(`     after 12 picks: ${held.count} level files, ${held.bytes} bytes under /levels, JS heap ${(heap / 1048576).toFixed(1)} MB`);
  check('12 picks of one level keep one set of files', held.count === 1 && held.bytes === onedot.length, JSON.stringify(held));

  // Refusals, one kind a row: the note names the file and says why, and
  // does not announce it as played.
  const limit = await page.evaluate(() => Module._WebMaxLevelFileBytes());
  const refusals = [
    ['zero bytes', { name: 'QB00.BMP', bytes: Buffer.alloc(0) }],
    ['not a BMP', { name: 'QB00.BMP', bytes: Buffer.alloc(300, 7) }],
    ['truncated', { name: 'QB00.BMP', bytes: onedot.subarray(0, 600) }],
    ['over the level budget', { name: 'QB00.BMP', bytes: h.crowdedLevel(1024) }],
    ['over the size limit', { name: 'QB00.BMP', size: limit + 1 }],
    ['700 MB', { name: 'QB00.BMP', size: 700 << 20 }],
    ['unreadable', { name: 'QB00.BMP', unreadable: true }],
    ['a refused second level', { name: 'QB01.BMP', bytes: Buffer.alloc(300, 7) }, { name: 'QB00.BMP', bytes: onedot }],
  ];
  for (const [kind, ...files] of refusals) {
    await page.evaluate(() => { document.getElementById('note').textContent = ''; });
    const start = Date.now();
    await giveFiles(page, files);
    const shown = await noteFor(page, 'refused QB0');
    const ms = Date.now() - start;
    const read = await page.evaluate(() => window.readBytes);
    if (files[0].size) console.log(`     ${kind}: refused in ${ms} ms, ${read} bytes read`);
    const text = shown ? shown.text : '';
    const reason = (/refused (QB0\d\.BMP): (.+)/.exec(text) || [])[2] || '';
    const played = files.length > 1 ? /Plays 1 level: QB00\.BMP/.test(text) : /Plays the built-in level/.test(text);
    check(`a level file ${kind} is refused by name, with why`, shown && text.includes('refused ' + files[0].name) &&
      reason.length > 8 && played && read === 0 && !/QB00\.BMP;/.test(text.replace(/Plays 1 level: QB00\.BMP;/, '')),
      text);
  }

  // 150 levels: QB100.BMP and on are the game's too; the note stays a line.
  const many = Array.from({ length: 150 }, (_, n) => ({ name: 'QB' + String(n).padStart(2, '0') + '.BMP', bytes: onedot }));
  await giveFiles(page, many);
  const summary = await noteFor(page, 'Plays 150');
  const offered = await page.evaluate(() => Module.FS.analyzePath(Quibbo.levelsDir + 'QB149.BMP').exists);
  check('150 levels are all taken, the note one line', summary && offered &&
    /150 levels: QB00\.BMP \u2026 QB149\.BMP/.test(summary.text) && summary.height < 1.5 * summary.line &&
    (await filesUnder(page, '/levels')).count === 150, JSON.stringify(summary));

  // Past a gap the game stops: those files are not announced as played.
  await giveFiles(page, [{ name: 'QB00.BMP', bytes: onedot }, { name: 'QB02.BMP', bytes: onedot }]);
  const gap = await noteFor(page, 'not reached');
  check('levels past a gap are said not to be reached', gap &&
    gap.text === 'Plays 1 level: QB00.BMP; 1 more not reached (QB01.BMP missing)', JSON.stringify(gap));

  // A picture leaves nothing in the page's /tmp once downloaded.
  await h.running(page);
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 5000 }).catch(() => null),
    page.click('#shot')]);
  const left = await page.evaluate(() => Module.FS.readdir('/tmp').filter(n => /\.bmp$/i.test(n)));
  check('a picture leaves no file behind', download && left.length === 0, JSON.stringify(left));
  await context.close();

  // A level dropped before quibbo.wasm has loaded waits for it.
  const late = await browser.newContext({ viewport: { width: 1000, height: 780 } });
  await late.route('**/quibbo.wasm', async route => { await new Promise(r => setTimeout(r, 1500)); await route.continue(); });
  const early = await late.newPage();
  early.on('pageerror', e => log.push('page error: ' + e.message));
  early.on('console', m => { if (m.type() === 'error') log.push(m.text()); });
  await early.goto(`${browser.url}/index.html`, { waitUntil: 'domcontentloaded' });
  const before = await early.evaluate(() => !Module.calledRun);
  await giveFiles(early, [{ name: 'QB00.BMP', bytes: onedot }]);
  const waited = await noteFor(early, 'Plays 1 level: QB00.BMP');
  const on = await early.waitForFunction(() => Quibbo.levelsDir && Quibbo.state.games >= 2 && Quibbo.state.ended === null,
    null, { timeout: 10000 }).then(() => true, () => false);
  check('a level dropped before the game has loaded waits and is played', before && waited && on,
    JSON.stringify({ before, waited, on }));
  await late.close();
}

// The address's command line, by kind: what the page cannot allow, or the
// game cannot read, ends at once with one line on the page.
async function address(browser, log) {
  const context = await browser.newContext({ viewport: { width: 600, height: 800 } });
  const cases = [
    ['a key script from a device', '--headless --keys @/dev/urandom', /^quibbo: --keys: \/dev\/urandom: /],
    ['a key script from stdin', '--headless --keys @/dev/stdin', /^quibbo: --keys: \/dev\/stdin: /],
    ['a key script outside the page\'s files', '--headless --keys @/levels/../etc/passwd', /^quibbo: --keys: /],
    ['an unknown option', '--headless --no-such-option', /^quibbo: .*no-such-option/],
  ];
  for (const [kind, args, message] of cases) {
    const page = await context.newPage();
    page.on('pageerror', e => log.push('page error: ' + e.message));
    page.on('console', m => { if (m.type() === 'error') log.push(m.text()); });
    await page.addInitScript(() => { window.prompted = 0; window.prompt = () => { window.prompted++; return null; }; });
    const start = Date.now();
    await page.goto(`${browser.url}/index.html?args=${encodeURIComponent(args)}`);
    const shown = await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).then(() => true, () => false);
    const ms = Date.now() - start;
    const text = await page.textContent('#ended-text');
    const prompted = await page.evaluate(() => window.prompted);
    check(`?args= with ${kind} ends at once with its line on the page`, shown && message.test(text) &&
      !text.includes('\n') && prompted === 0 && ms < 5000 && !(await visible(page, 'new-game')),
      JSON.stringify({ text, prompted, ms }));
    await page.close();
  }
  await context.close();
}

module.exports = { levelFiles, address };
