// The level editor (web/editor.html) in headless Chromium: painting with
// each tool, undo and redo, the level file against the level tool's, the
// level kept over a reload, Play and back, refusals, and a level drawn on a
// phone, shared as a link and played from it in a fresh browser profile.
// Its parts editorPage, editorLimits and editorTabs run in tests/web/page.js;
// alone:
//
//   PARTS=editorPage node tests/web/page.js BUILD_WEB_DIR NATIVE_QUIBBO
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync, spawnSync } = require('child_process');
const h = require('./harness');
const { check, levels, leveltool, pictures } = h;

const ready = page => page.waitForFunction(() => window.QuibboEditor && QuibboEditor.state.ready, null, { timeout: 20000 });
const desk = page => page.evaluate(() => QuibboEditor.desk());
const cells = page => page.evaluate(() => QuibboEditor.level());
const spot = (page, c, r) => page.evaluate(([c, r]) => QuibboEditor.spot(c, r), [c, r]);
// Every change is kept: wait until the store has caught up.
const settled = page => page.waitForFunction(() => {
  const s = QuibboEditor.state;
  const now = `${s.checks}/${s.saves}`, same = window.lastSettled === now;
  window.lastSettled = now;
  return same;
}, null, { polling: 300, timeout: 10000 });

async function openEditor(context, log, hash = '') {
  const page = await context.newPage();
  page.on('console', m => { if (m.type() === 'error') log.push('editor: ' + m.text()); });
  page.on('pageerror', e => log.push('editor page error: ' + e.message));
  await page.goto(`${context.url}/editor.html${hash}`);
  await ready(page);
  return page;
}
const pick = (page, selector) => page.click(`#palette [data-cell="${selector}"]`);
async function stroke(page, from, to) {
  const a = await spot(page, ...from), b = await spot(page, ...to);
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await page.mouse.move(b.x, b.y, { steps: 6 });
  await page.mouse.up();
}
async function menu(page, id) { // folded into a menu on a narrow screen
  if (await page.isVisible('#menu-button')) await page.click('#menu-button');
  await page.click(id);
}
async function downloaded(page, id) {
  const [file] = await Promise.all([page.waitForEvent('download', { timeout: 5000 }), menu(page, id)]);
  return fs.readFileSync(await file.path());
}

async function editorPage(browser, log) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quibbo-editor-'));
  const context = await h.newContext(browser, { viewport: { width: 1280, height: 800 }, acceptDownloads: true });
  let page = await openEditor(context, log);

  // Each tool paints, each use is one step, and undo and redo walk them.
  const start = await cells(page);
  const at = (level, c, r) => level.cells[r * level.width + c];
  await pick(page, 64);
  await stroke(page, [2, 2], [6, 2]);
  await page.click('[data-tool="rect"]');
  await pick(page, 130);
  await stroke(page, [2, 4], [4, 6]);
  await page.click('[data-tool="fill"]');
  await pick(page, 131);
  const fillAt = await spot(page, 3, 5);
  await page.mouse.click(fillAt.x, fillAt.y);
  await page.click('[data-tool="erase"]');
  await stroke(page, [3, 2], [3, 2]);
  const painted = await cells(page);
  const row = (level, r, from, to) => Array.from({ length: to - from + 1 }, (_, i) => at(level, from + i, r));
  const paintedOk = JSON.stringify(row(painted, 2, 2, 6)) === '[64,1,64,64,64]' &&
    [4, 5, 6].every(r => JSON.stringify(row(painted, r, 2, 4)) === '[131,131,131]') && at(painted, 5, 5) === 1;
  const steps = (await desk(page)).undo;
  await page.keyboard.press('Control+z');
  await page.keyboard.press('Control+z');
  const undone = await cells(page);
  await page.click('#redo');
  const redone = await cells(page);
  check('editor: brush, rectangle, fill and eraser paint, one undo step each; undo and redo walk them',
    paintedOk && steps === 4 && at(undone, 3, 2) === 64 && at(undone, 3, 5) === 130 && at(redone, 3, 5) === 131 &&
    at(redone, 3, 2) === 64, JSON.stringify({ steps, row2: row(painted, 2, 2, 6), fill: at(redone, 3, 5) }));
  await page.click('#redo');
  // 120 steps back to the start.
  await page.click('[data-tool="brush"]');
  for (let i = 0; i < 116; i++) { const p = await spot(page, 1 + i % 22, 7 + Math.floor(i / 22)); await page.mouse.click(p.x, p.y); }
  for (let i = 0; i < 120; i++) await page.keyboard.press('Control+z');
  const back = await cells(page);
  check('editor: 120 steps undo back to the level as it began',
    JSON.stringify(back.cells) === JSON.stringify(start.cells) && (await desk(page)).undo === 0, JSON.stringify(await desk(page)));
  await page.click('#redo');
  await page.click('#redo');

  // The live check: a dot walled in is named and marked on the grid.
  await page.click('[data-tool="rect"]');
  await pick(page, 128);
  await stroke(page, [14, 2], [18, 6]);
  await page.click('[data-tool="brush"]');
  await pick(page, 64);
  await stroke(page, [16, 4], [16, 4]);
  await page.waitForFunction(() => /^1 problem: .*\(16, 4\)/.test(QuibboEditor.state.summary), null, { timeout: 5000 }).catch(() => {});
  const checked = await page.evaluate(() => ({ summary: document.getElementById('summary').textContent,
    failures: QuibboEditor.state.failures }));
  check('editor: the live check names an unreachable dot in one line and marks its cell',
    /^1 problem: .*\(16, 4\)/.test(checked.summary) && checked.failures.length === 1, JSON.stringify(checked));
  if (pictures) await page.screenshot({ path: path.join(pictures, 'editor-marks.png') });

  // The level file is the level tool's, byte for byte, for the same map:
  // the map exported from the editor, and a map imported into it.
  const bytes = await downloaded(page, '#save');
  const map = await downloaded(page, '#export');
  const make = (text, name) => {
    fs.writeFileSync(path.join(scratch, name + '.txt'), text);
    execFileSync(leveltool, ['make', path.join(scratch, name + '.txt'), path.join(scratch, name + '.bmp')], { stdio: 'ignore' });
    return fs.readFileSync(path.join(scratch, name + '.bmp'));
  };
  const drawn = await cells(page);
  await page.setInputFiles('#pick-text', path.join(levels, 'gun.txt'));
  await page.waitForFunction(() => QuibboEditor.state.level === 'gun');
  const gun = await downloaded(page, '#save');
  check('editor: saved level files equal `leveltool make` of the same map (drawn and exported; imported)',
    bytes.equals(make(map, 'drawn')) && gun.equals(make(fs.readFileSync(path.join(levels, 'gun.txt')), 'gun')),
    `${bytes.length} and ${gun.length} bytes`);

  // A file that cannot be read is refused with why; the level stays.
  await page.setInputFiles('#pick', { name: 'QB00.BMP', mimeType: 'image/bmp', buffer: Buffer.alloc(300, 7) });
  await page.waitForFunction(() => /QB00\.BMP was refused: /.test(QuibboEditor.state.note || ''), null, { timeout: 5000 }).catch(() => {});
  const refused = await page.evaluate(() => ({ note: QuibboEditor.state.note, level: QuibboEditor.state.level }));
  check('editor: an unreadable level file is refused with why, the level left as it was',
    /^QB00\.BMP was refused: \S.{8,}$/.test(refused.note) && refused.level === 'gun', JSON.stringify(refused));

  // A reload brings back the last level edited, and keeps the others.
  await page.selectOption('#levels', 'Level');
  await page.waitForFunction(() => QuibboEditor.state.level === 'Level');
  await settled(page);
  await page.reload();
  await ready(page);
  const kept = await cells(page);
  const names = await page.$$eval('#levels option', o => o.map(e => e.value));
  check('editor: a reload keeps the level and the list of levels', JSON.stringify(kept) === JSON.stringify(drawn) &&
    JSON.stringify(names) === '["gun","Level"]', JSON.stringify({ names, name: kept.name }));

  // The wheel zooms about the pointer; the right button drags the view.
  const under = await spot(page, 10, 6), near = (await desk(page)).view.zoom;
  await page.mouse.move(under.x, under.y);
  await page.mouse.wheel(0, -300);
  await page.waitForFunction(z => QuibboEditor.desk().view.zoom !== z, near, { timeout: 5000 }).catch(() => {});
  const zoomed = await spot(page, 10, 6), wider = (await desk(page)).view.zoom;
  await page.mouse.down({ button: 'right' });
  await page.mouse.move(under.x + 40, under.y - 30, { steps: 4 });
  await page.mouse.up({ button: 'right' });
  const panned = await spot(page, 10, 6);
  check('editor: the wheel zooms about the pointer, the right button pans, neither paints',
    wider > near * 1.2 && Math.hypot(zoomed.x - under.x, zoomed.y - under.y) < 1 && Math.abs(panned.x - under.x - 40) < 1 &&
    Math.abs(panned.y - under.y + 30) < 1 && JSON.stringify(await cells(page)) === JSON.stringify(kept),
    JSON.stringify({ under, zoomed, panned, near, wider }));

  // Play puts the game over the editor; Escape comes back to it as it was.
  await page.click('[data-tool="rect"]');
  await stroke(page, [8, 12], [9, 13]);
  const before = await desk(page);
  await page.click('#play');
  const frame = await page.waitForSelector('#play-frame').then(f => f.contentFrame());
  const played = await frame.waitForFunction(() => window.Quibbo && Quibbo.state.games > 0 && Quibbo.state.passes > 5,
    null, { timeout: 20000 }).then(() => true, () => false);
  const playNote = played ? await frame.textContent('#note') : '';
  await page.keyboard.press('Escape');
  const gone = await page.waitForSelector('#play-frame', { state: 'detached', timeout: 5000 }).then(() => true, () => false);
  const after = await desk(page);
  check('editor: Play runs the level over the editor, saying so; Escape returns to it as it was (tool, zoom, pan, undo)',
    played && playNote === "Plays the editor's level" && gone && JSON.stringify(after) === JSON.stringify(before) &&
    before.undo === 1, JSON.stringify({ played, playNote, gone, before, after }));

  // Share... is offered only where the browser has a share sheet, and hands
  // it the link; where there is none, it is neither shown nor called.
  const shareWith = async sheet => {
    await page.evaluate(sheet => {
      window.thrown = [];
      window.sharedWith = null;
      document.getElementById('link').value = ''; // the last link's, until this one is made
      addEventListener('error', e => thrown.push(e.message));
      if (sheet) navigator.share = async data => { window.sharedWith = data; };
      else delete Navigator.prototype.share, delete navigator.share;
    }, sheet);
    await page.click('#share');
    await page.waitForFunction(() => document.getElementById('link').value.includes('#level='));
    const shown = await page.isVisible('#send');
    await page.evaluate(() => document.getElementById('send').click()); // as a stale dialog's button would
    // The sheet is handed the link; with none, nothing may happen a while.
    if (sheet) await page.waitForFunction(() => window.sharedWith, null, { timeout: 5000 }).catch(() => {});
    else await page.waitForTimeout(100);
    const seen = await page.evaluate(() => ({ link: document.getElementById('link').value, sharedWith, thrown }));
    await page.click('#shared button[value="ok"]');
    return Object.assign(seen, { shown });
  };
  const without = await shareWith(false), withSheet = await shareWith(true);
  check('editor: Share... shows and sends the link only where the browser can share',
    !without.shown && without.sharedWith === null && without.thrown.length === 0 &&
    withSheet.shown && withSheet.sharedWith && withSheet.sharedWith.url === withSheet.link,
    JSON.stringify({ without, withSheet }));

  // A broken link is refused in one line; the level being edited stays.
  for (const [kind, code] of [['a tampered link', (await shareLink(page)).replace(/.{6}$/, 'AAAAAA').split('#level=')[1]],
    ['a link of a later format', '9hello'], ['a link cut short', '1']]) {
    page = await openEditor(context, log, '#level=' + code);
    const said = await page.evaluate(() => ({ note: QuibboEditor.state.note || '', level: QuibboEditor.state.level }));
    check(`editor: ${kind} is refused in one line, the level left as it was`, /^The link was refused: [^\n]+$/.test(said.note) &&
      said.level === 'Level' && (await page.$$('#levels option')).length === 2, JSON.stringify(said));
  }
  // New, resize (one step), rename, and delete after asking.
  const answer = async (fields, button = '#ask-ok') => {
    for (const [id, value] of Object.entries(fields)) await page.fill(id, String(value));
    await page.click(button);
  };
  const until = (test, arg) => page.waitForFunction(test, arg, { timeout: 5000 }).catch(() => {});
  const listed = () => page.$$eval('#levels option', o => o.map(e => e.value));
  await page.click('#new');
  await answer({ '#ask-width': 10, '#ask-height': 8 });
  await until(() => QuibboEditor.state.level === 'Level 2');
  const made = await cells(page);
  await page.click('#resize');
  await answer({ '#ask-width': 12, '#ask-height': 9 });
  await until(() => QuibboEditor.level().width === 12);
  const grown = await cells(page);
  await page.click('#undo');
  const shrunk = await cells(page);
  await page.click('#rename');
  await answer({ '#ask-name': 'Maze' });
  await until(() => QuibboEditor.state.saves && document.querySelector('#levels option[value="Maze"]'));
  await page.click('#delete');
  await answer({}, '#ask button[value="cancel"]');
  const spared = await listed();
  await page.click('#delete');
  await answer({});
  await until(() => document.querySelectorAll('#levels option').length === 2);
  const left = await listed();
  check('editor: New, Resize (undone in one step), Rename and Delete (asked first)', made.name === 'Level 2' &&
    made.width === 10 && grown.width === 12 && grown.height === 9 && JSON.stringify(shrunk) === JSON.stringify(made) &&
    JSON.stringify(spared) === '["gun","Level","Maze"]' && JSON.stringify(left) === '["gun","Level"]',
    JSON.stringify({ made: [made.name, made.width], grown: [grown.width, grown.height], spared, left }));
  await context.close();
  await phone(browser, log, scratch);
  fs.rmSync(scratch, { recursive: true, force: true });
}

async function shareLink(page) {
  await page.click('#share');
  await page.waitForFunction(() => document.getElementById('link').value.includes('#level='));
  const link = await page.inputValue('#link');
  await page.click('#shared button[value="ok"]');
  return link;
}

// Drawn with a finger on a phone, saved, shared, and played from the link
// in a profile that has never seen the editor.
async function phone(browser, log, scratch) {
  const context = await h.newContext(browser, { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3,
    isMobile: true, hasTouch: true, acceptDownloads: true });
  const page = await openEditor(context, log);
  const cdp = await context.newCDPSession(page);
  const touches = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  const tap = async (c, r) => { const p = await spot(page, c, r); await page.touchscreen.tap(p.x, p.y); };
  await page.tap('#palette [data-cell="64"]');
  for (const c of [4, 8, 12]) await tap(c, 3);
  await page.tap('#palette [data-cell="65"]');
  await tap(16, 3);
  await page.tap('#palette [data-cell="3"]');
  await tap(20, 2);
  // Counted in words: one of a thing is one.
  const words = 'Can be finished, plays fair: 3 dots, 1 gun, 1 enemy';
  await page.waitForFunction(w => QuibboEditor.state.summary === w, words, { timeout: 5000 }).catch(() => {});
  const counted = await page.evaluate(() => QuibboEditor.state.summary);
  check('editor: the check counts in words (3 dots, 1 gun, 1 enemy)', counted === words, counted);
  // Two fingers pinch the view wider and paint nothing.
  const drawn = await cells(page), zoom = (await desk(page)).view.zoom;
  const a = await spot(page, 8, 8), b = await spot(page, 14, 8);
  await touches('touchStart', [{ x: a.x, y: a.y, id: 1 }]);
  await touches('touchStart', [{ x: a.x, y: a.y, id: 1 }, { x: b.x, y: b.y, id: 2 }]);
  for (let i = 1; i <= 5; i++)
    await touches('touchMove', [{ x: a.x - 8 * i, y: a.y, id: 1 }, { x: b.x + 8 * i, y: b.y, id: 2 }]);
  await touches('touchEnd', []);
  const pinched = await desk(page);
  const targets = await page.evaluate(() => [...document.querySelectorAll('#top .tool, #tools .tool, #palette .tool')]
    .map(e => e.getBoundingClientRect()).filter(r => r.width > 0 && (r.width < 44 || r.height < 44 || r.left < 0 || r.right > innerWidth)).length);
  check('editor on a phone: a finger paints, two fingers zoom without painting, touch targets 44 px and on screen',
    pinched.view.zoom > zoom * 1.3 && JSON.stringify(await cells(page)) === JSON.stringify(drawn) &&
    drawn.cells.filter(v => v === 64).length === 3 && targets === 0, JSON.stringify({ zoom, pinched, targets }));
  if (pictures) await page.screenshot({ path: path.join(pictures, 'editor-phone.png') });

  const saved = await downloaded(page, '#save');
  const link = await shareLink(page);
  fs.writeFileSync(path.join(scratch, 'phone.bmp'), saved);
  execFileSync(leveltool, ['unlink', link, path.join(scratch, 'linked.bmp')], { stdio: 'ignore' });
  const same = fs.readFileSync(path.join(scratch, 'linked.bmp')).equals(saved);
  await context.close();

  // A fresh profile plays the link: the game's figures count its three dots.
  const fresh = await browser.newContext({ viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true });
  const game = await fresh.newPage();
  const stats = [];
  game.on('console', m => { if (m.text().startsWith('{"frames"')) stats.push(m.text()); if (m.type() === 'error') log.push('game: ' + m.text()); });
  game.on('pageerror', e => log.push('game page error: ' + e.message));
  const [address, code] = link.split('#level=');
  await game.goto(`${address}index.html?args=--stats#level=${code}`);
  const running = await game.waitForFunction(() => window.Quibbo && Quibbo.state.games > 0 && Quibbo.state.passes > 5,
    null, { timeout: 20000 }).then(() => true, () => false);
  await game.keyboard.press('Escape');
  await game.waitForSelector('#box:not([hidden])', { timeout: 8000 }).catch(() => {});
  await game.keyboard.press('Escape');
  await game.waitForFunction(() => Quibbo.state.ended !== null, null, { timeout: 8000 }).catch(() => {});
  const figures = stats.length ? JSON.parse(stats[stats.length - 1]) : null;
  check('editor on a phone: saved, shared as a link that carries those bytes, played from it in a fresh profile',
    link.startsWith(browser.url + '/#level=1') && same && running && figures && figures.dots_left === 3 && figures.enemies === 1,
    JSON.stringify({ link: link.length, same, running, figures }));
  await fresh.close();
}

// A map drawn at random: a problem every few cells.
function randomMap(side) {
  let seed = 12345;
  const next = () => (seed = (seed * 1103515245 + 12345) >>> 0) >>> 16;
  const kinds = '.......#######oEGP';
  let text = '';
  for (let r = 0; r < side; r++) {
    let row = '';
    for (let c = 0; c < side; c++) row += kinds[next() % kinds.length];
    text += row + '\n';
  }
  return text;
}
const openMap = (width, height) => Array.from({ length: height },
  (_, r) => (r === height - 1 ? 'P' + 'o' : '..') + '.'.repeat(width - 2)).join('\n') + '\n';
// The longest the page's own thread went without running a timer, from now.
const watchStalls = page => page.evaluate(() => {
  window.stalls = { last: performance.now(), worst: 0 };
  clearInterval(window.stallTimer);
  window.stallTimer = setInterval(() => {
    const now = performance.now();
    stalls.worst = Math.max(stalls.worst, now - stalls.last);
    stalls.last = now;
  }, 10);
});
const worstStall = page => page.evaluate(() => Math.round(stalls.worst));

// Large and broken maps, a link to a large level, a full disk: the editor
// stays responsive, lists a bounded number of problems, and says why.
async function editorLimits(browser, log) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quibbo-limits-'));
  const context = await h.newContext(browser, { viewport: { width: 1280, height: 800 } });
  let page = await openEditor(context, log);

  // 1024 x 1024 cells of random map: the level tool counts its problems.
  const random = randomMap(1024);
  fs.writeFileSync(path.join(scratch, 'random.txt'), random);
  const verdict = /verdict: (\d+) problems/.exec(spawnSync(leveltool,
    ['check', path.join(scratch, 'random.txt')], { encoding: 'utf8', maxBuffer: 1 << 30 }).stdout);
  const errors = log.length, checks = await page.evaluate(() => QuibboEditor.state.checks);
  await watchStalls(page);
  await page.setInputFiles('#pick-text', { name: 'random.txt', mimeType: 'text/plain', buffer: Buffer.from(random) });
  await page.waitForFunction(c => QuibboEditor.state.level === 'random' && QuibboEditor.state.checks > c, checks,
    { timeout: 30000 }).catch(() => {});
  await settled(page);
  const imported = await page.evaluate(() => ({ summary: QuibboEditor.state.summary, note: QuibboEditor.state.note,
    items: document.querySelectorAll('#problems li').length, last: document.querySelector('#problems li:last-child').textContent }));
  imported.stall = await worstStall(page);
  const total = verdict ? +verdict[1] : -1;
  check('editor: a 1024 x 1024 random map imports without an error or a 2 s stall; 100 problems listed, then how many more',
    total > 10000 && imported.stall < 2000 && log.length === errors && imported.summary.startsWith(`${total} problems: `) &&
    imported.items === 101 && imported.last === `and ${total - 100} more problems`, JSON.stringify({ total, imported }));

  // Reopened on a reload; not after a visit that stopped while opening it.
  await page.reload();
  await ready(page);
  const reopened = await page.evaluate(() => QuibboEditor.state.level);
  // A tab that died while "random" opened left its mark in the storage.
  await page.close();
  page = await context.newPage();
  await page.addInitScript(() => localStorage.setItem('quibbo-editor-opening', JSON.stringify({ level: 'random' })));
  await page.goto(`${context.url}/editor.html`);
  await ready(page);
  const spared = await page.evaluate(() => ({ level: QuibboEditor.state.level, note: QuibboEditor.state.note }));
  await page.selectOption('#levels', 'random');
  await page.waitForFunction(() => QuibboEditor.state.level === 'random' && /^\d+ problems/.test(QuibboEditor.state.summary));
  await page.close();
  page = await openEditor(context, log);
  const picked = await page.evaluate(() => QuibboEditor.state.level);
  check('editor: a level that was still opening when the tab stopped is not opened by itself, and says so',
    reopened === 'random' && spared.level === 'Level' && /^"random" was not opened: /.test(spared.note) && picked === 'random',
    JSON.stringify({ reopened, spared, picked }));

  // A link's level of more than a million cells asks first.
  fs.writeFileSync(path.join(scratch, 'wide.txt'), openMap(1001, 1000));
  const code = execFileSync(leveltool, ['link', path.join(scratch, 'wide.txt'), browser.url + '/'], { encoding: 'utf8' })
    .trim().split('#level=')[1];
  const linked = async button => {
    const tab = await context.newPage();
    tab.on('pageerror', e => log.push('editor page error: ' + e.message));
    await tab.goto(`${context.url}/editor.html#level=${code}`);
    const asked = await tab.waitForSelector('#ask[open]', { timeout: 20000 }).then(() => tab.textContent('#ask-text'), () => '');
    if (asked) await tab.click(button);
    await ready(tab);
    const seen = await tab.evaluate(() => ({ note: QuibboEditor.state.note, level: QuibboEditor.level().width, asked: '' }));
    await tab.close();
    return Object.assign(seen, { asked });
  };
  const declined = await linked('#ask button[value="cancel"]'), taken = await linked('#ask-ok');
  check('editor: a link to a level of over a million cells opens only when the player says so',
    /1001 x 1000 cells/.test(declined.asked) && declined.note === "The link's level was not opened" && declined.level !== 1001 &&
    /1001 x 1000/.test(taken.asked) && taken.level === 1001, JSON.stringify({ declined, taken }));

  // A 4096 x 4096 corridor: strokes do not stall the page.
  await page.setInputFiles('#pick-text', { name: 'corridor.txt', mimeType: 'text/plain', buffer: Buffer.from(openMap(4096, 4096)) });
  await page.waitForFunction(() => QuibboEditor.state.level === 'corridor', null, { timeout: 30000 });
  await settled(page);
  await watchStalls(page);
  const checked = await page.evaluate(() => QuibboEditor.state.checks);
  await pick(page, 128);
  for (let i = 0; i < 3; i++) {
    await stroke(page, [1000 + 500 * i, 500], [1000 + 500 * i, 3500]);
    await page.waitForFunction(n => QuibboEditor.desk().undo === n, i + 1, { timeout: 5000 }).catch(() => {});
  }
  await page.waitForFunction(c => QuibboEditor.state.checks > c, checked, { timeout: 30000 }).catch(() => {});
  await settled(page);
  const strokes = await worstStall(page), drawn = (await desk(page)).undo;
  check('editor: strokes on a 4096 x 4096 corridor stall the page less than 0.25 s: the map is checked off the page\'s thread', strokes < 250 && drawn === 3,
    JSON.stringify({ strokes, drawn }));
  await page.close();

  // A full disk: the reason, in words. The store refuses as Chromium's does
  // when the disk is full, with a DOMException that has no message.
  page = await openEditor(context, log);
  await page.evaluate(() => {
    IDBObjectStore.prototype.put = function () {
      Object.defineProperty(this.transaction, 'error', { value: new DOMException('', 'QuotaExceededError') });
      this.transaction.abort();
    };
  });
  await page.click('#new');
  await page.fill('#ask-width', '400');
  await page.fill('#ask-height', '400');
  await page.click('#ask-ok');
  await page.waitForFunction(() => /could not be kept/.test(QuibboEditor.state.note || ''), null, { timeout: 10000 }).catch(() => {});
  const full = await page.evaluate(() => QuibboEditor.state.note);
  check('editor: on a full disk, the level could not be kept because the storage is full',
    full === "The level could not be kept: the browser's storage is full", full);
  await context.close();
  fs.rmSync(scratch, { recursive: true, force: true });
}

// Two tabs of one browser on the same levels: nothing either draws is lost.
// A tab without BroadcastChannel hears nothing and learns of the other's
// saves only from the store's versions.
async function editorTabs(browser, log) {
  const context = await h.newContext(browser, { viewport: { width: 1280, height: 800 } });
  const kept = page => page.evaluate(() => new Promise(resolve => {
    const open = indexedDB.open('quibbo-editor');
    open.onsuccess = () => {
      const all = open.result.transaction('levels').objectStore('levels').getAll();
      all.onsuccess = () => resolve(Object.fromEntries(all.result.map(r => [r.name, Array.from(r.cells)])));
    };
  }));
  // Does what `act` does, in front as a player's tab is (a tab behind is
  // painted seldom, and a click waits for its paint), and waits until the
  // store has it.
  const keeping = async (page, act) => {
    await page.bringToFront();
    const saves = await page.evaluate(() => QuibboEditor.state.saves);
    await act();
    await page.waitForFunction(n => QuibboEditor.state.saves > n, saves, { timeout: 5000 }).catch(() => {});
    await settled(page);
  };
  const dot = (page, c, r) => keeping(page, async () => { await pick(page, 64); await stroke(page, [c, r], [c, r]); });
  const a = await openEditor(context, log), b = await openEditor(context, log);
  await dot(a, 3, 3);
  await b.waitForFunction(() => QuibboEditor.level().cells[3 * 24 + 3] === 64, null, { timeout: 5000 }).catch(() => {});
  await dot(b, 5, 3);
  await a.waitForFunction(() => QuibboEditor.level().cells[3 * 24 + 5] === 64, null, { timeout: 5000 }).catch(() => {});
  await dot(a, 7, 3);
  const both = (await kept(a)).Level || [];
  check('editor: two tabs drawing on one level in turn: the store holds every stroke of both',
    [3, 5, 7].every(c => both[3 * 24 + c] === 64), JSON.stringify([3, 5, 7].map(c => both[3 * 24 + c])));

  // Deaf to the other tab, C draws on a level A has changed since C read it.
  const c = await context.newPage();
  c.on('pageerror', e => log.push('editor page error: ' + e.message));
  await c.addInitScript(() => { delete window.BroadcastChannel; });
  await c.goto(`${context.url}/editor.html`);
  await ready(c);
  await dot(a, 9, 3);
  await dot(c, 11, 3);
  const forked = await kept(a), cNote = await c.evaluate(() => QuibboEditor.state);
  check('editor: a tab that draws on a level changed elsewhere keeps its work under a new name, and says so',
    forked.Level[3 * 24 + 9] === 64 && forked.Level[3 * 24 + 11] === 1 && forked['Level 2'] &&
    forked['Level 2'][3 * 24 + 11] === 64 && forked['Level 2'][3 * 24 + 9] === 1 && cNote.level === 'Level 2' &&
    cNote.note === `"Level" was changed in another tab: this tab's work is kept as "Level 2"`,
    JSON.stringify({ names: Object.keys(forked), level: cNote.level, note: cNote.note }));

  // Both make a New level: C, deaf, proposes the name A has just taken.
  const make = page => keeping(page, async () => { await page.click('#new'); await page.click('#ask-ok'); });
  await make(a);
  await dot(a, 2, 2);
  await make(c);
  const made = await kept(a), names = [await a.evaluate(() => QuibboEditor.state.level), await c.evaluate(() => QuibboEditor.state.level)];
  check('editor: New levels in two tabs never share a name; neither replaces the other',
    names[0] === 'Level 3' && names[1] === 'Level 4' && made['Level 3'] && made['Level 3'][2 * 24 + 2] === 64 &&
    made['Level 4'] && made['Level 4'][2 * 24 + 2] === 1, JSON.stringify({ names, kept: Object.keys(made) }));
  await context.close();
}

module.exports = { editorPage, editorLimits, editorTabs };
