// The game's page in the system's headless Chromium, driven through
// playwright-core: it serves the built folder itself on 127.0.0.1, plays the
// page with keys, touch, the box and dropped levels, compares the canvas with
// the native game's picture, stops its server and prints "N passed, N failed".
//
//   node tests/web/page.js BUILD_WEB_DIR NATIVE_QUIBBO [PICTURE_DIR]
//
// NATIVE_QUIBBO is the desktop build's game (its --headless run is the
// reference); PICTURE_DIR, when given, receives screenshots of the page on a
// desktop, a phone upright and a phone on its side.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { chromium } = require(process.env.PLAYWRIGHT_CORE || path.join(__dirname, '../../web/node_modules/playwright-core'));

const root = path.resolve(process.argv[2] || 'build-web');
const native = path.resolve(process.argv[3] || 'build/quibbo');
const pictures = process.argv[4] ? path.resolve(process.argv[4]) : null;
const levels = path.join(__dirname, 'levels');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css' };

let passed = 0, failed = 0;
function check(name, ok, detail) {
  if (ok) passed++; else failed++;
  console.log(`${ok ? 'PASS' : 'FAIL'} ${name}${!ok && detail !== undefined ? ': ' + detail : ''}`);
}

function serve() {
  const server = http.createServer((req, res) => {
    const file = path.join(root, decodeURIComponent(req.url.split('?')[0]).replace(/^\/$/, '/index.html'));
    if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404); res.end(); return;
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
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

// Opens the page with a command line; collects its console and its stats lines.
async function open(context, args, log) {
  const page = await context.newPage();
  page.stats = [];
  page.on('console', m => {
    if (m.text().startsWith('{"frames"')) page.stats.push(m.text());
    if (m.type() === 'error') log.push(m.text());
  });
  page.on('pageerror', e => log.push('page error: ' + e.message));
  await page.goto(`${context.url}/index.html${args ? '?args=' + encodeURIComponent(args) : ''}`);
  await running(page, 5);
  return page;
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
  check('no touch buttons without a touch screen', !(await visible(page, 'pad')));
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
  const offered = await page.$$eval('#start-level option', o => o.map(e => e.value));
  check('the end of a game says thanks, offers another and the campaign\'s levels to start at',
    /Thanks for playing/.test(await page.textContent('#ended')) && await visible(page, 'new-game') &&
    offered.length === 16 && offered[15] === '15', JSON.stringify(offered));
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

// A phone: the buttons round the picture, upright and on its side.
async function phone(browser, log) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3,
    isMobile: true, hasTouch: true });
  context.url = browser.url;
  const page = await open(context, '--stats --seed 7', log);
  const cdp = await context.newCDPSession(page);
  for (const [name, width, height] of [['portrait', 390, 844], ['landscape', 844, 390]]) {
    await page.setViewportSize({ width, height });
    await page.waitForTimeout(200);
    const box = await page.evaluate(() => {
      const rect = e => { const r = e.getBoundingClientRect(); return { l: r.left, t: r.top, r: r.right, b: r.bottom }; };
      const keys = [...document.querySelectorAll('#pad .key')].map(rect);
      return { screen: rect(document.getElementById('screen')), keys, w: innerWidth, h: innerHeight,
        scrolls: document.documentElement.scrollWidth > innerWidth || document.documentElement.scrollHeight > innerHeight };
    });
    const inside = r => r.l >= 0 && r.t >= 0 && r.r <= box.w && r.b <= box.h;
    const apart = r => r.r <= box.screen.l || r.l >= box.screen.r || r.b <= box.screen.t || r.t >= box.screen.b;
    check(`touch buttons ${name}: shown, 48 px or more, on screen, clear of the picture`,
      await visible(page, 'pad') && box.keys.length === 5 && !box.scrolls && inside(box.screen) &&
      box.keys.every(k => k.r - k.l >= 48 && k.b - k.t >= 48 && inside(k) && apart(k)), JSON.stringify(box));
    if (pictures) await page.screenshot({ path: path.join(pictures, `web-phone-${name}.png`) });
  }
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

(async () => {
  const server = await serve();
  const dir = fs.mkdtempSync(path.join(require('os').tmpdir(), 'quibbo-web-'));
  if (pictures) fs.mkdirSync(pictures, { recursive: true });
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true, args: ['--no-sandbox'] });
  browser.url = `http://127.0.0.1:${server.address().port}`;
  const log = [];
  try {
    for (const part of [sameGame, desktop, phone, levelFiles, address]) {
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
