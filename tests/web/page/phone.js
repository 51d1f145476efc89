// A phone: the buttons round the picture, upright and on its side, while a
// link's level starts and says so on the note's line; two thumbs, the
// sidestep buttons, the box answering a tap, pause and mute.
'use strict';
const fs = require('fs');
const path = require('path');
const h = require('./harness');
const { check, state, visible, passesOf, passesGoBy, standsStill, goesOn } = h;

async function phone(browser, log, dir) {
  const context = await h.newContext(browser, { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3,
    isMobile: true, hasTouch: true });
  const link = h.linkTo(browser.url, path.join(h.levels, 'gun.bmp'));
  const page = await h.open(context, '--stats --seed 7', log, '#level=' + h.codeOf(link));
  const said = await page.textContent('#note');
  const cdp = await context.newCDPSession(page);
  // The page laid out for a viewport, painted.
  const laidOut = async (width, height) => {
    await page.waitForFunction(([w, hi]) => innerWidth === w && innerHeight === hi, [width, height],
      { timeout: 5000 }).catch(() => {});
    await h.painted(page);
  };
  // A notch and a home bar: everything keeps inside the safe area.
  const phones = [['portrait', 390, 844, { top: 47, bottom: 34, left: 0, right: 0 }],
    ['landscape', 844, 390, { top: 0, bottom: 21, left: 47, right: 47 }],
    ['narrow', 360, 640, { top: 24, bottom: 0, left: 0, right: 0 }]];
  for (const [name, width, height, insets] of phones) {
    await page.setViewportSize({ width, height });
    await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets });
    await laidOut(width, height);
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
    if (h.pictures) await page.screenshot({ path: path.join(h.pictures, `web-phone-${name}.png`) });
    if (h.pictures && name === 'portrait') await page.screenshot({ path: path.join(h.pictures, 'web-phone-link.png') });
  }
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: {} });
  await page.setViewportSize({ width: 390, height: 844 });
  await laidOut(390, 844);

  // Two thumbs: walk forward onto a gun, and fire while still walking.
  const centre = sel => page.evaluate(sel => {
    const r = document.querySelector(sel).getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  }, sel);
  const up = await centre('#pad .up'), fire = await centre('#fire'), right = await centre('#pad .right');
  const touches = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  await h.playLevels(page, [['QB00.BMP', 'gun.bmp']]);
  let held = 0;
  const played = await h.figuresAfter(page, async () => {
    await touches('touchStart', [{ x: up.x, y: up.y, id: 1 }]);
    await passesGoBy(page, passesOf(1300));
    await touches('touchStart', [{ x: up.x, y: up.y, id: 1 }, { x: fire.x, y: fire.y, id: 2 }]);
    await page.waitForFunction(() => document.querySelectorAll('#pad .key.held').length === 2, null,
      { timeout: 5000 }).catch(() => {});
    held = await page.evaluate(() => document.querySelectorAll('#pad .key.held').length);
    await passesGoBy(page, passesOf(100));
    await touches('touchEnd', [{ x: up.x, y: up.y, id: 1 }]);
    await touches('touchEnd', []);
    // A thumb slides from the up arrow onto the right one: it turns.
    await touches('touchStart', [{ x: up.x, y: up.y, id: 3 }]);
    await passesGoBy(page, passesOf(150));
    await touches('touchMove', [{ x: right.x, y: right.y, id: 3 }]);
    await passesGoBy(page, passesOf(300));
    await touches('touchEnd', []);
    await h.quit(page);
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
  fs.copyFileSync(path.join(h.levels, 'gun.bmp'), path.join(gunDir, 'QB00.BMP'));
  const begin = h.nativeFigures(['--headless', '--frames', '1', '--stats', '--levels', gunDir]);
  const sidestep = async side => {
    const at = await centre(`#pad .${side}`);
    await h.playLevels(page, [['QB00.BMP', 'gun.bmp']]);
    return h.figuresAfter(page, async () => {
      await touches('touchStart', [{ x: at.x, y: at.y, id: 6 }]);
      await passesGoBy(page, passesOf(400));
      await touches('touchEnd', []);
      await h.quit(page);
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
  await h.running(page);
  await h.playLevels(page, [['QB00.BMP', 'onedot.bmp']]);
  const tapped = await h.figuresAfter(page, async () => {
    await h.untilBox(page, () => touches('touchStart', [{ x: up.x, y: up.y, id: 4 }]), () => touches('touchEnd', []));
    const cancel = await centre('#box-cancel');
    await page.touchscreen.tap(cancel.x, cancel.y);
  });
  check('the box answers a tap', tapped && tapped.message_boxes.length === 1 &&
    tapped.message_boxes[0].answer === 'cancel', JSON.stringify(tapped));

  // The pause and mute buttons do what P and M do: a finger down until the
  // page holds the button, then up.
  const tap = async sel => {
    const at = await centre(sel);
    await touches('touchStart', [{ x: at.x, y: at.y, id: 9 }]);
    await page.waitForSelector(sel + '.held', { timeout: 5000 }).catch(() => {});
    await touches('touchEnd', []);
  };
  await page.evaluate(() => document.getElementById('new-game').click());
  await h.running(page);
  await tap('#pause');
  await standsStill(page);
  const paused = await state(page);
  await page.waitForTimeout(400); // nothing may move while it is paused
  const pausedLater = await state(page);
  await tap('#pause');
  await goesOn(page, pausedLater.passes);
  const going = await state(page);
  check('touch: the pause button pauses and resumes', pausedLater.passes - paused.passes <= 1 &&
    going.passes > pausedLater.passes + 5, JSON.stringify({ paused, pausedLater, going }));
  // A game to the dot with sound, then again muted: no wave at all.
  const walkToBox = () => h.untilBox(page, () => touches('touchStart', [{ x: up.x, y: up.y, id: 5 }]),
    () => touches('touchEnd', []));
  await h.playLevels(page, [['QB00.BMP', 'onedot.bmp']]);
  const waves = async () => (await state(page)).waves;
  const loud = [await waves(), await walkToBox() && await waves()];
  await page.touchscreen.tap((await centre('#box-ok')).x, (await centre('#box-ok')).y);
  await h.running(page);
  // The game hears a button at its next pass.
  const muteShown = on => page.waitForFunction(on => Quibbo.state.muted === on &&
    document.getElementById('mute').classList.contains('on') === on, on, { timeout: 5000 }).then(() => true, () => false);
  await tap('#mute');
  const muted = await muteShown(true);
  const quiet = [await waves(), await walkToBox() && await waves()];
  await page.touchscreen.tap((await centre('#box-ok')).x, (await centre('#box-ok')).y);
  await h.running(page);
  await tap('#mute');
  const unmuted = await muteShown(false);
  check('touch: the mute button mutes (no wave, shown on the button) and unmutes',
    loud[1] > loud[0] && muted && quiet[1] === quiet[0] && unmuted, JSON.stringify({ loud, muted, quiet, unmuted }));
  await context.close();
}

module.exports = { phone };
