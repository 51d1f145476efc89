// The level editor (web/editor.html) in headless Chromium: painting with
// each tool, undo and redo, the level file against the level tool's, the
// level kept over a reload, Play and back, refusals, and a level drawn on a
// phone, shared as a link and played from it in a fresh browser profile.
// tests/web/page.js runs it as one of its parts; alone:
//
//   PARTS=editorPage node tests/web/page.js BUILD_WEB_DIR NATIVE_QUIBBO
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');

const levels = path.join(__dirname, 'levels');
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

async function editor(browser, log, tools) {
  const { check } = tools;
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quibbo-editor-'));
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, acceptDownloads: true });
  context.url = browser.url;
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
  if (tools.pictures) await page.screenshot({ path: path.join(tools.pictures, 'editor-marks.png') });

  // The level file is the level tool's, byte for byte, for the same map:
  // the map exported from the editor, and a map imported into it.
  const bytes = await downloaded(page, '#save');
  const map = await downloaded(page, '#export');
  const make = (text, name) => {
    fs.writeFileSync(path.join(scratch, name + '.txt'), text);
    execFileSync(tools.leveltool, ['make', path.join(scratch, name + '.txt'), path.join(scratch, name + '.bmp')], { stdio: 'ignore' });
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
  await page.waitForTimeout(100);
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
    await page.waitForTimeout(100);
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
  await phone(browser, log, tools, scratch);
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
async function phone(browser, log, tools, scratch) {
  const { check } = tools;
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3,
    isMobile: true, hasTouch: true, acceptDownloads: true });
  context.url = browser.url;
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
  if (tools.pictures) await page.screenshot({ path: path.join(tools.pictures, 'editor-phone.png') });

  const saved = await downloaded(page, '#save');
  const link = await shareLink(page);
  fs.writeFileSync(path.join(scratch, 'phone.bmp'), saved);
  execFileSync(tools.leveltool, ['unlink', link, path.join(scratch, 'linked.bmp')], { stdio: 'ignore' });
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

module.exports = { editor };
