// The installable page: the manifest and each icon at its size, no
// installability error, the build's cache alone, then with the server
// stopped a reload, another command line, a link and the editor.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const h = require('./harness');
const { check, root, chromium } = h;

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
  const server = await h.serve();
  const profile = fs.mkdtempSync(path.join(dir, 'profile-'));
  const context = await chromium.launchPersistentContext(profile, { executablePath: browser.executable,
    headless: true, args: ['--no-sandbox'], viewport: { width: 390, height: 844 }, deviceScaleFactor: 2,
    isMobile: true, hasTouch: true });
  context.url = server.url;
  try {
    // A cache of an older build, made before the worker is installed.
    await context.addInitScript(() => { if (window.caches) caches.open('quibbo-older-build'); });
    const page = await h.open(context, '--seed 7', log);
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
    const offline = await h.running(page).then(() => true, () => false);
    if (h.pictures) await page.screenshot({ path: path.join(h.pictures, 'page-offline.png') });
    await page.goto(`${server.url}/index.html?args=${encodeURIComponent('--seed 3')}#level=${h.codeOf(h.linkTo(server.url, path.join(h.levels, 'onedot.bmp')))}`);
    const linkOffline = await h.running(page).then(() => page.evaluate(() => Quibbo.levelsDir !== ''), () => false);
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

module.exports = { webApp };
