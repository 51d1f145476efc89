// Levels of links: `leveltool link` of a level plays figure for figure as
// the native game plays the file it carries; broken links are refused in
// one line; a link pasted into an open page; Back and Escape from the
// editor's frame.
'use strict';
const fs = require('fs');
const path = require('path');
const h = require('./harness');
const { check, state, visible, linkTo, codeOf, unlinked, flip } = h;

// What the page shows when it refuses a link: the line, and that nothing
// was started or written.
const refusal = page => page.evaluate(() => ({
  text: document.getElementById('ended-text').textContent,
  shown: !document.getElementById('ended').hidden,
  games: Quibbo.state.games,
  files: Module.FS.analyzePath('/levels').exists ? Module.FS.readdir('/levels').length - 2 : 0,
}));

async function links(browser, log, dir) {
  const context = await h.newContext(browser, { viewport: { width: 1000, height: 780 } });
  // A campaign level and a test level: each link plays its own level, as
  // the native game plays the file the link carries, figure for figure.
  const args = '--headless --frames 1 --stats --seed 7';
  const sources = [['a campaign level (QB05)', path.join(h.campaignDir, 'QB05.txt')],
    ['a test level (gun.bmp)', path.join(h.levels, 'gun.bmp')]];
  const codes = [];
  for (const [kind, file] of sources) {
    const link = linkTo(browser.url, file);
    codes.push(codeOf(link));
    const level = unlinked(dir, 'link' + codes.length, link);
    const expected = h.nativeFigures([...args.split(' '), '--levels', level.folder]);
    const page = await context.newPage();
    h.watch(page, log);
    const got = await h.figuresAfter(page, () => page.goto(link.replace('/index.html#', '/index.html?args=' +
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
  fs.writeFileSync(path.join(dir, 'crowded.bmp'), h.crowdedLevel(200));
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
    const page = await h.open(context, '', log, '#level=' + code, false);
    const shown = await page.waitForSelector('#ended:not([hidden])', { timeout: 10000 }).then(() => true, () => false);
    // Nothing may start: a game, had one wrongly started, would by now.
    await page.waitForTimeout(300);
    const seen = await refusal(page);
    const line = /^This link's level cannot be played: [a-z].{8,}[^.]$/.test(seen.text) && !seen.text.includes('\n');
    check(`a link with ${kind} is refused in one line, nothing played`, shown && seen.shown && line &&
      seen.games === 0 && seen.files === 0 && !(await visible(page, 'new-game')), JSON.stringify(seen));
    if (h.pictures && !shot) { shot = true; await page.screenshot({ path: path.join(h.pictures, 'page-refused-link.png') }); }
    if (code !== '') { await page.close(); continue; }
    // Levels dropped then start the first game, on them.
    await h.playLevels(page, [['QB00.BMP', 'onedot.bmp']]);
    const dropped = await page.evaluate(() => ({ dir: Quibbo.levelsDir, games: Quibbo.state.games,
      panel: !document.getElementById('ended').hidden }));
    check('levels dropped on a refused link\'s page are played', dropped.dir !== '' && dropped.games === 1 &&
      !dropped.panel, JSON.stringify(dropped));
    await page.close();
  }

  // A new link pasted into an open page plays at once; a broken one says so
  // and the game goes on.
  const page = await h.open(context, '--stats', log, '#level=' + codes[1]);
  const games = (await state(page)).games;
  const pasted = await h.figuresAfter(page, async () => {
    await page.evaluate(code => { location.hash = 'level=' + code; }, codes[0]);
    await page.waitForFunction(g => Quibbo.state.games > g, games);
    await h.running(page);
    if (h.pictures) await page.screenshot({ path: path.join(h.pictures, 'page-link.png') });
    await h.quit(page);
  });
  const campaign = unlinked(dir, 'link1', linkTo(browser.url, sources[0][1]));
  await page.click('#new-game');
  await h.running(page);
  const before = await state(page);
  await page.evaluate(code => { location.hash = 'level=' + code; }, flip(codes[0], 5));
  const said = await h.noteFor(page, "cannot be played");
  await h.goesOn(page, before.passes);
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
  h.watch(parent, log);
  await parent.goto(browser.url + '/parent.html');
  await parent.evaluate(code => { document.getElementById('play').src = 'index.html?edit=1#level=' + code; }, codes[1]);
  const frame = await (await parent.waitForSelector('#play')).contentFrame();
  await frame.waitForFunction(() => window.Quibbo && Quibbo.state.games > 0 && Quibbo.state.passes > 5, null,
    { timeout: 20000 });
  const buttons = await frame.evaluate(() => ({ back: !document.getElementById('back').hidden,
    edit: !document.getElementById('edit').hidden }));
  // Each goes back once the parent has heard it, and the game, which must
  // not ask, has had passes enough to ask.
  const wentBack = async n => {
    await parent.waitForFunction(n => window.said.length >= n, n, { timeout: 5000 }).catch(() => {});
    await h.passesGoBy(frame, 5);
  };
  await frame.click('#screen');
  await parent.keyboard.press('Escape');
  await wentBack(1);
  await frame.click('#back');
  await wentBack(2);
  const said2 = await parent.evaluate(() => window.said);
  const game = await frame.evaluate(() => Object.assign({}, Quibbo.state));
  check('played from the editor: Back instead of "Edit this level"; Escape and Back post back, no quit question',
    buttons.back && !buttons.edit && said2.length === 2 && said2.every(m => m.data && m.data.quibbo === 'back' &&
      m.origin === browser.url) && game.boxes === 0 && game.ended === null,
    JSON.stringify({ buttons, said: said2, game }));
  await context.close();
}

module.exports = { links };
