// The page's half of the browser backend (platform/web): the canvas and its
// scale, the box, the end of a game, sound, touch buttons, levels of the
// player's own or of a link, and pictures to save (runs: runs.js). The game
// calls window.Quibbo; the page calls the game's exported Web... functions.
'use strict';
(function () {
  const $ = id => document.getElementById(id);
  const canvas = $('screen');
  const context = canvas.getContext('2d', { alpha: false });
  const W = 240, H = 320;
  const touch = 'ontouchstart' in window || navigator.maxTouchPoints > 0;
  if (touch) document.body.classList.add('touch');

  let image = null;
  let audio = null;     // made on the first key or touch, as browsers require
  let playing = null;   // the wave that sounds now; a new one cuts it off
  let running = false;  // a game is on (not the end-of-game state)
  let started = false;  // the program was started (a refused link starts nothing)
  let exited = false;   // the program itself ended (a bad command line): no game can follow
  let endedResolve = null;
  let levelsRun = 0;
  let replaying = '';   // the run file the game that runs replays, if it does
  let firstReplay = ''; // the first game's, from its command line
  let pictures = 0;     // pictures saved
  let errors = [];      // the game's lines on stderr since the last game ended
  // The game's functions and files exist once quibbo.wasm has loaded;
  // levels given sooner wait for it.
  let loaded;
  const ready = new Promise(resolve => { loaded = resolve; });

  // ---- The command line: ?args=--seed%201 (for tests and tinkering) ----
  const query = new URLSearchParams(location.search);
  const args = (query.get('args') || '').split(/\s+/).filter(Boolean);
  // Opened by the editor to play what it holds: Back returns to it.
  const editing = query.get('edit') === '1';

  const Quibbo = window.Quibbo = {
    state: { games: 0, passes: 0, shows: 0, focus: false, ended: null, waves: 0, boxes: 0 },
    levelsDir: '',
    startLevel: 0, // the next game's first level, as --level gives it
    replayPath: '', // the run file the next game replays, if it is a replay

    present(rgba, width, height) {
      if (!image || image.width !== width || image.height !== height) image = context.createImageData(width, height);
      image.data.set(rgba);
      context.putImageData(image, 0, 0);
    },

    // Desktop focus rules: the game runs only while the page is seen and
    // has the keyboard.
    hasFocus() { return !document.hidden && document.hasFocus(); },

    playWave(bytes, rate, channels, bits) {
      if (!audio || audio.state !== 'running') return; // silent until a gesture
      const step = bits / 8 * channels;
      const frames = Math.floor(bytes.length / step);
      if (frames === 0) return;
      const buffer = audio.createBuffer(channels, frames, rate); // resampled by the context
      const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.length);
      for (let c = 0; c < channels; c++) {
        const out = buffer.getChannelData(c);
        for (let i = 0; i < frames; i++) {
          const at = i * step + c * bits / 8;
          out[i] = bits === 8 ? (bytes[at] - 128) / 128 : view.getInt16(at, true) / 32768;
        }
      }
      stopWave();
      playing = audio.createBufferSource();
      playing.buffer = buffer;
      playing.connect(audio.destination);
      playing.start();
      Quibbo.state.waves++;
    },

    // M, or the mute button: what sounds stops at once.
    muted(on) {
      Quibbo.state.muted = on;
      $('mute').classList.toggle('on', on);
      if (on) stopWave();
    },

    toggleFullscreen() {
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(() => {});
    },

    // The picture leaves the in-memory files at once: the download holds
    // its bytes. The page numbers the pictures itself, as the folder would.
    download(path) {
      const bytes = Module.FS.readFile(path);
      Module.FS.unlink(path);
      save(bytes, 'quibbo-' + String(++pictures).padStart(3, '0') + '.bmp', 'image/bmp');
    },

    gameStarted() {
      // The first game replays what its command line says, the next ones
      // what the page asked for (the game reads replayPath as it starts them).
      replaying = Quibbo.state.games === 0 ? firstReplay : Quibbo.replayPath;
      Object.assign(Quibbo.state, { games: Quibbo.state.games + 1, passes: 0, shows: 0, ended: null, replay: replaying });
    },

    setBusy(on) { document.body.classList.toggle('busy', on); },

    // The game's boxes (game over, the quit question), by key, mouse or
    // touch. buttons: 0 for OK, 1 for OK and Cancel, 2 for Yes and No.
    ask(text, caption, buttons) {
      Quibbo.state.boxes++;
      const choice = buttons !== 0;
      return new Promise(resolve => {
        const box = $('box'), ok = $('box-ok'), cancel = $('box-cancel');
        $('box-title').textContent = caption;
        $('box-text').textContent = text;
        ok.textContent = buttons === 2 ? 'Yes' : 'OK';
        cancel.textContent = buttons === 2 ? 'No' : 'Cancel';
        cancel.hidden = !choice;
        box.hidden = false;
        // As in the window: the quit question waits on No, so Return plays
        // on, and a second Escape quits.
        (buttons === 2 ? cancel : ok).focus();
        const answer = id => {
          box.hidden = true;
          ok.onclick = cancel.onclick = null;
          window.removeEventListener('keydown', keys, true);
          Quibbo.answer = null;
          canvas.focus();
          resolve(id);
        };
        const keys = e => {
          if (e.key === 'Enter' || e.key === ' ') answer(document.activeElement === cancel ? 2 : 1);
          else if (e.key === 'Escape') answer(buttons === 1 ? 2 : 1);
          else if (choice && ['ArrowLeft', 'ArrowRight', 'Tab'].includes(e.key))
            (document.activeElement === ok ? cancel : ok).focus();
          else return;
          e.preventDefault();
          e.stopPropagation();
        };
        ok.onclick = () => answer(1);
        cancel.onclick = () => answer(2);
        window.addEventListener('keydown', keys, true);
        Quibbo.answer = answer; // for levels dropped while the box is up
      });
    },

    // A game is over: the page says so and waits for the next one.
    ended(status) {
      running = false;
      Quibbo.state.ended = status;
      // A game that failed (a replay that could not start, a picture that
      // could not be saved) says why, as the native game does on stderr:
      // last, after whatever it said along the way (a screenshot taken).
      const why = errors.filter(line => /^quibbo: /.test(line)).pop() || errors[0];
      errors = [];
      $('ended-text').textContent = status === 255 ? 'The game ended: a level could not be loaded.'
        : status !== 0 ? why || `The game ended with status ${status}.` : 'Thanks for playing';
      $('new-game').hidden = false;
      $('ended').hidden = false;
      $('built-in').hidden = !Quibbo.levelsDir.startsWith('/levels/'); // the player's own
      offerLevels();
      runs.ended(replaying, status);
      $('new-game').focus();
      return new Promise(resolve => { endedResolve = resolve; });
    },
  };

  // The levels of the set at hand, as the game plays them: the first level,
  // then QB01.BMP, QB02.BMP, ... while each file is there.
  function levelCount() {
    const fs = window.Module && Module.FS;
    if (!fs) return 1;
    let n = 1;
    while (n < 1000 && fs.analyzePath(Quibbo.levelsDir + 'QB' + String(n).padStart(2, '0') + '.BMP').exists) n++;
    return n;
  }
  // Numbered as --level numbers them: 0 the first level, N the file QBnn.BMP,
  // each with the name its card shows.
  function levelLabel(n) {
    if (!window.Module || !Module._WebLevelName) return String(n);
    const file = Quibbo.levelsDir + 'QB' + String(n).padStart(2, '0') + '.BMP';
    const name = withPath(file, at => Module.UTF8ToString(Module._WebLevelName(at)));
    return name ? n + ' ' + name : String(n);
  }
  function offerLevels() {
    const select = $('start-level'), count = levelCount();
    select.replaceChildren();
    for (let n = 0; n < count; n++) select.add(new Option(levelLabel(n), String(n)));
    select.value = String(Math.min(Quibbo.startLevel, count - 1));
  }
  $('start-level').onchange = e => { Quibbo.startLevel = +e.target.value; };

  function startGame() {
    // Known before the game starts: a replay that fails to start never says.
    replaying = Quibbo.replayPath;
    $('ended').hidden = true;
    running = true;
    Quibbo.state.ended = null;
    canvas.focus();
    if (endedResolve) { const go = endedResolve; endedResolve = null; go(); }
  }
  $('new-game').onclick = () => { Quibbo.replayPath = ''; startGame(); };
  // Back from the player's own levels to the game's.
  $('built-in').onclick = () => playLevels('', 0);
  // A normal game on the levels in `dir` ('' the game's own), from level
  // `start`; a set of the page's own that is no longer played goes.
  function playLevels(dir, start) {
    const old = Quibbo.levelsDir;
    Quibbo.levelsDir = dir;
    Quibbo.startLevel = start;
    Quibbo.replayPath = '';
    if (old !== dir) removeTree(old);
    offerEdit(null);
    startGame();
  }

  function stopWave() {
    if (playing) { try { playing.stop(); } catch (e) { /* already over */ } }
    playing = null;
  }

  // ---- Scale: whole device pixels per game pixel, as large as fits in
  // what the notch and the rounded corners leave (#game's box) ----
  function layout() {
    const ratio = window.devicePixelRatio || 1;
    const landscape = innerWidth > innerHeight;
    const game = $('game');
    let width = game.clientWidth, height = game.clientHeight;
    // What shares the column with the picture (the tools, the note's line,
    // upright the hint and the pad) has its height first; what stands over
    // the page (on its side, the pad, the hint and the note) has none.
    for (const row of game.children) {
      const style = getComputedStyle(row);
      if (row === $('stage') || style.display === 'none' || style.position === 'absolute') continue;
      height -= row.offsetHeight + parseFloat(style.marginTop) + parseFloat(style.marginBottom);
    }
    if (touch && landscape) width -= 2 * Math.max($('dpad').offsetWidth, $('actions').offsetWidth) + 48;
    else if (touch) height -= 16;
    const scale = Math.max(1, Math.floor(Math.min(width * ratio / W, height * ratio / H)));
    canvas.style.width = W * scale / ratio + 'px';
    canvas.style.height = H * scale / ratio + 'px';
    game.style.setProperty('--side', (game.clientWidth - W * scale / ratio) / 2 + 'px');
    Quibbo.state.scale = scale;
  }
  addEventListener('resize', layout);
  if (window.matchMedia) matchMedia('(orientation: landscape)').addEventListener('change', layout);

  // ---- Sound starts with the first gesture ----
  function unlockAudio() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    if (!audio) audio = new Context();
    if (audio.state === 'suspended') audio.resume();
    Quibbo.audio = audio;
  }
  for (const type of ['keydown', 'pointerdown', 'touchstart'])
    addEventListener(type, unlockAudio, { capture: true, passive: true });

  // ---- Touch buttons: each finger holds the button under it; a finger
  // that slides from one arrow to the next changes direction ----
  const held = new Map(); // touch id -> button element
  function buttonAt(x, y) {
    const element = document.elementFromPoint(x, y);
    return element && element.closest ? element.closest('#pad .key') : null;
  }
  function setButton(id, element) {
    const old = held.get(id) || null;
    if (old === element) return;
    if (old) { press(old, false); held.delete(id); }
    if (element) { press(element, true); held.set(id, element); }
  }
  function press(element, down) {
    element.classList.toggle('held', down);
    if (window.Module && Module._WebTouch) Module._WebTouch(+element.dataset.button, down ? 1 : 0);
  }
  function onTouch(e) {
    e.preventDefault();
    for (const t of e.changedTouches) {
      const over = e.type === 'touchend' || e.type === 'touchcancel' ? null : buttonAt(t.clientX, t.clientY);
      setButton(t.identifier, over);
    }
  }
  const pad = $('pad');
  for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel'])
    pad.addEventListener(type, onTouch, { passive: false });
  // A mouse on the buttons works too (a laptop with a touch screen).
  pad.addEventListener('pointerdown', e => { if (e.pointerType === 'mouse') setButton('mouse', buttonAt(e.clientX, e.clientY)); });
  addEventListener('pointerup', e => { if (e.pointerType === 'mouse') setButton('mouse', null); });
  // No zoom on a double tap or a pinch anywhere on the page.
  document.addEventListener('touchmove', e => { if (e.touches.length > 1) e.preventDefault(); }, { passive: false });
  document.addEventListener('dblclick', e => e.preventDefault());
  document.addEventListener('gesturestart', e => e.preventDefault());

  // ---- Levels of the player's own: QB00.BMP, QB01.BMP, ... QB100.BMP ----
  // The game's names: the level number with two digits at least.
  function levelNumber(name) {
    const m = /^QB(\d+)\.BMP$/i.exec(name);
    return m && String(+m[1]).padStart(2, '0') === m[1] ? +m[1] : -1;
  }
  const levelName = n => 'QB' + String(n).padStart(2, '0') + '.BMP';

  // A set replaces the last: its folder goes, files and all (the page's own
  // folders only: never the campaign's).
  function removeTree(dir) {
    const fs = Module.FS;
    if (!dir.startsWith('/levels/') || !fs.analyzePath(dir).exists) return;
    for (const name of fs.readdir(dir)) {
      if (name === '.' || name === '..') continue;
      const at = dir.replace(/\/$/, '') + '/' + name;
      if (fs.isDir(fs.stat(at).mode)) removeTree(at); else fs.unlink(at);
    }
    fs.rmdir(dir);
  }

  // Writes the levels, asks the game about each, says in one line what will
  // be played and what was refused, and starts the game on them.
  async function takeLevels(files) {
    const levels = [...files].filter(f => levelNumber(f.name) >= 0)
      .sort((x, y) => levelNumber(x.name) - levelNumber(y.name));
    if (levels.length === 0) { note('Levels are files named QB00.BMP, QB01.BMP, ...'); return; }
    await ready;
    const limit = Module._WebMaxLevelFileBytes();
    const refused = new Map(); // level number -> "NAME: why"
    const taken = [];
    for (const file of levels) {
      const n = levelNumber(file.name);
      if (file.size > limit) {
        refused.set(n, `${levelName(n)}: ${megabytes(file.size)}, more than the ${megabytes(limit)} a level may be`);
        continue;
      }
      try {
        taken.push([n, new Uint8Array(await file.arrayBuffer())]);
      } catch (e) {
        refused.set(n, `${levelName(n)}: the browser could not read it`);
      }
    }
    const old = Quibbo.levelsDir;
    const dir = newFolder();
    for (const [n, bytes] of taken) {
      const file = dir + levelName(n);
      Module.FS.writeFile(file, bytes);
      const why = levelRefusal(file);
      // The game plays a refused level's file no more than a missing one's,
      // but it must see it to say so when it comes to it.
      if (why) refused.set(n, `${levelName(n)}: ${why}`);
    }
    // As the game goes: QB00 (or the built-in level in its place), then on
    // while the next file is there and can be played.
    const have = new Set(taken.map(([n]) => n));
    let last = 0;
    while (have.has(last + 1) && !refused.has(last + 1)) last++;
    const played = refused.has(0) || !have.has(0)
      ? (last > 0 ? `the built-in level, then ${span(1, last)}` : 'the built-in level')
      : span(0, last);
    // Files past a gap or a refusal are never reached.
    const unreached = taken.filter(([n]) => n > last && !refused.has(n)).length;
    const first = refused.values().next().value;
    note(`Plays ${played}` +
         (refused.size === 0 ? '' : refused.size === 1 ? `; refused ${first}` : `; ${refused.size} refused, ${first}`) +
         (unreached ? `; ${unreached} more not reached (${levelName(last + 1)} ${refused.has(last + 1) ? 'refused' : 'missing'})` : ''),
         refused.size > 0 || unreached > 0);
    playSet(dir, null);
    removeTree(old);
  }

  // The next game plays the set in `dir`, now: the running one ends (the
  // box would only end it anyway), or the first one starts on it. `code` is
  // the link's when the set is a link's level.
  function playSet(dir, code) {
    Quibbo.levelsDir = dir;
    Quibbo.startLevel = 0;
    Quibbo.replayPath = '';
    offerEdit(code);
    playNext(['--levels', dir]);
  }
  // The next game, now: the running one ends (the box would only end it
  // anyway), or the first one starts with `first` on its command line.
  function playNext(first) {
    if (exited) {
      // Nothing runs a game any more: a link in the address starts afresh.
      if (linkCode() !== null || runs.runCode() !== null) location.reload();
      else note('Reload the page to play', true);
    } else if (!started) {
      run(first);
    } else if (running) {
      replaying = Quibbo.replayPath;
      if (Quibbo.answer) Quibbo.answer(2);
      Module._WebRestart();
    } else {
      startGame();
    }
  }
  // A run file written by runs.js: the next game replays it, on the levels
  // in `dir`, which the game checked are the run's.
  function replay(file, dir) {
    const old = Quibbo.levelsDir;
    Quibbo.levelsDir = dir;
    Quibbo.startLevel = 0;
    Quibbo.replayPath = file;
    if (old !== dir) removeTree(old);
    offerEdit(null);
    playNext(['--levels', dir, '--replay', file]);
  }
  function span(from, to) {
    const levels = QuibboWords.count(to - from + 1, 'level');
    return levels + (from === to ? ': ' + levelName(from) : `: ${levelName(from)} \u2026 ${levelName(to)}`);
  }
  // The game's own reading of a level file: "" when it would play it.
  const levelRefusal = file => withPath(file, path => Module.UTF8ToString(Module._WebLevelRefusal(path)));
  function withPath(file, use) {
    const top = Module.stackSave();
    try {
      return use(Module.allocateUTF8OnStack(file));
    } finally {
      Module.stackRestore(top);
    }
  }
  // A folder of its own for each set: /levels/1/, /levels/2/, ...
  function newFolder() {
    const dir = '/levels/' + (++levelsRun) + '/';
    Module.FS.mkdirTree(dir);
    return dir;
  }
  // Bytes in the game's memory for the length of `use`.
  function withBytes(bytes, use) {
    const at = Module._malloc(Math.max(1, bytes.length));
    try {
      Module.HEAPU8.set(bytes, at);
      return use(at, bytes.length);
    } finally {
      Module._free(at);
    }
  }
  const megabytes = bytes => (bytes / 1048576).toFixed(bytes < 10485760 ? 1 : 0) + ' MB';
  // Whatever goes wrong with a pick is said on the page, never thrown.
  const take = files => {
    const run = files.find(f => runs.isRunFile(f));
    if (run) return runs.takeFile(run);
    takeLevels(files).catch(e => note('The levels could not be taken: ' + e.message, true));
  };

  $('pick').addEventListener('change', e => { take([...e.target.files]); e.target.value = ''; });
  addEventListener('dragover', e => { e.preventDefault(); document.body.classList.add('dragging'); });
  addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  addEventListener('drop', e => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    if (e.dataTransfer && e.dataTransfer.files.length) take([...e.dataTransfer.files]);
  });

  // ---- A level of a link: ADDRESS#level=CODE ----
  // The code never reaches a server (it is the fragment). The game's C++
  // reads its framing and checksum and builds the level file; the browser
  // unpacks it in between (levelcode.js).
  function linkCode() {
    const fragment = new URLSearchParams(location.hash.replace(/^#/, ''));
    return fragment.has('level') ? fragment.get('level') : null;
  }
  let shownCode = null; // the link whose level plays, or was refused, last

  // Writes the link's level as QB00.BMP of a folder of its own and gives
  // the folder; throws Error(the reason, one line) and writes nothing when
  // the link cannot be played.
  async function linkLevel(code) {
    await ready;
    if (!Module._WebReadCode) throw new Error('this build of the game cannot read links');
    const text = new TextEncoder().encode(code + '\0');
    // Kind 0: a level's code (WebReadCode, app/web/WebExports.cpp).
    const why = withBytes(text, at => Module.UTF8ToString(Module._WebReadCode(at, 0)));
    if (why) throw new Error(why);
    const data = Module.HEAPU8.slice(Module._WebCodeData(), Module._WebCodeData() + Module._WebCodeSize());
    const body = await QuibboCode.inflate(data, Module._WebMaxCodeBodyBytes());
    const dir = newFolder(), file = dir + levelName(0);
    // The level must be one the game plays, or it would play the built-in
    // level in its place.
    const refusal = withBytes(body, (at, size) =>
      withPath(file, path => Module.UTF8ToString(Module._WebLevelFromCodeBody(at, size, path)))) ||
      levelRefusal(file);
    if (refusal) {
      removeTree(dir);
      throw new Error(refusal);
    }
    return dir;
  }

  // Plays the level of the address's link, or says in one line why not.
  async function openLink(code) {
    shownCode = code;
    let dir;
    try {
      dir = await linkLevel(code);
    } catch (e) {
      if (code !== shownCode) return; // another link came meanwhile
      refuse("This link's level cannot be played: " + String(e.message).split('\n')[0]);
      return;
    }
    if (code !== shownCode) { removeTree(dir); return; }
    const old = Quibbo.levelsDir;
    playSet(dir, code);
    if (old !== dir) removeTree(old);
    if (!exited) note(editing ? "Plays the editor's level" : "Plays the link's level");
  }
  // A link refused: in the end panel before any game, else on the note line
  // while the game goes on.
  function refuse(why) {
    if (started) {
      note(why, true);
    } else {
      $('ended-text').textContent = why;
      $('ended').hidden = false;
      $('new-game').hidden = $('built-in').hidden = $('start-at').hidden = true;
      $('share-run').hidden = $('download-run').hidden = $('play-run').hidden = true;
      $('play-anyway').hidden = editing;
      $('play-anyway').href = location.pathname + location.search;
      offerEdit(null);
    }
  }
  // A link pasted into the address bar of an open page.
  addEventListener('hashchange', () => {
    const code = linkCode();
    if (code !== null && code !== shownCode) openLink(code);
  });

  // The editor is always a tap away; while a link's level is the set it
  // opens that level ("Edit this level"). From the editor, Back instead.
  function offerEdit(code) {
    $('edit').hidden = editing;
    $('edit').textContent = code === null ? 'Editor' : 'Edit this level';
    $('edit').href = code === null ? 'editor.html' : 'editor.html#level=' + encodeURIComponent(code);
    $('back').hidden = !editing;
  }
  if (editing) {
    const back = () => {
      if (parent !== window) parent.postMessage({ quibbo: 'back' }, location.origin);
      else location.href = 'editor.html' + location.hash;
    };
    $('back').onclick = back;
    // Before the game hears it (its listener comes later, on the same
    // window): Escape goes back instead of asking whether to quit.
    addEventListener('keydown', e => {
      if (e.key !== 'Escape') return;
      e.preventDefault();
      e.stopImmediatePropagation();
      if (!e.repeat) back();
    }, true);
    offerEdit(null);
  }

  let noteTimer = 0;
  // One line under the picture; the whole text is its title. A refusal
  // stays longer, to be read.
  function note(text, long) {
    $('note').textContent = $('note').title = text;
    clearTimeout(noteTimer);
    noteTimer = setTimeout(() => { $('note').textContent = $('note').title = ''; }, long ? 10000 : 4000);
  }

  $('shot').onclick = () => { if (window.Module && Module._WebScreenshot) Module._WebScreenshot(); };
  $('full').onclick = () => Quibbo.toggleFullscreen();
  canvas.tabIndex = 0;

  // ---- The program: started by the page, once a link's level is written ----
  function run(extra) {
    started = running = true;
    const all = args.concat(extra), at = all.lastIndexOf('--replay');
    replaying = firstReplay = at >= 0 ? all[at + 1] || '' : '';
    $('ended').hidden = $('play-anyway').hidden = true; // a refused link's panel
    $('start-at').hidden = false;
    canvas.focus();
    Module.callMain(all);
  }
  window.Module = {
    canvas,
    noInitialRun: true,
    print: text => console.log(text),
    printErr: text => { console.warn(text); errors.push(text); },
    onRuntimeInitialized() {
      loaded();
      // A level dropped meanwhile, or the link, may have started it.
      const code = linkCode(), runCode = runs.runCode();
      if (code !== null) openLink(code);
      else if (runCode !== null) runs.openCode(runCode);
      else if (!started) run([]);
    },
    // The program itself ended (a bad command line): its first line on
    // stderr is the reason, shown where the game would be.
    onExit(status) {
      running = false;
      exited = true;
      if (status === 0) return;
      $('ended-text').textContent = errors[0] || 'The game ended with status ' + status + '.';
      $('ended').hidden = false;
      $('new-game').hidden = $('built-in').hidden = $('start-at').hidden = true;
      $('share-run').hidden = $('download-run').hidden = $('play-run').hidden = true;
      // Never a page with no way on: the built-in levels, without the
      // command line when that was what failed.
      $('play-anyway').hidden = editing;
      $('play-anyway').href = location.pathname + (status === 2 ? '' : location.search);
    },
  };
  // Bytes the player keeps, as a download.
  function save(bytes, name, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  const runs = window.QuibboRuns({ $, ready, note, withBytes, withPath, save, megabytes, replay, refuse, playLevels,
                                   alive: () => !exited });
  layout();

  // After one visit the page plays with no network (sw.js).
  if ('serviceWorker' in navigator && location.protocol !== 'file:')
    addEventListener('load', () => navigator.serviceWorker.register('sw.js').catch(() => {}));
})();
