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
//
// The parts live in tests/web/page/, a file a feature, over one harness
// (page/harness.js). PARTS=links,editorPage runs only those.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const h = require('./page/harness');

const parts = [
  ...Object.values(require('./page/desktop')), // sameGame, desktop
  ...Object.values(require('./page/phone')),
  ...Object.values(require('./page/levels')), // levelFiles, address
  ...Object.values(require('./page/links')),
  ...Object.values(require('./page/runs')),
  ...Object.values(require('./page/hostile')),
  ...Object.values(require('./page/editor')), // editorPage, editorLimits, editorTabs
  ...Object.values(require('./page/webapp')),
];

(async () => {
  const only = process.env.PARTS ? process.env.PARTS.split(',') : null;
  const unknown = (only || []).filter(name => !parts.some(p => p.name === name));
  if (unknown.length) {
    console.error(`page.js: no part ${unknown.join(', ')}; the parts: ${parts.map(p => p.name).join(', ')}`);
    process.exit(2);
  }
  const server = await h.serve();
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quibbo-web-'));
  if (h.pictures) fs.mkdirSync(h.pictures, { recursive: true });
  const executable = process.env.CHROMIUM || '/usr/bin/chromium';
  const browser = await h.chromium.launch({ executablePath: executable, headless: true, args: ['--no-sandbox'] });
  browser.url = server.url;
  browser.executable = executable;
  const log = [];
  try {
    for (const part of parts.filter(p => !only || only.includes(p.name))) {
      const began = Date.now();
      try {
        await part(browser, log, dir);
      } catch (e) {
        h.check(part.name, false, e.message.split('\n')[0]);
      }
      console.log(`     ${part.name}: ${((Date.now() - began) / 1000).toFixed(1)} s`);
    }
    h.check('no console errors', log.length === 0, log.join(' | '));
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
  console.log(`${h.counts.passed} passed, ${h.counts.failed} failed`);
  process.exit(h.counts.failed ? 1 : 0);
})();
