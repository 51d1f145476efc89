// Runs the game's page once in headless Chromium with a command line and
// prints the fps figure of the run's --stats line (for tests/web/bench.sh).
//   node tests/web/frame-time.js BUILD_WEB_DIR "ARGS"
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { chromium } = require(process.env.PLAYWRIGHT_CORE || path.join(__dirname, '../../web/node_modules/playwright-core'));

const root = path.resolve(process.argv[2]);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css' };

(async () => {
  const server = http.createServer((req, res) => {
    const file = path.join(root, decodeURIComponent(req.url.split('?')[0]));
    if (!file.startsWith(root) || !fs.existsSync(file)) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox'] });
  try {
    const page = await browser.newPage();
    const stats = new Promise(resolve => page.on('console', m => { if (m.text().startsWith('{"frames"')) resolve(m.text()); }));
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html?args=${encodeURIComponent(process.argv[3])}`);
    console.log(JSON.parse(await stats).fps);
  } finally {
    await browser.close();
    server.close();
  }
})();
