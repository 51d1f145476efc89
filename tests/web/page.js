// The game's page in the system's headless Chromium, driven through
// playwright-core: it serves the built folder itself on 127.0.0.1, plays the
// page with keys, touch, the box, dropped levels and levels of links, compares
// the canvas with the native game's picture, installs the page and plays it
// with its server stopped, and prints "N passed, N failed".
//
//   node tests/web/page.js BUILD_WEB_DIR NATIVE_QUIBBO [PICTURE_DIR]
//
// NATIVE_QUIBBO is the desktop build's game (its --headless run is the
// reference); the level tool beside it makes the links. PICTURE_DIR, when
// given, receives screenshots of the page on a desktop, a phone upright and
// on its side, a refused link and the installed page offline.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const zlib = require('zlib');
const { chromium } = require(process.env.PLAYWRIGHT_CORE || path.join(__dirname, '../../web/node_modules/playwright-core'));
const { editor, limits, tabs } = require('./editor');

const root = path.resolve(process.argv[2] || 'build-web');
const native = path.resolve(process.argv[3] || 'build/quibbo');
const leveltool = path.join(path.dirname(native), 'leveltool');
const pictures = process.argv[4] ? path.resolve(process.argv[4]) : null;
const levels = path.join(__dirname, 'levels');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.ico': 'image/x-icon' };

let passed = 0, failed = 0;
function check(name, ok, detail) {
  if (ok) passed++; else failed++;
  console.log(`${ok ? 'PASS' : 'FAIL'} ${name}${!ok && detail !== undefined ? ': ' + detail : ''}`);
}

// The folder on a port of its own; a test may stop it (server.stop()).
function serve() {
  const server = http.createServer((req, res) => {
    const file = path.join(root, decodeURIComponent(req.url.split('?')[0]).replace(/^\/$/, '/index.html'));
    if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404); res.end(); return;
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  server.stop = () => { server.close(); server.closeAllConnections(); };
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => {
    server.url = `http://127.0.0.1:${server.address().port}`;
    resolve(server);
  }));
}

// The figures a run prints with --stats, without its speed.
function figures(line) {
  const stats = JSON.parse(line);
  delete stats.fps;
  return stats;
}

// A 24-bit bottom-up BMP as rows of [r, g, b] bytes, top row first.
function readBmp(file) {
  const b = fs.readFileSync(file);
  const width = b.readInt32LE(18), height = b.readInt32LE(22), offset = b.readUInt32LE(10);
  const stride = (width * 3 + 3) & ~3;
  const rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const at = offset + (height - 1 - y) * stride + x * 3, to = (y * width + x) * 4;
      rgba[to] = b[at + 2]; rgba[to + 1] = b[at + 1]; rgba[to + 2] = b[at]; rgba[to + 3] = 255;
    }
  return { width, height, rgba };
}

const canvasPixels = page => page.evaluate(() => {
  const c = document.getElementById('screen');
  return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data);
});
const state = page => page.evaluate(() => Object.assign({}, Quibbo.state));
const visible = (page, id) => page.evaluate(id => {
  const e = document.getElementById(id);
  return !!e && !e.hidden && getComputedStyle(e).display !== 'none' && e.getBoundingClientRect().width > 0;
}, id);

// Opens the page with a command line (and a fragment, `#level=...`);
// collects its console and its stats lines. `wait` false: not for a game.
async function open(context, args, log, hash = '', wait = true) {
  const page = await context.newPage();
  watch(page, log);
  await page.goto(`${context.url}/index.html${args ? '?args=' + encodeURIComponent(args) : ''}${hash}`);
  if (wait) await running(page, 5);
  return page;
}
// Share this run's link: the page deflates the run first, so the link is
// read once its dialog is open ("" when it never opens).
async function sharedLink(page) {
  await page.click('#share-run');
  await page.waitForSelector('#run-shared[open]', { timeout: 10000 }).catch(() => {});
  return page.inputValue('#run-link').catch(() => '');
}
function watch(page, log) {
  page.stats = [];
  page.on('console', m => {
    if (m.text().startsWith('{"frames"')) page.stats.push(m.text());
    if (m.type() === 'error') log.push(m.text() + ' ' + JSON.stringify(m.location()));
  });
  page.on('pageerror', e => log.push('page error: ' + e.message));
}

// Waits until the game that runs now has had `passes` idle passes.
const running = (page, passes = 10) => page.waitForFunction(
  p => window.Quibbo && Quibbo.state.games > 0 && Quibbo.state.ended === null && Quibbo.state.passes >= p,
  passes, { timeout: 20000 });

// Does `action` and gives the figures of the game it ends.
async function figuresAfter(page, action) {
  const count = page.stats.length;
  await action();
  for (let waited = 0; page.stats.length === count && waited < 10000; waited += 50) await page.waitForTimeout(50);
  return page.stats.length > count ? figures(page.stats[page.stats.length - 1]) : null;
}

// Drops files of tests/web/levels onto the page under the names given; a
// file of null is 300 bytes of nothing the game can build.
async function dropLevels(page, files) {
  const payload = files.map(([name, source]) => ({
    name, data: (source ? fs.readFileSync(path.join(levels, source)) : Buffer.alloc(300, 7)).toString('base64'),
  }));
  await page.evaluate(files => {
    const transfer = new DataTransfer();
    for (const f of files)
      transfer.items.add(new File([Uint8Array.from(atob(f.data), c => c.charCodeAt(0))], f.name));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, payload);
}

// Drops levels and waits for the game on them to run.
async function playLevels(page, files) {
  const games = (await state(page)).games;
  await dropLevels(page, files);
  await page.waitForFunction(g => Quibbo.state.games > g, games);
  await running(page);
}

async function holdKey(page, key, ms) {
  await page.keyboard.down(key);
  await page.waitForTimeout(ms);
  await page.keyboard.up(key);
}

// Holds a key (or does `press`) until the box comes up; false if it never does.
async function untilBox(page, press, release) {
  await press();
  const shown = await page.waitForSelector('#box:not([hidden])', { timeout: 8000 }).then(() => true, () => false);
  await release();
  return shown;
}

// Ends the game as a player does: Escape, and Escape again at the question.
async function quit(page) {
  await page.keyboard.press('Escape');
  await page.waitForSelector('#box:not([hidden])', { timeout: 8000 });
  await page.keyboard.press('Escape');
}

const startFigures = () =>
  figures(execFileSync(native, ['--headless', '--frames', '1', '--stats', '--seed', '7']).toString());

async function desktop(browser, log) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 780 } });
  context.url = browser.url;
  const page = await open(context, '--stats --seed 7', log);
  const start = startFigures();

  // The picture: sharp, whole device pixels, the page itself still.
  const look = await page.evaluate(() => {
    const c = document.getElementById('screen'), r = c.getBoundingClientRect();
    return { width: r.width, height: r.height, rendering: getComputedStyle(c).imageRendering,
      fits: document.documentElement.scrollHeight <= innerHeight, scale: Quibbo.state.scale };
  });
  check('canvas at a whole-number scale, pixelated, no scrolling',
    look.width === 240 * look.scale && look.height === 320 * look.scale && look.scale >= 2 &&
    look.rendering === 'pixelated' && look.fits, JSON.stringify(look));
  check('no touch buttons and no touch hint without a touch screen', !(await visible(page, 'pad')) &&
    !(await visible(page, 'hint')));
  if (pictures) await page.screenshot({ path: path.join(pictures, 'web-desktop.png') });
  const silent = await page.evaluate(() => !Quibbo.audio && Quibbo.state.waves === 0);

  // Keys: the arrows walk, D turns; Escape asks before it ends the game: No
  // (mouse) plays on, a second Escape ends it with its figures.
  let asked = null, playedOn = false;
  const walked = await figuresAfter(page, async () => {
    await holdKey(page, 'ArrowUp', 500);
    await holdKey(page, 'd', 300);
    const quitBox = async () => await untilBox(page, () => page.keyboard.press('Escape'), async () => {}) &&
      [await page.textContent('#box-text'), await page.textContent('#box-ok'), await page.textContent('#box-cancel')];
    asked = await quitBox();
    await page.click('#box-cancel');
    // The world resumes as from any pause, after the screen's own wait.
    const before = (await state(page)).passes;
    await page.waitForTimeout(1000);
    const after = await state(page);
    playedOn = after.ended === null && after.passes > before + 5;
    if (await quitBox()) await page.keyboard.press('Escape');
  });
  check('keys walk and turn', walked && walked.z < start.z && walked.heading > start.heading,
    JSON.stringify({ start, walked }));
  check('Escape asks "Quit Quibbo?" with Yes and No; No plays on, a second Escape says yes',
    JSON.stringify(asked) === '["Quit Quibbo?","Yes","No"]' && playedOn && walked &&
    JSON.stringify(walked.message_boxes.map(b => b.answer)) === '["no","yes"]',
    JSON.stringify({ asked, playedOn, boxes: walked && walked.message_boxes }));
  // Numbered as --level numbers them: "1" is QB01, the level after the first.
  const offered = await page.$$eval('#start-level option', o => o.map(e => [e.value, e.textContent]));
  const campaign = fs.readdirSync(path.join(__dirname, '../../levels')).filter(f => /^QB\d\d\.txt$/.test(f)).length;
  check('the end of a game says thanks, offers another and the campaign\'s levels to start at, numbered as --level',
    /Thanks for playing/.test(await page.textContent('#ended')) && await visible(page, 'new-game') &&
    offered.length === campaign && offered.every(([value, label], n) => value === String(n) && label.startsWith(String(n))) &&
    offered[0][1] === '0 First Steps' && offered[13][1] === '13 The Old Maze',
    JSON.stringify(offered));
  await page.selectOption('#start-level', { value: '1' });
  await page.click('#new-game');
  await running(page);
  check('"New game" starts one', (await state(page)).games === 2 && !(await visible(page, 'ended')));

  // The pause key: P stops the game and Pause resumes it.
  await page.keyboard.press('p');
  await page.waitForTimeout(200);
  const held = await state(page);
  await page.waitForTimeout(400);
  const heldLater = await state(page);
  await page.keyboard.press('Pause');
  await page.waitForTimeout(800);
  const going = await state(page);
  check('P pauses, Pause resumes', heldLater.passes - held.passes <= 1 && going.passes > heldLater.passes + 5,
    JSON.stringify({ held, heldLater, going }));

  // Focus: lost, the game stands still; back, it goes on.
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  await page.waitForTimeout(100);
  const paused = await state(page);
  const frozen = JSON.stringify(await canvasPixels(page));
  await holdKey(page, 'ArrowLeft', 400);
  const still = await state(page);
  const same = JSON.stringify(await canvasPixels(page)) === frozen;
  await page.evaluate(() => window.dispatchEvent(new Event('focus')));
  await page.waitForTimeout(1000);
  const resumed = await state(page);
  check('focus loss pauses, focus resumes', !paused.focus && still.passes - paused.passes <= 1 && same &&
    resumed.focus && resumed.passes > still.passes + 5, JSON.stringify({ paused, still, same, resumed }));
  // A hidden tab pauses too (the page is told it is hidden, as on a switch).
  const visibility = hidden => page.evaluate(hidden => {
    Object.defineProperty(document, 'hidden', { value: hidden, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: hidden ? 'hidden' : 'visible', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await visibility(true);
  await page.waitForTimeout(300);
  const hiddenState = await state(page);
  await page.waitForTimeout(300);
  const hiddenLater = await state(page);
  await visibility(false);
  await page.waitForTimeout(1000);
  const shown = await state(page);
  check('a hidden tab pauses, shown again it goes on', !hiddenState.focus &&
    hiddenLater.passes - hiddenState.passes <= 1 && shown.focus && shown.passes > hiddenLater.passes + 5,
    JSON.stringify({ hiddenState, hiddenLater, shown }));

  // A dropped level is played: one dot ahead wins it, and the box asks. The
  // game it ends was the chosen level's, with a new game's score and lives.
  const chosen = await figuresAfter(page, () => playLevels(page, [['QB00.BMP', 'onedot.bmp']]));
  check('"New game" at a chosen level starts there, with score 0 and 5 lives',
    chosen && chosen.level === 1 && chosen.score === 0 && chosen.lives === 5, JSON.stringify(chosen));
  const boxed = await untilBox(page, () => page.keyboard.down('ArrowUp'), () => page.keyboard.up('ArrowUp'));
  const text = await page.textContent('#box-text');
  check('a dropped level file is played', boxed && /GAME OVER/.test(text) && /Score: 10/.test(text), text);
  const heard = await page.evaluate(() => ({ audio: Quibbo.audio && Quibbo.audio.state, waves: Quibbo.state.waves }));
  check('sound: none before a gesture, a wave after one', silent && heard.audio === 'running' && heard.waves > 0,
    JSON.stringify({ silent, heard }));
  // OK by keyboard plays the level again; Cancel by mouse ends the game.
  const boxes = await figuresAfter(page, async () => {
    await page.keyboard.press('Enter');
    await page.waitForTimeout(300);
    const again = await untilBox(page, () => page.keyboard.down('ArrowUp'), () => page.keyboard.up('ArrowUp'));
    if (again) await page.click('#box-cancel');
  });
  check('game-over box: OK (Return) plays again, Cancel (mouse) ends with thanks', boxes &&
    JSON.stringify(boxes.message_boxes.map(b => b.answer)) === '["ok","cancel"]' &&
    await visible(page, 'ended'), JSON.stringify(boxes));

  // A level that cannot be loaded ends the game as on the desktop.
  let cant = '';
  const broken = await figuresAfter(page, async () => {
    await playLevels(page, [['QB00.BMP', 'onedot.bmp'], ['QB01.BMP', null]]);
    await untilBox(page, () => page.keyboard.down('ArrowUp'), () => page.keyboard.up('ArrowUp'));
    cant = await page.textContent('#box-text');
    await page.click('#box-ok');
  });
  check("a broken second level: \"Can't load level.\", then the end", /Can't load level/.test(cant) &&
    broken && broken.exit_code === 255 && /could not be loaded/.test(await page.textContent('#ended-text')),
    JSON.stringify({ cant, broken }));

  // Back to the built-in levels; the picture button saves the frame as a
  // download.
  await page.click('#built-in');
  await running(page);
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 5000 }).catch(() => null),
    page.click('#shot')]);
  const saved = download ? fs.statSync(await download.path()).size : 0;
  check('a picture is saved as a download', download && /^quibbo-\d{3}\.bmp$/.test(download.suggestedFilename()) &&
    saved === 54 + 240 * 3 * 320, download ? download.suggestedFilename() + ' ' + saved : 'no download');

  // A gamepad as the Gamepad API shows it: the D-pad walks, the stick turns.
  // (The download may have taken the focus: the player clicks back.) On the
  // gun level, where walking ahead does not end it.
  await page.click('#screen');
  await page.waitForFunction(() => Quibbo.state.focus);
  await playLevels(page, [['QB00.BMP', 'gun.bmp']]);
  const padded = await figuresAfter(page, async () => {
    await page.evaluate(() => {
      const released = () => ({ pressed: false, value: 0 });
      window.testPad = { id: 'test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
        axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, released) };
      navigator.getGamepads = () => [window.testPad];
      testPad.buttons[12] = { pressed: true, value: 1 };
    });
    await page.waitForTimeout(500);
    await page.evaluate(() => { testPad.buttons[12] = { pressed: false, value: 0 }; testPad.axes[0] = 1; });
    await page.waitForTimeout(300);
    await page.evaluate(() => { testPad.axes[0] = 0; });
    await page.waitForTimeout(100);
    await quit(page);
  });
  check('a gamepad walks (D-pad) and turns (stick)', padded && padded.z < 5.5 && padded.heading > 0,
    JSON.stringify({ padded, now: await state(page) }));
  const builtIn = await figuresAfter(page, async () => {
    await page.click('#built-in');
    await running(page);
    await quit(page);
  });
  check('"Built-in levels" leaves the player\'s own', builtIn && builtIn.dots_left === start.dots_left &&
    builtIn.x === start.x && builtIn.z === start.z, JSON.stringify(builtIn));
  await context.close();
}

// The same scripted run as natively: the same figures and the same last frame.
async function sameGame(browser, log, dir) {
  const keys = '60:+up,140:-up,150:+right,175:-right,180:+up,260:-up,270:fire,280:fire,300:+left,330:-left';
  const args = ['--headless', '--frames', '360', '--keys', keys, '--seed', '7', '--stats'];
  const shot = path.join(dir, 'native.bmp');
  const nativeStats = figures(execFileSync(native, [...args, '--screenshot', shot]).toString());
  const context = await browser.newContext({ viewport: { width: 600, height: 800 } });
  context.url = browser.url;
  const page = await context.newPage();
  page.stats = [];
  page.on('console', m => { if (m.text().startsWith('{"frames"')) page.stats.push(m.text()); });
  page.on('pageerror', e => log.push('page error: ' + e.message));
  const webStats = await figuresAfter(page, () => page.goto(`${context.url}/index.html?args=${encodeURIComponent(args.join(' '))}`));
  check('a scripted run gives the native figures', JSON.stringify(webStats) === JSON.stringify(nativeStats),
    JSON.stringify({ webStats, nativeStats }));
  const expected = readBmp(shot);
  const got = await canvasPixels(page);
  let differ = 0;
  for (let i = 0; i < got.length; i += 4)
    if (got[i] !== expected.rgba[i] || got[i + 1] !== expected.rgba[i + 1] || got[i + 2] !== expected.rgba[i + 2]) differ++;
  check('the canvas is the native picture, pixel for pixel', got.length === expected.rgba.length && differ === 0,
    `${differ} pixels differ`);
  await context.close();
}

// A phone: the buttons round the picture, upright and on its side, while a
// link's level starts and says so on the note's line.
async function phone(browser, log, dir) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3,
    isMobile: true, hasTouch: true });
  context.url = browser.url;
  const link = linkTo(browser.url, path.join(levels, 'gun.bmp'));
  const page = await open(context, '--stats --seed 7', log, '#level=' + codeOf(link));
  const said = await page.textContent('#note');
  const cdp = await context.newCDPSession(page);
  // A notch and a home bar: everything keeps inside the safe area.
  const phones = [['portrait', 390, 844, { top: 47, bottom: 34, left: 0, right: 0 }],
    ['landscape', 844, 390, { top: 0, bottom: 21, left: 47, right: 47 }],
    ['narrow', 360, 640, { top: 24, bottom: 0, left: 0, right: 0 }]];
  for (const [name, width, height, insets] of phones) {
    await page.setViewportSize({ width, height });
    await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets });
    await page.waitForTimeout(200);
    const box = await page.evaluate(said => {
      const rect = e => { const r = e.getBoundingClientRect(); return { l: r.left, t: r.top, r: r.right, b: r.bottom }; };
      const keys = [...document.querySelectorAll('#pad .key')].map(rect);
      // The note lasts a few seconds: its words stay for the measure.
      const note = document.getElementById('note');
      if (!note.textContent) note.textContent = said;
      return { screen: rect(document.getElementById('screen')), keys, w: innerWidth, h: innerHeight,
        tools: [...document.querySelectorAll('#bar .tool')].filter(e => e.offsetWidth).map(rect),
        note: rect(note), hint: rect(document.getElementById('hint')), hintText: document.getElementById('hint').textContent,
        scrolls: document.documentElement.scrollWidth > innerWidth || document.documentElement.scrollHeight > innerHeight };
    }, said);
    const inside = r => r.l >= insets.left && r.t >= insets.top && r.r <= box.w - insets.right &&
      r.b <= box.h - insets.bottom;
    const apart = (a, b) => a.r <= b.l || a.l >= b.r || a.b <= b.t || a.t >= b.b;
    check(`touch buttons ${name}: shown, 48 px or more, in the safe area, clear of the picture`,
      await visible(page, 'pad') && box.keys.length === 9 && !box.scrolls && inside(box.screen) &&
      box.tools.length >= 3 && box.tools.every(inside) &&
      box.keys.every(k => k.r - k.l >= 48 && k.b - k.t >= 48 && inside(k) && apart(k, box.screen)), JSON.stringify(box));
    // The note on a line of its own; the tools in one row, each label on one line.
    const one = (values, tolerance) => values.every(v => Math.abs(v - values[0]) <= tolerance);
    check(`${name}: the note clear of the tools, the buttons and the picture; the tools one even row`,
      said === "Plays the link's level" && inside(box.note) && [box.screen, ...box.keys, ...box.tools].every(r => apart(box.note, r)) &&
      one(box.tools.map(r => r.t), 0) && one(box.tools.map(r => r.b - r.t), 0) && box.tools[0].b - box.tools[0].t < 40,
      JSON.stringify({ said, note: box.note, tools: box.tools }));
    // The title's keys mean nothing to a thumb: a line of the page says what the buttons do.
    check(`${name}: the touch hint names the buttons, clear of the picture and the buttons`, inside(box.hint) &&
      ['walk', 'turn', 'sidestep', 'FIRE'].every(w => box.hintText.includes(w)) &&
      [box.screen, ...box.keys, ...box.tools].every(r => apart(box.hint, r)), JSON.stringify({ hint: box.hint, text: box.hintText }));
    if (pictures) await page.screenshot({ path: path.join(pictures, `web-phone-${name}.png`) });
    if (pictures && name === 'portrait') await page.screenshot({ path: path.join(pictures, 'web-phone-link.png') });
  }
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: {} });
  await page.setViewportSize({ width: 390, height: 844 });
  await page.waitForTimeout(300); // the page lays itself out again

  // Two thumbs: walk forward onto a gun, and fire while still walking.
  const centre = sel => page.evaluate(sel => {
    const r = document.querySelector(sel).getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  }, sel);
  const up = await centre('#pad .up'), fire = await centre('#fire'), right = await centre('#pad .right');
  const touches = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  await playLevels(page, [['QB00.BMP', 'gun.bmp']]);
  let held = 0;
  const played = await figuresAfter(page, async () => {
    await touches('touchStart', [{ x: up.x, y: up.y, id: 1 }]);
    await page.waitForTimeout(1300);
    await touches('touchStart', [{ x: up.x, y: up.y, id: 1 }, { x: fire.x, y: fire.y, id: 2 }]);
    await page.waitForTimeout(100);
    held = await page.evaluate(() => document.querySelectorAll('#pad .key.held').length);
    await touches('touchEnd', [{ x: up.x, y: up.y, id: 1 }]);
    await touches('touchEnd', []);
    // A thumb slides from the up arrow onto the right one: it turns.
    await touches('touchStart', [{ x: up.x, y: up.y, id: 3 }]);
    await page.waitForTimeout(150);
    await touches('touchMove', [{ x: right.x, y: right.y, id: 3 }]);
    await page.waitForTimeout(300);
    await touches('touchEnd', []);
    await quit(page);
  });
  check('touch: the D-pad walks and turns while fire shoots (two fingers)', held === 2 && played &&
    played.z < 5 && played.heading > 0 && played.shots === 1, JSON.stringify({ held, played }));

  // Sidestep: the corner buttons are the game's touch buttons 7 and 8. Held,
  // each moves the player across its heading, the two ways apart, and the
  // heading stays. The last part needs the game's own sidestep
  // (WEB_TOUCH_STRAFELEFT and WEB_TOUCH_STRAFERIGHT in platform/web/WebKeys.h).
  await page.evaluate(() => {
    const game = Module._WebTouch;
    window.touched = [];
    Module._WebTouch = (button, down) => { touched.push([button, down]); game(button, down); };
  });
  const gunDir = path.join(dir, 'phone-gun');
  fs.mkdirSync(gunDir, { recursive: true });
  fs.copyFileSync(path.join(levels, 'gun.bmp'), path.join(gunDir, 'QB00.BMP'));
  const begin = figures(execFileSync(native, ['--headless', '--frames', '1', '--stats', '--levels', gunDir]).toString());
  const sidestep = async side => {
    const at = await centre(`#pad .${side}`);
    await playLevels(page, [['QB00.BMP', 'gun.bmp']]);
    return figuresAfter(page, async () => {
      await touches('touchStart', [{ x: at.x, y: at.y, id: 6 }]);
      await page.waitForTimeout(400);
      await touches('touchEnd', []);
      await quit(page);
    });
  };
  const toLeft = await sidestep('left-side'), toRight = await sidestep('right-side');
  const sent = await page.evaluate(() => JSON.stringify(touched));
  check('touch: the sidestep buttons send the game buttons 7 and 8, down then up', sent === '[[7,1],[7,0],[8,1],[8,0]]', sent);
  const across = f => f && f.heading === begin.heading && Math.abs(f.z - begin.z) < 0.01 ? f.x - begin.x : 0;
  check('touch: the sidestep buttons move the player across its heading, one each way (with the game\'s sidestep)',
    across(toLeft) * across(toRight) < 0, JSON.stringify({ begin, toLeft, toRight }));

  // The box answers a tap.
  await page.evaluate(() => document.getElementById('new-game').click());
  await running(page);
  await playLevels(page, [['QB00.BMP', 'onedot.bmp']]);
  const tapped = await figuresAfter(page, async () => {
    await untilBox(page, () => touches('touchStart', [{ x: up.x, y: up.y, id: 4 }]), () => touches('touchEnd', []));
    const cancel = await centre('#box-cancel');
    await page.touchscreen.tap(cancel.x, cancel.y);
  });
  check('the box answers a tap', tapped && tapped.message_boxes.length === 1 &&
    tapped.message_boxes[0].answer === 'cancel', JSON.stringify(tapped));

  // The pause and mute buttons do what P and M do.
  const tap = async sel => {
    const at = await centre(sel);
    await touches('touchStart', [{ x: at.x, y: at.y, id: 9 }]);
    await page.waitForTimeout(50);
    await touches('touchEnd', []);
  };
  await page.evaluate(() => document.getElementById('new-game').click());
  await running(page);
  await tap('#pause');
  await page.waitForTimeout(200);
  const paused = await state(page);
  await page.waitForTimeout(400);
  const pausedLater = await state(page);
  await tap('#pause');
  await page.waitForTimeout(800);
  const going = await state(page);
  check('touch: the pause button pauses and resumes', pausedLater.passes - paused.passes <= 1 &&
    going.passes > pausedLater.passes + 5, JSON.stringify({ paused, pausedLater, going }));
  // A game to the dot with sound, then again muted: no wave at all.
  const walkToBox = () => untilBox(page, () => touches('touchStart', [{ x: up.x, y: up.y, id: 5 }]),
    () => touches('touchEnd', []));
  await playLevels(page, [['QB00.BMP', 'onedot.bmp']]);
  const waves = async () => (await state(page)).waves;
  const loud = [await waves(), await walkToBox() && await waves()];
  await page.touchscreen.tap((await centre('#box-ok')).x, (await centre('#box-ok')).y);
  await running(page);
  // The game hears a button at its next pass.
  const muteShown = on => page.waitForFunction(on => Quibbo.state.muted === on &&
    document.getElementById('mute').classList.contains('on') === on, on, { timeout: 5000 }).then(() => true, () => false);
  await tap('#mute');
  const muted = await muteShown(true);
  const quiet = [await waves(), await walkToBox() && await waves()];
  await page.touchscreen.tap((await centre('#box-ok')).x, (await centre('#box-ok')).y);
  await running(page);
  await tap('#mute');
  const unmuted = await muteShown(false);
  check('touch: the mute button mutes (no wave, shown on the button) and unmutes',
    loud[1] > loud[0] && muted && quiet[1] === quiet[0] && unmuted, JSON.stringify({ loud, muted, quiet, unmuted }));
  await context.close();
}

// A level of `side` x `side` enemy starts, in onedot.bmp's headers: small
// as a file, far over the level budget once counted.
function crowdedLevel(side) {
  const template = fs.readFileSync(path.join(levels, 'onedot.bmp'));
  const head = Buffer.from(template.subarray(0, 54 + 1024));
  head.writeUInt32LE(head.length + side * side, 2);
  head.writeInt32LE(side, 18);
  head.writeInt32LE(side, 22);
  head.writeUInt32LE(side * side, 34);
  return Buffer.concat([head, Buffer.alloc(side * side, 3)]);
}

// Hands the page files as a drop does. Each is { name, bytes } (a Buffer),
// or { name, size } (a file of that size whose bytes must never be read)
// or { name, unreadable: true } (one the browser fails to read).
async function giveFiles(page, files) {
  await page.evaluate(files => {
    window.readBytes = 0;
    const made = files.map(f => {
      const file = new File([f.bytes ? Uint8Array.from(atob(f.bytes), c => c.charCodeAt(0)) : new Uint8Array(8)], f.name);
      if (f.size !== undefined) {
        Object.defineProperty(file, 'size', { value: f.size });
        file.arrayBuffer = () => { window.readBytes += f.size; return Promise.reject(new Error('read')); };
      }
      if (f.unreadable)
        file.arrayBuffer = () => Promise.reject(new DOMException('The requested file could not be read', 'NotReadableError'));
      return file;
    });
    const drop = new Event('drop', { cancelable: true });
    Object.defineProperty(drop, 'dataTransfer', { value: { files: made } });
    window.dispatchEvent(drop);
  }, files.map(f => Object.assign({}, f, { bytes: f.bytes && f.bytes.toString('base64') })));
}

// The note once it names `what`, with its height and its line height.
const noteFor = (page, what) => page.waitForFunction(what => {
  const n = document.getElementById('note');
  return n.textContent.includes(what) &&
    { text: n.textContent, height: n.getBoundingClientRect().height, line: parseFloat(getComputedStyle(n).lineHeight) || 20 };
}, what, { timeout: 8000 }).then(h => h.jsonValue(), () => null);

// The page's in-memory files under `dir`: how many, and their bytes.
const filesUnder = (page, dir) => page.evaluate(dir => {
  let count = 0, bytes = 0;
  const walk = at => {
    if (!Module.FS.analyzePath(at).exists) return;
    for (const name of Module.FS.readdir(at)) {
      if (name === '.' || name === '..') continue;
      const stat = Module.FS.stat(at + '/' + name);
      if (Module.FS.isDir(stat.mode)) walk(at + '/' + name); else { count++; bytes += stat.size; }
    }
  };
  walk(dir);
  return { count, bytes };
}, dir);

// Files given to the page, by kind: each is played, or refused by name with
// its reason, and the page keeps one set at a time.
async function levelFiles(browser, log) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 780 } });
  context.url = browser.url;
  const page = await open(context, '', log);
  const onedot = fs.readFileSync(path.join(levels, 'onedot.bmp'));

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
    ['over the level budget', { name: 'QB00.BMP', bytes: crowdedLevel(1024) }],
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
  await running(page);
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

// ---- Levels of links ----

// The link `leveltool link` makes for a level file or text map, to the
// page under test; its code alone.
const linkTo = (url, file) => execFileSync(leveltool, ['link', file, url + '/index.html']).toString().trim();
const codeOf = link => link.slice(link.indexOf('#level=') + 7);

// The level file a link carries (leveltool unlink), as QB00.BMP of a folder
// of its own, and the number of dots in it (cell byte 64).
function unlinked(dir, name, link) {
  const folder = path.join(dir, name);
  fs.mkdirSync(folder, { recursive: true });
  const file = path.join(folder, 'QB00.BMP');
  execFileSync(leveltool, ['unlink', link, file]);
  const b = fs.readFileSync(file);
  const width = b.readInt32LE(18), height = b.readInt32LE(22), stride = (width + 3) & ~3;
  let dots = 0;
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) if (b[b.readUInt32LE(10) + y * stride + x] === 64) dots++;
  return { folder, dots };
}

// What the page shows when it refuses a link: the line, and that nothing
// was started or written.
const refusal = page => page.evaluate(() => ({
  text: document.getElementById('ended-text').textContent,
  shown: !document.getElementById('ended').hidden,
  games: Quibbo.state.games,
  files: Module.FS.analyzePath('/levels').exists ? Module.FS.readdir('/levels').length - 2 : 0,
}));

async function links(browser, log, dir) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 780 } });
  context.url = browser.url;
  // A campaign level and a test level: each link plays its own level, as
  // the native game plays the file the link carries, figure for figure.
  const args = '--headless --frames 1 --stats --seed 7';
  const sources = [['a campaign level (QB05)', path.join(__dirname, '../../levels/QB05.txt')],
    ['a test level (gun.bmp)', path.join(levels, 'gun.bmp')]];
  const codes = [];
  for (const [kind, file] of sources) {
    const link = linkTo(browser.url, file);
    codes.push(codeOf(link));
    const level = unlinked(dir, 'link' + codes.length, link);
    const expected = figures(execFileSync(native, [...args.split(' '), '--levels', level.folder]).toString());
    const page = await context.newPage();
    watch(page, log);
    const got = await figuresAfter(page, () => page.goto(link.replace('/index.html#', '/index.html?args=' +
      encodeURIComponent(args) + '#')));
    const edit = await page.evaluate(() => !document.getElementById('edit').hidden &&
      document.getElementById('edit').getAttribute('href'));
    check(`leveltool link of ${kind}: the page plays that level, its ${level.dots} dots, and offers to edit it`,
      got && JSON.stringify(got) === JSON.stringify(expected) && got.dots_left === level.dots && got.level === 0 &&
      edit === 'editor.html#level=' + codes[codes.length - 1], JSON.stringify({ got, expected, dots: level.dots, edit }));
    await page.close();
  }

  // Broken links, one kind a row: one line on the page, no game, no file.
  const good = codes[1];
  const flip = (code, at) => code.slice(0, at) + (code[at] === 'A' ? 'B' : 'A') + code.slice(at + 1);
  fs.writeFileSync(path.join(dir, 'crowded.bmp'), crowdedLevel(200));
  const crowded = codeOf(linkTo(browser.url, path.join(dir, 'crowded.bmp')));
  const broken = [
    ['a flipped character', flip(good, good.length >> 1)],
    ['a flipped last character', flip(good, good.length - 1)],
    ['cut short', good.slice(0, good.length >> 1)],
    ['a newer format', '9' + good.slice(1)],
    ['empty', ''],
    ['characters outside base64url', '1' + good.slice(1, 10) + '+/=' + good.slice(13)],
    ['a level the game would not play (over the level budget)', crowded],
  ];
  let shot = false;
  for (const [kind, code] of broken) {
    const page = await open(context, '', log, '#level=' + code, false);
    const shown = await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).then(() => true, () => false);
    await page.waitForTimeout(300); // a game, had one wrongly started
    const seen = await refusal(page);
    const line = /^This link's level cannot be played: [a-z].{8,}[^.]$/.test(seen.text) && !seen.text.includes('\n');
    check(`a link with ${kind} is refused in one line, nothing played`, shown && seen.shown && line &&
      seen.games === 0 && seen.files === 0 && !(await visible(page, 'new-game')), JSON.stringify(seen));
    if (pictures && !shot) { shot = true; await page.screenshot({ path: path.join(pictures, 'page-refused-link.png') }); }
    if (code !== '') { await page.close(); continue; }
    // Levels dropped then start the first game, on them.
    await playLevels(page, [['QB00.BMP', 'onedot.bmp']]);
    const dropped = await page.evaluate(() => ({ dir: Quibbo.levelsDir, games: Quibbo.state.games,
      panel: !document.getElementById('ended').hidden }));
    check('levels dropped on a refused link\'s page are played', dropped.dir !== '' && dropped.games === 1 &&
      !dropped.panel, JSON.stringify(dropped));
    await page.close();
  }

  // A new link pasted into an open page plays at once; a broken one says so
  // and the game goes on.
  const page = await open(context, '--stats', log, '#level=' + codes[1]);
  const games = (await state(page)).games;
  const pasted = await figuresAfter(page, async () => {
    await page.evaluate(code => { location.hash = 'level=' + code; }, codes[0]);
    await page.waitForFunction(g => Quibbo.state.games > g, games);
    await running(page);
    if (pictures) await page.screenshot({ path: path.join(pictures, 'page-link.png') });
    await quit(page);
  });
  const campaign = unlinked(dir, 'link1', linkTo(browser.url, sources[0][1]));
  await page.click('#new-game');
  await running(page);
  const before = await state(page);
  await page.evaluate(code => { location.hash = 'level=' + code; }, flip(codes[0], 5));
  const said = await noteFor(page, "cannot be played");
  await page.waitForTimeout(500);
  const after = await state(page);
  check('a link pasted into the open page plays; a broken one is refused and the game goes on',
    pasted && pasted.dots_left === campaign.dots && said && after.games === before.games &&
    after.ended === null && after.passes > before.passes, JSON.stringify({ pasted, said, before, after }));
  await page.close();

  // From the editor: in a frame of its page, Back and Escape go back to it
  // (the game never asks whether to quit).
  await context.route(browser.url + '/parent.html', route => route.fulfill({ contentType: 'text/html',
    body: '<link rel="icon" href="icons/favicon.ico"><iframe id="play" style="width:600px;height:700px"></iframe><script>window.said = [];' +
      'addEventListener("message", e => said.push({ data: e.data, origin: e.origin }));</script>' }));
  const parent = await context.newPage();
  watch(parent, log);
  await parent.goto(browser.url + '/parent.html');
  await parent.evaluate(code => { document.getElementById('play').src = 'index.html?edit=1#level=' + code; }, codes[1]);
  const frame = await (await parent.waitForSelector('#play')).contentFrame();
  await frame.waitForFunction(() => window.Quibbo && Quibbo.state.games > 0 && Quibbo.state.passes > 5, null,
    { timeout: 20000 });
  const buttons = await frame.evaluate(() => ({ back: !document.getElementById('back').hidden,
    edit: !document.getElementById('edit').hidden }));
  await frame.click('#screen');
  await parent.keyboard.press('Escape');
  await parent.waitForTimeout(300);
  await frame.click('#back');
  await parent.waitForTimeout(300);
  const said2 = await parent.evaluate(() => window.said);
  const game = await frame.evaluate(() => Object.assign({}, Quibbo.state));
  check('played from the editor: Back instead of "Edit this level"; Escape and Back post back, no quit question',
    buttons.back && !buttons.edit && said2.length === 2 && said2.every(m => m.data && m.data.quibbo === 'back' &&
      m.origin === browser.url) && game.boxes === 0 && game.ended === null,
    JSON.stringify({ buttons, said: said2, game }));
  await context.close();
}

// ---- Runs: recorded in the page, replayed natively, and the other way ----

// The link's code of a run file as the native game writes it ("QBRZ" and
// the raw deflate of the body), and the file of a body.
const runCodeOf = file => 'r' + fs.readFileSync(file).subarray(4).toString('base64url');
const runFileOf = body => Buffer.concat([Buffer.from('QBRZ'), zlib.deflateRawSync(body)]);
// The canvas against a native screenshot: how many pixels differ.
async function pixelsDiffer(page, shot) {
  const expected = readBmp(shot), got = await canvasPixels(page);
  if (got.length !== expected.rgba.length) return got.length;
  let differ = 0;
  for (let i = 0; i < got.length; i += 4)
    if (got[i] !== expected.rgba[i] || got[i + 1] !== expected.rgba[i + 1] || got[i + 2] !== expected.rgba[i + 2]) differ++;
  return differ;
}
// The figures of the run the page replays, once it has ended (a replay in
// the canvas takes the run's own time).
async function replayed(page, count = 0) {
  await page.waitForFunction(c => document.readyState === 'complete' && Quibbo.state.ended !== null, count,
    { timeout: 60000 }).catch(() => {});
  for (let waited = 0; page.stats.length <= count && waited < 2000; waited += 50) await page.waitForTimeout(50);
  return page.stats.length > count ? figures(page.stats[page.stats.length - 1]) : null;
}
// The end panel's buttons that show.
const offered = page => page.$$eval('#ended button, #ended a', b => b.filter(e => !e.hidden).map(e => e.id));

async function runs(browser, log, dir) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 780 }, acceptDownloads: true });
  context.url = browser.url;

  // 1. A game played with keys in the canvas; its run, downloaded, replays
  // natively to the same figures and the same last picture.
  let page = await open(context, '--stats', log);
  const played = await figuresAfter(page, async () => {
    await holdKey(page, 'ArrowUp', 700);
    await holdKey(page, 'ArrowRight', 250);
    await page.keyboard.press('Space');
    await holdKey(page, 'ArrowUp', 400);
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
    replayedNatively = figures(execFileSync(native, ['--replay', file, '--headless', '--stats', '--screenshot', shot]).toString());
    differ = await pixelsDiffer(page, shot);
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
  const fresh = await browser.newContext({ viewport: { width: 600, height: 800 } });
  fresh.url = browser.url;
  page = await fresh.newPage();
  watch(page, log);
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
  const recorded = figures(execFileSync(native, ['--headless', '--frames', '260', '--keys', keys, '--seed', '11',
    '--answers', 'no', '--record', record, '--stats', '--screenshot', nativeShot]).toString());
  const code = runCodeOf(record);
  for (const [how, args] of [['in the canvas from its link', '--stats'], ['headless (--replay --headless --stats)', '--headless --stats']]) {
    page = await open(context, args, log, '#run=' + code, false);
    if (pictures && how.startsWith('in')) {
      await page.waitForFunction(() => Quibbo.state.passes > 150, null, { timeout: 20000 }).catch(() => {});
      await page.screenshot({ path: path.join(pictures, 'page-replaying.png') });
    }
    const got = await replayed(page);
    const off = await pixelsDiffer(page, nativeShot);
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
  const levelLink = linkTo(browser.url, path.join(levels, 'gun.bmp')), levelCode = codeOf(levelLink);
  const gun = unlinked(dir, 'run-level', levelLink);
  page = await open(context, '--stats', log, '#level=' + levelCode);
  const onLevel = await figuresAfter(page, async () => {
    await holdKey(page, 'ArrowUp', 500);
    await page.keyboard.press('Space');
    await holdKey(page, 'ArrowLeft', 300);
    await quit(page);
  });
  const levelRun = await sharedLink(page);
  await page.close();
  const other = await browser.newContext({ viewport: { width: 600, height: 800 } });
  other.url = browser.url;
  page = await other.newPage();
  watch(page, log);
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
  const flip = (text, at) => text.slice(0, at) + (text[at] === 'A' ? 'B' : 'A') + text.slice(at + 1);
  const broken = [
    ['a flipped character', flip(code, code.length >> 1), null],
    ['a flipped last character', flip(code, code.length - 1), null],
    ['cut short', code.slice(0, code.length >> 1), null],
    ['a newer format', 'r' + zlib.deflateRawSync(newer).toString('base64url'), /newer Quibbo/],
    ['a level link\'s code', levelCode, /format/],
  ];
  for (const [kind, bad, why] of broken) {
    page = await open(other, '', log, '#run=' + bad, false);
    const shown = await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).then(() => true, () => false);
    await page.waitForTimeout(300); // a game, had one wrongly started
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
  page = await open(other, '--stats', log);
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
  const minute = await browser.newContext({ viewport: { width: 600, height: 800 } });
  minute.url = browser.url;
  page = await open(minute, '--stats', log);
  // QUIBBO_PAGE_PLAY_SECONDS=300 plays the whole five minutes instead.
  const playMs = Number(process.env.QUIBBO_PAGE_PLAY_SECONDS || 30) * 1000;
  const began = Date.now(), moves30 = ['ArrowUp', 'ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown', 'Space'];
  for (let i = 0; Date.now() - began < playMs; i++) {
    if (await visible(page, 'box')) await page.keyboard.press('Enter'); // game over: play on
    await holdKey(page, moves30[i % 6], 150 + (i * 37) % 400);
    await page.waitForTimeout(50 + (i * 53) % 200);
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

// ---- Hostile links and failures: the page holds and says what happened ----

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

async function hostile(browser, log, dir) {
  const context = await browser.newContext({ viewport: { width: 600, height: 800 } });
  context.url = browser.url;
  const level = codeOf(linkTo(browser.url, path.join(levels, 'gun.bmp')));

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
    const page = await open(context, '', log);
    await page.evaluate(() => {
      window.gap = 0;
      let last = performance.now();
      const frame = t => { window.gap = Math.max(window.gap, t - last); last = t; requestAnimationFrame(frame); };
      requestAnimationFrame(frame);
      // When the refusal shows, timed in the page (handing the test's
      // megabytes of code to the page is no part of it).
      new MutationObserver(() => {
        if (!window.saidAt && /cannot be played/.test(document.getElementById('note').textContent)) window.saidAt = performance.now();
      }).observe(document.getElementById('note'), { childList: true, characterData: true, subtree: true });
      window.gaveAt = 0;
    });
    await page.waitForTimeout(300);
    const before = renderers(), began = Date.now();
    await give(page);
    const seen = await noteFor(page, 'cannot be played');
    const timed = await page.evaluate(() => window.gaveAt ? window.saidAt - window.gaveAt : 0);
    const took = timed || Date.now() - began;
    await page.waitForTimeout(200);
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
  let page = await open(context, '', log);
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
    await page.evaluate(() => {
      window.gap = 0;
      let last = performance.now();
      const frame = t => { window.gap = Math.max(window.gap, t - last); last = t; requestAnimationFrame(frame); };
      requestAnimationFrame(frame);
    });
    const games = await page.evaluate(() => Quibbo.state.games);
    await page.evaluate(code => { location.hash = 'level=' + code; }, code);
    await page.waitForFunction(g => Quibbo.state.games > g && Quibbo.state.ended === null, games,
      { timeout: 20000 }).catch(() => {});
    await page.waitForTimeout(500);
    const seen = await page.evaluate(() => ({ games: Quibbo.state.games, gap: window.gap,
      note: document.getElementById('note').textContent }));
    console.log(`     a valid 4096 x 4096 level link (${code.length} characters): the longest frame gap ${seen.gap.toFixed(0)} ms`);
    check('the heaviest level a link may carry plays with no stall over 1.5 s',
      seen.games > games && seen.note === 'Plays the link\'s level' && seen.gap < 1500, JSON.stringify(seen));
    fs.rmSync(map); fs.rmSync(bmp);
  }
  await page.close();

  // Called directly, the page's inflate stops at its limit as well.
  page = await open(context, '', log);
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
  page = await open(context, '', log, '#run=' + runCodeOf(builtin), false);
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
    page = await open(context, args, log, hash, false);
    const lines = [];
    page.on('console', m => lines.push(m.text()));
    await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).catch(() => {});
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

// ---- The installable page ----

// GETs a file of the server: status, type and bytes.
const get = url => new Promise(resolve => http.get(url, res => {
  const parts = [];
  res.on('data', d => parts.push(d));
  res.on('end', () => resolve({ status: res.statusCode, type: res.headers['content-type'], body: Buffer.concat(parts) }));
}).on('error', () => resolve({ status: 0 })));
const pngSize = b => b.length > 24 && b.readUInt32BE(0) === 0x89504e47 ? [b.readUInt32BE(16), b.readUInt32BE(20)] : null;

async function webApp(browser, log, dir) {
  // The manifest, and each icon it or the page names, at its size.
  const manifest = await get(browser.url + '/manifest.webmanifest');
  let app = {};
  try { app = JSON.parse(manifest.body.toString()); } catch (e) { /* checked below */ }
  check('the manifest loads: names, start, display, portrait, colours', manifest.status === 200 &&
    manifest.type === 'application/manifest+json' && app.name === 'Quibbo' && app.short_name && app.description &&
    app.start_url && app.scope && ['standalone', 'fullscreen'].includes(app.display) &&
    app.orientation === 'portrait' && app.theme_color && app.background_color, JSON.stringify(app));
  const html = fs.readFileSync(path.join(root, 'index.html'), 'utf8');
  const linked = rel => (new RegExp(`<link rel="${rel}" href="([^"]+)"`).exec(html) || [])[1];
  const icons = (app.icons || []).map(i => [i.src, i.type, i.sizes, i.purpose])
    .concat([[linked('apple-touch-icon'), 'image/png', '180x180'], [linked('icon'), 'image/x-icon', null]]);
  for (const [src, type, sizes, purpose] of icons) {
    const got = await get(browser.url + '/' + src);
    const size = pngSize(got.body);
    const ok = got.status === 200 && got.type === type &&
      (sizes ? size && size.join('x') === sizes : got.body.readUInt16LE(2) === 1 && got.body.readUInt16LE(4) >= 1);
    check(`the icon ${src}${purpose ? ' (' + purpose + ')' : ''} loads: ${type}, ${sizes || 'an icon file'}`, ok,
      JSON.stringify({ status: got.status, type: got.type, size }));
  }
  check('the manifest has icons of 192 and 512 px and a maskable one', ['192x192', '512x512'].every(s =>
    (app.icons || []).some(i => i.sizes === s)) && (app.icons || []).some(i => i.purpose === 'maskable'));

  // Installed in a profile of its own, from a server of its own: the
  // installability check, the cache, then the server stopped.
  const server = await serve();
  const profile = fs.mkdtempSync(path.join(dir, 'profile-'));
  const context = await chromium.launchPersistentContext(profile, { executablePath: browser.executable,
    headless: true, args: ['--no-sandbox'], viewport: { width: 390, height: 844 }, deviceScaleFactor: 2,
    isMobile: true, hasTouch: true });
  context.url = server.url;
  try {
    // A cache of an older build, made before the worker is installed.
    await context.addInitScript(() => { if (window.caches) caches.open('quibbo-older-build'); });
    const page = await open(context, '--seed 7', log);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await context.newCDPSession(page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    check('Chromium finds no installability error', installabilityErrors.length === 0,
      JSON.stringify(installabilityErrors));
    const sw = fs.readFileSync(path.join(root, 'sw.js'), 'utf8');
    const name = (/const CACHE = '([^']+)'/.exec(sw) || [])[1];
    const precached = JSON.parse(((/const FILES = (\[[^\]]*\])/.exec(sw) || [])[1] || '[]').replace(/'/g, '"'));
    const cached = await page.evaluate(async () => {
      const names = await caches.keys();
      return { names, files: names.length ? (await (await caches.open(names[0])).keys()).length : 0 };
    });
    const every = ['index.html', 'page.js', 'words.js', 'levelcode.js', 'runs.js', 'quibbo.wasm', 'manifest.webmanifest', 'icons/icon-512.png']
      .every(f => precached.includes(f));
    check('the worker precaches the static files under the build\'s cache, and the older cache is gone',
      /^quibbo-[0-9a-f]{16}$/.test(name) && every && JSON.stringify(cached.names) === JSON.stringify([name]) &&
      cached.files === precached.length, JSON.stringify({ name, precached, cached }));

    // No network: the page, another command line, a link and the editor.
    server.stop();
    const down = await get(server.url + '/index.html');
    await page.reload();
    const offline = await running(page).then(() => true, () => false);
    if (pictures) await page.screenshot({ path: path.join(pictures, 'page-offline.png') });
    await page.goto(`${server.url}/index.html?args=${encodeURIComponent('--seed 3')}#level=${codeOf(linkTo(server.url, path.join(levels, 'onedot.bmp')))}`);
    const linkOffline = await running(page).then(() => page.evaluate(() => Quibbo.levelsDir !== ''), () => false);
    // The editor's module, run: its own state says it is ready.
    const editor = await page.goto(`${server.url}/editor.html`).then(r => r.ok() && page.waitForFunction(
      () => window.QuibboEditor && QuibboEditor.state.ready, null, { timeout: 20000 }).then(() => true), () => false);
    check('with the server stopped, a reload plays, with ?args= and a link, and the editor loads',
      down.status === 0 && offline && linkOffline && editor, JSON.stringify({ down: down.status, offline, linkOffline, editor }));
  } finally {
    await context.close();
    server.stop();
  }
}

// The level editor's checks (tests/web/editor.js), with this file's tools.
async function editorPage(browser, log) {
  await editor(browser, log, { check, serveUrl: browser.url, native, leveltool, state, visible, open, running,
    figures, pictures });
}
async function editorLimits(browser, log) {
  await limits(browser, log, { check, leveltool });
}
async function editorTabs(browser, log) {
  await tabs(browser, log, { check });
}

(async () => {
  const server = await serve();
  const dir = fs.mkdtempSync(path.join(require('os').tmpdir(), 'quibbo-web-'));
  if (pictures) fs.mkdirSync(pictures, { recursive: true });
  const executable = process.env.CHROMIUM || '/usr/bin/chromium';
  const browser = await chromium.launch({ executablePath: executable, headless: true, args: ['--no-sandbox'] });
  browser.url = server.url;
  browser.executable = executable;
  const log = [];
  try {
    const parts = [sameGame, desktop, phone, levelFiles, address, links, runs, hostile, editorPage, editorLimits, editorTabs, webApp];
    // PARTS=links,editorPage runs only those.
    const only = process.env.PARTS ? process.env.PARTS.split(',') : null;
    for (const part of parts.filter(p => !only || only.includes(p.name))) {
      try {
        await part(browser, log, dir);
      } catch (e) {
        check(part.name, false, e.message.split('\n')[0]);
      }
    }
    check('no console errors', log.length === 0, log.join(' | '));
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
