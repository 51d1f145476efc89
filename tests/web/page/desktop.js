// The page on a desktop: a scripted run against the native game, then
// keys, the quit question, the end of a game, pause, focus, dropped
// levels, sound, the game-over box, a broken level, the picture download
// and a gamepad.
'use strict';
const fs = require('fs');
const path = require('path');
const h = require('./harness');
const { check, state, visible, hold, passesOf, passesGoBy, standsStill, goesOn } = h;

// The same scripted run as natively: the same figures and the same last frame.
async function sameGame(browser, log, dir) {
  const keys = '60:+up,140:-up,150:+right,175:-right,180:+up,260:-up,270:fire,280:fire,300:+left,330:-left';
  const args = ['--headless', '--frames', '360', '--keys', keys, '--seed', '7', '--stats'];
  const shot = path.join(dir, 'native.bmp');
  const nativeStats = h.nativeFigures([...args, '--screenshot', shot]);
  const context = await h.newContext(browser, { viewport: { width: 600, height: 800 } });
  const page = await context.newPage();
  h.watch(page, log, false);
  const webStats = await h.figuresAfter(page, () => page.goto(`${context.url}/index.html?args=${encodeURIComponent(args.join(' '))}`));
  check('a scripted run gives the native figures', JSON.stringify(webStats) === JSON.stringify(nativeStats),
    JSON.stringify({ webStats, nativeStats }));
  const differ = await h.pixelsDiffer(page, shot);
  check('the canvas is the native picture, pixel for pixel', differ === 0, `${differ} pixels differ`);
  await context.close();
}

async function desktop(browser, log) {
  const context = await h.newContext(browser, { viewport: { width: 1000, height: 780 } });
  const page = await h.open(context, '--stats --seed 7', log);
  const start = h.startFigures();

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
  if (h.pictures) await page.screenshot({ path: path.join(h.pictures, 'web-desktop.png') });
  const silent = await page.evaluate(() => !Quibbo.audio && Quibbo.state.waves === 0);

  // Keys: the arrows walk, D turns; Escape asks before it ends the game: No
  // (mouse) plays on, a second Escape ends it with its figures.
  let asked = null, playedOn = false;
  const walked = await h.figuresAfter(page, async () => {
    await hold(page, 'ArrowUp', passesOf(500));
    await hold(page, 'd', passesOf(300));
    const quitBox = async () => await h.untilBox(page, () => page.keyboard.press('Escape'), async () => {}) &&
      [await page.textContent('#box-text'), await page.textContent('#box-ok'), await page.textContent('#box-cancel')];
    asked = await quitBox();
    await page.click('#box-cancel');
    // The world resumes as from any pause, after the screen's own wait.
    const before = (await state(page)).passes;
    playedOn = await goesOn(page, before) && (await state(page)).ended === null;
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
  const campaign = fs.readdirSync(h.campaignDir).filter(f => /^QB\d\d\.txt$/.test(f)).length;
  check('the end of a game says thanks, offers another and the campaign\'s levels to start at, numbered as --level',
    /Thanks for playing/.test(await page.textContent('#ended')) && await visible(page, 'new-game') &&
    offered.length === campaign && offered.every(([value, label], n) => value === String(n) && label.startsWith(String(n))) &&
    offered[0][1] === '0 First Steps' && offered[13][1] === '13 The Old Maze',
    JSON.stringify(offered));
  await page.selectOption('#start-level', { value: '1' });
  await page.click('#new-game');
  await h.running(page);
  check('"New game" starts one', (await state(page)).games === 2 && !(await visible(page, 'ended')));

  // The pause key: P stops the game and Pause resumes it.
  await page.keyboard.press('p');
  await standsStill(page);
  const held = await state(page);
  await page.waitForTimeout(400); // nothing may move while it is paused
  const heldLater = await state(page);
  await page.keyboard.press('Pause');
  await goesOn(page, heldLater.passes);
  const going = await state(page);
  check('P pauses, Pause resumes', heldLater.passes - held.passes <= 1 && going.passes > heldLater.passes + 5,
    JSON.stringify({ held, heldLater, going }));

  // Focus: lost, the game stands still; back, it goes on.
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  await page.waitForFunction(() => !Quibbo.state.focus, null, { timeout: 5000 }).catch(() => {});
  const paused = await state(page);
  const frozen = JSON.stringify(await h.canvasPixels(page));
  // A key held while nothing may move: held for a time, not for passes.
  await page.keyboard.down('ArrowLeft');
  await page.waitForTimeout(400);
  await page.keyboard.up('ArrowLeft');
  const still = await state(page);
  const same = JSON.stringify(await h.canvasPixels(page)) === frozen;
  await page.evaluate(() => window.dispatchEvent(new Event('focus')));
  await page.waitForFunction(p => Quibbo.state.focus && Quibbo.state.passes > p + 5, still.passes,
    { timeout: 10000 }).catch(() => {});
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
  await page.waitForFunction(() => !Quibbo.state.focus, null, { timeout: 5000 }).catch(() => {});
  const hiddenState = await state(page);
  await page.waitForTimeout(300); // nothing may move while the tab is hidden
  const hiddenLater = await state(page);
  await visibility(false);
  await page.waitForFunction(p => Quibbo.state.focus && Quibbo.state.passes > p + 5, hiddenLater.passes,
    { timeout: 10000 }).catch(() => {});
  const shown = await state(page);
  check('a hidden tab pauses, shown again it goes on', !hiddenState.focus &&
    hiddenLater.passes - hiddenState.passes <= 1 && shown.focus && shown.passes > hiddenLater.passes + 5,
    JSON.stringify({ hiddenState, hiddenLater, shown }));

  // A dropped level is played: one dot ahead wins it, and the box asks. The
  // game it ends was the chosen level's, with a new game's score and lives.
  const chosen = await h.figuresAfter(page, () => h.playLevels(page, [['QB00.BMP', 'onedot.bmp']]));
  check('"New game" at a chosen level starts there, with score 0 and 5 lives',
    chosen && chosen.level === 1 && chosen.score === 0 && chosen.lives === 5, JSON.stringify(chosen));
  const walkToBox = () => h.untilBox(page, () => page.keyboard.down('ArrowUp'), () => page.keyboard.up('ArrowUp'));
  const boxed = await walkToBox();
  const text = await page.textContent('#box-text');
  check('a dropped level file is played', boxed && /GAME OVER/.test(text) && /Score: 10/.test(text), text);
  const heard = await page.evaluate(() => ({ audio: Quibbo.audio && Quibbo.audio.state, waves: Quibbo.state.waves }));
  check('sound: none before a gesture, a wave after one', silent && heard.audio === 'running' && heard.waves > 0,
    JSON.stringify({ silent, heard }));
  // OK by keyboard plays the level again; Cancel by mouse ends the game.
  const boxes = await h.figuresAfter(page, async () => {
    await page.keyboard.press('Enter');
    // The level again, in play: a key pressed sooner would go down into
    // the stop and be let go.
    await page.waitForSelector('#box', { state: 'hidden', timeout: 5000 }).catch(() => {});
    await passesGoBy(page, passesOf(300));
    if (await walkToBox()) await page.click('#box-cancel');
  });
  check('game-over box: OK (Return) plays again, Cancel (mouse) ends with thanks', boxes &&
    JSON.stringify(boxes.message_boxes.map(b => b.answer)) === '["ok","cancel"]' &&
    await visible(page, 'ended'), JSON.stringify(boxes));

  // A level that cannot be loaded ends the game as on the desktop.
  let cant = '';
  const broken = await h.figuresAfter(page, async () => {
    await h.playLevels(page, [['QB00.BMP', 'onedot.bmp'], ['QB01.BMP', null]]);
    await walkToBox();
    cant = await page.textContent('#box-text');
    await page.click('#box-ok');
  });
  check("a broken second level: \"Can't load level.\", then the end", /Can't load level/.test(cant) &&
    broken && broken.exit_code === 255 && /could not be loaded/.test(await page.textContent('#ended-text')),
    JSON.stringify({ cant, broken }));

  // Back to the built-in levels; the picture button saves the frame as a
  // download.
  await page.click('#built-in');
  await h.running(page);
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
  await h.playLevels(page, [['QB00.BMP', 'gun.bmp']]);
  const padded = await h.figuresAfter(page, async () => {
    await page.evaluate(() => {
      const released = () => ({ pressed: false, value: 0 });
      window.testPad = { id: 'test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
        axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, released) };
      navigator.getGamepads = () => [window.testPad];
      testPad.buttons[12] = { pressed: true, value: 1 };
    });
    await passesGoBy(page, passesOf(500));
    await page.evaluate(() => { testPad.buttons[12] = { pressed: false, value: 0 }; testPad.axes[0] = 1; });
    await passesGoBy(page, passesOf(300));
    await page.evaluate(() => { testPad.axes[0] = 0; });
    await passesGoBy(page, passesOf(100));
    await h.quit(page);
  });
  check('a gamepad walks (D-pad) and turns (stick)', padded && padded.z < 5.5 && padded.heading > 0,
    JSON.stringify({ padded, now: await state(page) }));
  const builtIn = await h.figuresAfter(page, async () => {
    await page.click('#built-in');
    await h.running(page);
    await h.quit(page);
  });
  check('"Built-in levels" leaves the player\'s own', builtIn && builtIn.dots_left === start.dots_left &&
    builtIn.x === start.x && builtIn.z === start.z, JSON.stringify(builtIn));
  await context.close();
}

module.exports = { sameGame, desktop };
