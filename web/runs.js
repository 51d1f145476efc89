// Runs in the page. The game records every game it plays; when one ends the
// page offers its run as a link (#run=CODE) or a file (.qrun), and a run's
// link or file replays in the canvas at its own speed. As for a level's
// link, the code's framing and every check of the run are the game's C++
// (app/WebRun.cpp); the browser packs and unpacks in between (levelcode.js).
'use strict';
window.QuibboRuns = function (page) {
  const { $, ready, note, withBytes, withPath, save } = page;
  const magic = new TextEncoder().encode('QBRZ'); // a run file: these 4 bytes, then the packed body
  let written = 0;     // run files written: /runs/1.qrun, /runs/2.qrun, ...
  let offered = null;  // the body the end panel offers to share
  let replayed = '';   // the run file the game that ended replayed, if it did
  let downloads = 0;
  let shownCode = null;
  const words = { thing: "the run's code", most: 'any run can be' };
  const text = pointer => Module.UTF8ToString(pointer);

  // ---- A game ended: its run, while the game still holds it ----
  function ended(replay, status) {
    replayed = replay;
    if (replay && status === 0) $('ended-text').textContent = 'The end of the run';
    offered = null;
    if (replay) {
      // A replay's run is its file; one that could not be read is no run.
      if (Module.FS.analyzePath(replay).exists) offered = Module.FS.readFile(replay);
    } else if (Module._WebRunBody) {
      const at = Module._WebRunBody(); // first: it makes the body the size is of
      offered = Module.HEAPU8.slice(at, at + Module._WebRunBodySize());
      if (offered.length === 0) offered = null;
    }
    $('share-run').hidden = $('download-run').hidden = !offered;
    $('play-run').hidden = !replay;
    Quibbo.state.runBytes = offered ? offered.length : 0;
  }

  async function linkOf(body) {
    const data = await QuibboCode.deflate(body);
    return new URL('.', location.href).href + '#run=' + withBytes(data, (at, size) => text(Module._WebMakeRunCode(at, size)));
  }
  $('share-run').onclick = async () => {
    if (!offered) return;
    const link = await linkOf(offered);
    $('run-link').value = link;
    $('run-link-size').textContent = QuibboWords.count(link.length, 'character');
    console.log(`run link: ${link.length} characters for a run of ${offered.length} bytes`);
    $('send-run').hidden = !canShare();
    $('run-shared').showModal();
    $('run-link').select();
  };
  $('copy-run').onclick = () => {
    const fallback = () => { // select it all, for the browser's own copy
      $('run-link').focus();
      $('run-link').select();
      note(document.execCommand('copy') ? 'Copied' : 'Selected: copy it from the box');
    };
    if (navigator.clipboard) navigator.clipboard.writeText($('run-link').value).then(() => note('Copied'), fallback);
    else fallback();
  };
  // As the editor's Share: no share sheet, no button, and never a call.
  const canShare = () => typeof navigator.share === 'function';
  $('send-run').onclick = () => {
    if (canShare()) navigator.share({ title: 'A run of Quibbo', url: $('run-link').value }).catch(() => {});
  };
  $('download-run').onclick = async () => {
    if (!offered) return;
    const data = await QuibboCode.deflate(offered);
    const file = new Uint8Array(magic.length + data.length);
    file.set(magic);
    file.set(data, magic.length);
    save(file, 'quibbo-run-' + String(++downloads).padStart(3, '0') + '.qrun', 'application/octet-stream');
  };

  // "Play this level": a game of the player's own on the levels the run
  // played, from the level it started at.
  $('play-run').onclick = () => {
    const why = check(replayed);
    if (why) { note('This run cannot be played: ' + why, true); return; }
    page.playLevels(text(Module._WebRunLevelsDir()), Module._WebRunStartLevel());
  };

  // ---- Runs given to the page: a link, or a file picked or dropped ----

  // The game's own reading of a run file: "" when it would replay it (the
  // levels it names are at hand too).
  const check = file => withPath(file, path => withPath(Quibbo.levelsDir, dir =>
    text(Module._WebCheckRunBody(path, dir))));

  // Writes the body as the page's one run file and replays it; throws
  // Error(the reason, one line), and keeps nothing, when it cannot be.
  function replay(body) {
    const fs = Module.FS;
    fs.mkdirTree('/runs');
    const file = '/runs/' + (++written) + '.qrun';
    fs.writeFile(file, body);
    const why = check(file);
    if (why) { fs.unlink(file); throw new Error(why); }
    // The game reads a run whole when it starts: older files may go now.
    for (const name of fs.readdir('/runs')) if (/\.qrun$/.test(name) && '/runs/' + name !== file) fs.unlink('/runs/' + name);
    page.replay(file, text(Module._WebRunLevelsDir()));
  }
  function refuse(why) {
    page.refuse('This run cannot be played: ' + String(why).split('\n')[0]);
  }

  async function unpack(data, what = words) {
    return QuibboCode.inflate(data, Module._WebMaxRunBodyBytes(), what);
  }
  // The body a run's code (the text after "#run=") carries.
  async function fromCode(code) {
    await ready;
    if (!Module._WebReadCode) throw new Error('this build of the game cannot replay runs');
    // Kind 1: a run's code (WebReadCode, app/web/WebExports.cpp).
    const why = withBytes(new TextEncoder().encode(code + '\0'), at => text(Module._WebReadCode(at, 1)));
    if (why) throw new Error(why);
    const at = Module._WebCodeData();
    return unpack(Module.HEAPU8.slice(at, at + Module._WebCodeSize()));
  }
  const runCode = () => {
    const fragment = new URLSearchParams(location.hash.replace(/^#/, ''));
    return fragment.has('run') ? fragment.get('run') : null;
  };
  async function openCode(code) {
    shownCode = code;
    let body;
    try {
      body = await fromCode(code);
      if (code !== shownCode) return; // another link came meanwhile
      replay(body);
      if (page.alive()) note('Replays the link\'s run');
    } catch (e) {
      if (code === shownCode) refuse(e.message);
    }
  }
  // A link pasted into the address bar of an open page.
  addEventListener('hashchange', () => {
    const code = runCode();
    if (code !== null && code !== shownCode) openCode(code);
  });

  // A run file: "QBRZ" and the packed body as the page and the native game
  // write it, a bare body, or a text with a run's link or code in it.
  const isRunFile = file => /\.qrun$/i.test(file.name);
  async function takeFile(file) {
    try {
      await ready;
      const limit = Module._WebMaxRunBodyBytes();
      if (file.size > limit) throw new Error(`${file.name} is ${page.megabytes(file.size)}, more than a run can be`);
      let bytes;
      try {
        bytes = new Uint8Array(await file.arrayBuffer());
      } catch (e) {
        throw new Error(`${file.name}: the browser could not read it`);
      }
      const starts = tag => tag.every((b, i) => bytes[i] === b);
      if (starts(magic)) return replay(await unpack(bytes.subarray(magic.length), { thing: file.name, most: 'any run can be' }));
      if (starts(new TextEncoder().encode('QRUN'))) return replay(bytes);
      const words = new TextDecoder().decode(bytes.subarray(0, 65536)).trim();
      const code = /(?:#run=|^)(r[A-Za-z0-9_-]*)$/.exec(words);
      if (!code) throw new Error(`${file.name} is not a run`);
      replay(await fromCode(code[1]));
    } catch (e) {
      refuse(e.message);
    }
  }

  return { ended, openCode, runCode, isRunFile, takeFile };
};
