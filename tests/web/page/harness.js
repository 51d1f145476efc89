// What every part of the page test shares: the folder served on
// 127.0.0.1, the count of checks, pages opened and watched, the game's
// figures, and waits on what the game and the page say of themselves
// (Quibbo.state, the DOM, the frames painted), never on the clock alone.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { chromium } = require(process.env.PLAYWRIGHT_CORE || path.join(__dirname, '../../../web/node_modules/playwright-core'));

// The command line of tests/web/page.js: BUILD_WEB_DIR NATIVE_QUIBBO [PICTURE_DIR].
const root = path.resolve(process.argv[2] || 'build-web');
const native = path.resolve(process.argv[3] || 'build/quibbo');
const leveltool = path.join(path.dirname(native), 'leveltool');
const pictures = process.argv[4] ? path.resolve(process.argv[4]) : null;
const levels = path.join(__dirname, '..', 'levels');
const campaignDir = path.join(__dirname, '../../../levels');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.ico': 'image/x-icon' };

const counts = { passed: 0, failed: 0 };
function check(name, ok, detail) {
  if (ok) counts.passed++; else counts.failed++;
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
// The native game's figures for a command line.
const nativeFigures = args => figures(execFileSync(native, args).toString());
const startFigures = () => nativeFigures(['--headless', '--frames', '1', '--stats', '--seed', '7']);

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
// The canvas against a native screenshot: how many pixels differ.
async function pixelsDiffer(page, shot) {
  const expected = readBmp(shot), got = await canvasPixels(page);
  if (got.length !== expected.rgba.length) return Math.max(got.length, expected.rgba.length) / 4;
  let differ = 0;
  for (let i = 0; i < got.length; i += 4)
    if (got[i] !== expected.rgba[i] || got[i + 1] !== expected.rgba[i + 1] || got[i + 2] !== expected.rgba[i + 2]) differ++;
  return differ;
}
const state = page => page.evaluate(() => Object.assign({}, Quibbo.state));
const visible = (page, id) => page.evaluate(id => {
  const e = document.getElementById(id);
  return !!e && !e.hidden && getComputedStyle(e).display !== 'none' && e.getBoundingClientRect().width > 0;
}, id);

// Collects a page's stats lines (page.stats) and, into `log`, its errors;
// `errors` false: its page errors only.
function watch(page, log, errors = true) {
  page.stats = [];
  page.on('console', m => {
    if (m.text().startsWith('{"frames"')) page.stats.push(m.text());
    if (errors && m.type() === 'error') log.push(m.text() + ' ' + JSON.stringify(m.location()));
  });
  page.on('pageerror', e => log.push('page error: ' + e.message));
}
// The figures of the first game to end once the page has printed `count`
// stats lines; null if none comes within `ms`.
const statsAfter = (page, count, ms) => new Promise(resolve => {
  const look = () => { if (page.stats.length > count) done(); };
  const done = () => {
    clearTimeout(timer);
    page.off('console', look);
    resolve(page.stats.length > count ? figures(page.stats[page.stats.length - 1]) : null);
  };
  const timer = setTimeout(done, ms);
  page.on('console', look); // after watch's own listener, which keeps the line
  look();
});

// Opens the page with a command line (and a fragment, `#level=...`);
// collects its console and its stats lines. `wait` false: not for a game.
async function open(context, args, log, hash = '', wait = true) {
  const page = await context.newPage();
  watch(page, log);
  await page.goto(`${context.url}/index.html${args ? '?args=' + encodeURIComponent(args) : ''}${hash}`);
  if (wait) await running(page, 5);
  return page;
}
// A context whose pages know the server's address.
async function newContext(browser, options) {
  const context = await browser.newContext(options);
  context.url = browser.url;
  return context;
}

// Waits until the game that runs now has had `passes` idle passes.
const running = (page, passes = 10) => page.waitForFunction(
  p => window.Quibbo && Quibbo.state.games > 0 && Quibbo.state.ended === null && Quibbo.state.passes >= p,
  passes, { timeout: 20000 });

// The game runs 60 passes a second: what a player holds for `ms`.
const passesOf = ms => Math.round(ms * 60 / 1000);
// Waits until the game has run `n` more passes (a new game's count from
// its start), or stops taking keys: a box is up or the game has ended.
async function passesGoBy(page, n) {
  const from = await page.evaluate(() => [Quibbo.state.games, Quibbo.state.passes]);
  await page.waitForFunction(([games, passes, n]) => {
    const s = Quibbo.state, box = document.getElementById('box');
    return (s.games === games ? s.passes - passes : s.passes) >= n || s.ended !== null || (box && !box.hidden);
  }, [...from, n], { timeout: 20000 });
}
// Waits until the passes stand still between two looks 100 ms apart: the
// game is held (paused, or without the focus).
const standsStill = page => page.evaluate(() => { delete window.lastPasses; }).then(() => page.waitForFunction(() => {
  const now = Quibbo.state.passes, same = window.lastPasses === now;
  window.lastPasses = now;
  return same;
}, null, { polling: 100, timeout: 5000 })).catch(() => {});
// Waits until the game has run more than `n` passes past `passes`; false
// if it never does (it stays held).
const goesOn = (page, passes, n = 5) => page.waitForFunction(([p, n]) => Quibbo.state.passes > p + n,
  [passes, n], { timeout: 10000 }).then(() => true, () => false);
// Waits until the page has painted `n` more frames.
const painted = (page, n = 2) => page.evaluate(n => new Promise(resolve => {
  const step = () => (--n > 0 ? requestAnimationFrame(step) : resolve());
  requestAnimationFrame(step);
}), n);

// Holds a key for `passes` of the game's passes.
async function hold(page, key, passes) {
  await page.keyboard.down(key);
  await passesGoBy(page, passes);
  await page.keyboard.up(key);
}

// Does `action` and gives the figures of the game it ends.
async function figuresAfter(page, action) {
  const count = page.stats.length;
  await action();
  return statsAfter(page, count, 10000);
}
// The figures of the run the page replays, once it has ended (a replay in
// the canvas takes the run's own time).
async function replayed(page, count = 0) {
  await page.waitForFunction(() => document.readyState === 'complete' && Quibbo.state.ended !== null, null,
    { timeout: 60000 }).catch(() => {});
  return statsAfter(page, count, 2000);
}

// Share this run's link: the page deflates the run first, so the link is
// read once its dialog is open ("" when it never opens).
async function sharedLink(page) {
  await page.click('#share-run');
  await page.waitForSelector('#run-shared[open]', { timeout: 10000 }).catch(() => {});
  return page.inputValue('#run-link').catch(() => '');
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

// The link's code of a run file as the native game writes it ("QBRZ" and
// the raw deflate of the body).
const runCodeOf = file => 'r' + fs.readFileSync(file).subarray(4).toString('base64url');
// A code with one character changed.
const flip = (code, at) => code.slice(0, at) + (code[at] === 'A' ? 'B' : 'A') + code.slice(at + 1);

module.exports = {
  chromium, root, native, leveltool, pictures, levels, campaignDir, counts, check, serve, figures, nativeFigures,
  startFigures, readBmp, canvasPixels, pixelsDiffer, state, visible, watch, statsAfter, open, newContext, running,
  passesOf, passesGoBy, standsStill, goesOn, painted, hold, figuresAfter, replayed, sharedLink, dropLevels,
  playLevels, giveFiles, untilBox, quit, noteFor, filesUnder, crowdedLevel, linkTo, codeOf, unlinked, runCodeOf, flip,
};
