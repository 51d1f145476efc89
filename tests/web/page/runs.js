// Runs: recorded in the page, replayed natively, and the other way; a
// link's level inside its run; broken runs; run files dropped and links
// pasted; how long a link a long run makes.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { execFileSync } = require('child_process');
const h = require('./harness');
const { check, state, visible, native, pictures, hold, passesOf, passesGoBy, figuresAfter, replayed, sharedLink, quit,
  giveFiles, noteFor, filesUnder, running, runCodeOf, flip } = h;

// The end panel's buttons that show.
const offered = page => page.$$eval('#ended button, #ended a', b => b.filter(e => !e.hidden).map(e => e.id));

async function runs(browser, log, dir) {
  const context = await h.newContext(browser, { viewport: { width: 1000, height: 780 }, acceptDownloads: true });

  // 1. A game played with keys in the canvas; its run, downloaded, replays
  // natively to the same figures and the same last picture.
  let page = await h.open(context, '--stats', log);
  const played = await figuresAfter(page, async () => {
    await hold(page, 'ArrowUp', passesOf(700));
    await hold(page, 'ArrowRight', passesOf(250));
    await page.keyboard.press('Space');
    await hold(page, 'ArrowUp', passesOf(400));
    await quit(page);
  });
  await page.waitForSelector('#download-run:not([hidden])', { timeout: 5000 }).catch(() => {});
  const buttons = await offered(page);
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 5000 }).catch(() => null),
    page.click('#download-run').catch(() => {})]);
  const file = path.join(dir, 'page.qrun'), shot = path.join(dir, 'page-replayed.bmp');
  if (download) await download.saveAs(file);
  let replayedNatively = null, differ = -1;
  if (fs.existsSync(file)) {
    replayedNatively = h.nativeFigures(['--replay', file, '--headless', '--stats', '--screenshot', shot]);
    differ = await h.pixelsDiffer(page, shot);
  }
  check('a game played with keys: its downloaded run replays natively to the page\'s figures and picture',
    played && replayedNatively && JSON.stringify(replayedNatively) === JSON.stringify(played) && played.message_boxes.length === 1 &&
    download.suggestedFilename().match(/^quibbo-run-\d{3}\.qrun$/) && differ === 0 &&
    JSON.stringify(buttons) === JSON.stringify(['new-game', 'share-run', 'download-run']),
    JSON.stringify({ played, replayedNatively, differ, buttons, name: download && download.suggestedFilename() }));

  // Its link: the length, and the link opens in a fresh browser (a context
  // of its own) and replays there too, at the run's own pace.
  const link = await sharedLink(page);
  const size = await page.textContent('#run-link-size').catch(() => '');
  const sheet = await page.evaluate(() => typeof navigator.share === 'function');
  check('the run\'s Share... is offered only where the browser has a share sheet', (await visible(page, 'send-run')) === sheet,
    String(sheet));
  console.log(`     the page's run of ${played ? played.frames : '?'} frames: a link of ${link.length} characters`);
  await page.close();
  const fresh = await h.newContext(browser, { viewport: { width: 600, height: 800 } });
  page = await fresh.newPage();
  h.watch(page, log);
  await page.goto(link.replace('/#', '/index.html?args=--stats#'));
  await page.waitForFunction(() => window.Quibbo && Quibbo.state.games > 0, null, { timeout: 20000 }).catch(() => {});
  const start = Date.now();
  const again = await replayed(page);
  const seconds = (Date.now() - start) / 1000;
  check('the run\'s link, in a fresh browser, replays the game at its pace', /#run=r[\w-]+$/.test(link) &&
    size === `${link.length} characters` && again && JSON.stringify(again) === JSON.stringify(played) &&
    seconds > 0.8 * played.frames / 60, JSON.stringify({ again, seconds, size }));
  await fresh.close();

  // 2. A run recorded natively replays in the page to the same figures and
  // picture: in the canvas from its link, and with --headless at once.
  const keys = '20:+up,70:-up,75:+left,95:-left,100:fire,110:+up,180:-up,190:escape';
  const record = path.join(dir, 'native.qrun'), nativeShot = path.join(dir, 'native-run.bmp');
  const recorded = h.nativeFigures(['--headless', '--frames', '260', '--keys', keys, '--seed', '11',
    '--answers', 'no', '--record', record, '--stats', '--screenshot', nativeShot]);
  const code = runCodeOf(record);
  for (const [how, args] of [['in the canvas from its link', '--stats'], ['headless (--replay --headless --stats)', '--headless --stats']]) {
    page = await h.open(context, args, log, '#run=' + code, false);
    if (pictures && how.startsWith('in')) {
      await page.waitForFunction(() => Quibbo.state.passes > 150, null, { timeout: 20000 }).catch(() => {});
      await page.screenshot({ path: path.join(pictures, 'page-replaying.png') });
    }
    const got = await replayed(page);
    const off = await h.pixelsDiffer(page, nativeShot);
    const shown = await page.evaluate(() => ({ replay: Quibbo.state.replay, files: Module.FS.readdir('/runs').length - 2,
      said: document.getElementById('ended-text').textContent }));
    if (pictures && how.startsWith('in')) await page.screenshot({ path: path.join(pictures, 'page-replayed.png') });
    check(`a native run replays ${how}: the same figures and picture`, got &&
      JSON.stringify(got) === JSON.stringify(recorded) && off === 0 && shown.replay === '/runs/1.qrun' && shown.files === 1 &&
      shown.said === 'The end of the run',
      JSON.stringify({ got, recorded, off, shown }));
    await page.close();
  }

  // 3. A link's level travels inside its run: played in one page, the run's
  // link replays it in a fresh one, where "Play this level" plays that level.
  const levelLink = h.linkTo(browser.url, path.join(h.levels, 'gun.bmp')), levelCode = h.codeOf(levelLink);
  const gun = h.unlinked(dir, 'run-level', levelLink);
  page = await h.open(context, '--stats', log, '#level=' + levelCode);
  const onLevel = await figuresAfter(page, async () => {
    await hold(page, 'ArrowUp', passesOf(500));
    await page.keyboard.press('Space');
    await hold(page, 'ArrowLeft', passesOf(300));
    await quit(page);
  });
  const levelRun = await sharedLink(page);
  await page.close();
  const other = await h.newContext(browser, { viewport: { width: 600, height: 800 } });
  page = await other.newPage();
  h.watch(page, log);
  await page.goto(levelRun.replace('/#', '/index.html?args=--stats#'));
  const carried = await replayed(page);
  const after = await offered(page);
  const count = page.stats.length;
  await page.click('#play-run').catch(() => {});
  await running(page).catch(() => {});
  const playing = await state(page);
  const fresh2 = await figuresAfter(page, () => quit(page));
  check('a link\'s level travels in its run: replayed in a fresh browser, then "Play this level" plays it',
    onLevel && carried && JSON.stringify(carried) === JSON.stringify(onLevel) && after.includes('play-run') &&
    playing.games === 2 && playing.replay === '' && fresh2 && page.stats.length === count + 1 &&
    fresh2.dots_left === gun.dots && fresh2.level === 0,
    JSON.stringify({ onLevel, carried, after, playing, fresh2 }));

  // Broken runs, one kind a row: one line, nothing played, nothing kept.
  const body = zlib.inflateRawSync(fs.readFileSync(record).subarray(4));
  const newer = Buffer.from(body);
  newer[4] = 3; // the version
  newer.writeUInt32LE(zlib.crc32(newer.subarray(0, newer.length - 4)), newer.length - 4);
  const broken = [
    ['a flipped character', flip(code, code.length >> 1), null],
    ['a flipped last character', flip(code, code.length - 1), null],
    ['cut short', code.slice(0, code.length >> 1), null],
    ['a newer format', 'r' + zlib.deflateRawSync(newer).toString('base64url'), /newer Quibbo/],
    ['a level link\'s code', levelCode, /format/],
  ];
  for (const [kind, bad, why] of broken) {
    page = await h.open(other, '', log, '#run=' + bad, false);
    const shown = await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).then(() => true, () => false);
    // Nothing may start: a game, had one wrongly started, would by now.
    await page.waitForTimeout(300);
    const seen = await page.evaluate(() => ({ text: document.getElementById('ended-text').textContent,
      games: Quibbo.state.games, files: Module.FS.analyzePath('/runs').exists ? Module.FS.readdir('/runs').length - 2 : 0 }));
    check(`a run link with ${kind} is refused in one line, nothing played`, shown && seen.games === 0 &&
      seen.files === 0 && /^This run cannot be played: [a-z].{8,}$/.test(seen.text) && !seen.text.includes('\n') &&
      (!why || why.test(seen.text)), JSON.stringify(seen));
    await page.close();
  }

  // A run file dropped on the page (a game going on) replays, and so does a
  // run's link pasted into its address; a file that is not a run is refused
  // by name, and the game goes on.
  page = await h.open(other, '--stats', log);
  const limit = await page.evaluate(() => Module._WebMaxRunBodyBytes());
  await giveFiles(page, [{ name: 'huge.qrun', size: limit + 1 }]);
  const huge = await noteFor(page, 'huge.qrun');
  const read = await page.evaluate(() => window.readBytes);
  await giveFiles(page, [{ name: 'not-a-run.qrun', bytes: Buffer.from('hello') }]);
  const refused = await noteFor(page, 'not-a-run');
  const games = (await state(page)).games;
  await giveFiles(page, [{ name: 'native.qrun', bytes: fs.readFileSync(record) }]);
  await page.waitForFunction(g => Quibbo.state.games > g, games, { timeout: 10000 }).catch(() => {});
  const dropped = await replayed(page, page.stats.length); // after the figures of the game it ended
  if (await visible(page, 'new-game')) await page.click('#new-game');
  await running(page);
  const before = await state(page);
  await page.evaluate(code => { location.hash = 'run=' + code; }, code);
  await page.waitForFunction(g => Quibbo.state.games > g, before.games, { timeout: 10000 }).catch(() => {});
  const pasted = await replayed(page, page.stats.length);
  const kept = await filesUnder(page, '/runs');
  check('a dropped run file and a pasted run link replay; a file that is not a run, or too large (unread), is refused by name',
    refused && /^This run cannot be played: not-a-run\.qrun/.test(refused.text) && huge && read === 0 &&
    /^This run cannot be played: huge\.qrun is 8\.0 MB, more than a run can be$/.test(huge.text) && dropped && JSON.stringify(dropped) === JSON.stringify(recorded) &&
    pasted && JSON.stringify(pasted) === JSON.stringify(recorded) && kept.count === 1,
    JSON.stringify({ refused, huge, read, dropped, pasted, kept }));
  await other.close();
  await context.close();

  // Half a minute played in the page, with a key every 0.4 s or so: the
  // link's length, and where five minutes at that rate would bring it (the
  // page's clock, read each frame, costs more than the keys).
  const minute = await h.newContext(browser, { viewport: { width: 600, height: 800 } });
  page = await h.open(minute, '--stats', log);
  // QUIBBO_PAGE_PLAY_SECONDS=300 plays the whole five minutes instead.
  const playMs = Number(process.env.QUIBBO_PAGE_PLAY_SECONDS || 30) * 1000;
  const began = Date.now(), moves30 = ['ArrowUp', 'ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown', 'Space'];
  for (let i = 0; Date.now() - began < playMs; i++) {
    if (await visible(page, 'box')) await page.keyboard.press('Enter'); // game over: play on
    await hold(page, moves30[i % 6], passesOf(150 + (i * 37) % 400));
    await passesGoBy(page, passesOf(50 + (i * 53) % 200));
  }
  const half = await figuresAfter(page, () => quit(page));
  const halfLink = await sharedLink(page);
  const fiveMinutes = Math.round(link.length + (halfLink.length - link.length) * 18000 / (half.frames - played.frames));
  console.log(`     ${half.frames} frames played in the page: a link of ${halfLink.length} characters; ` +
    `5 minutes at that rate: about ${fiveMinutes}`);
  check('five minutes played in the page would fit a link of 8,000 characters', fiveMinutes < 8000,
    JSON.stringify({ frames: half.frames, characters: halfLink.length, fiveMinutes }));
  await minute.close();

  // A run of 5 minutes, natively, as a link: it must fit in 8,000 characters.
  const long = path.join(dir, 'long.qrun');
  const moves = ['up', 'left', 'up', 'right', 'down', 'fire'];
  const script = Array.from({ length: 300 }, (_, i) => `${i * 60 + 10}:+${moves[i % 6]},${i * 60 + 40}:-${moves[i % 6]}`).join(',')
    .replace(/[+-]fire/g, 'fire');
  execFileSync(native, ['--headless', '--frames', '18000', '--keys', script, '--no-confirm', '--record', long]);
  const longLink = browser.url + '/#run=' + runCodeOf(long);
  console.log(`     a 5-minute run (18,000 frames, 600 key presses): a link of ${longLink.length} characters`);
  check('a 5-minute run\'s link is under 8,000 characters', longLink.length < 8000, longLink.length);
}

module.exports = { runs };
