// The level editor: the player draws a level (editgrid.js), and the game's
// own C++ (leveledit.wasm) checks it, writes its file and text map and
// frames its link code, so nothing here can make a level the game would
// read differently. The level is kept in JavaScript and handed to the module
// before each question. Every change goes to IndexedDB at once.
'use strict';
(function () {
  const $ = id => document.getElementById(id);
  const { count } = QuibboWords;
  const canvas = $('grid');
  // What the palette offers, as cell bytes, in the order shown.
  const PALETTE = [[1, 'Corridor'], [128, 'Tiles'], [129, 'Wood'], [130, 'Stone'], [131, 'Brick'], [132, 'Hedge'],
    [64, 'Dot'], [65, 'Gun'], [66, 'Barrel'], [67, 'Crate'], [68, 'Lamp'], [3, 'Enemy start'], [2, 'Player start']];
  const CORRIDOR = 1, WALL = 128, MAX_FILE = 64 << 20;
  // A link's level larger than this opens only when the player says so.
  const ASK_CELLS = 1000000;
  // The level being opened, kept while it opens: found at the next start, it
  // froze or crashed the tab, and is not opened by itself again.
  const OPENING = 'quibbo-editor-opening';

  const state = { ready: false, checks: 0, saves: 0, plays: 0, summary: '', failures: [], level: '' };
  let M = null;                // the module
  let grid = null;             // the canvas and its tools (editgrid.js)
  let db = null;               // IndexedDB, or null where the browser keeps nothing
  let level = null;            // { name, width, height, cells, colours }
  let names = [];              // every kept level's name
  // What the page's tests read: the level, where a cell is on the screen,
  // and what Play must leave as it was.
  window.QuibboEditor = { state,
    level: () => ({ name: level.name, width: level.width, height: level.height, cells: Array.from(level.cells) }),
    spot(c, r) {
      const box = canvas.getBoundingClientRect(), view = grid.view;
      return { x: box.left + view.x + (c + 0.5) * view.zoom, y: box.top + view.y + (r + 0.5) * view.zoom };
    },
    desk: () => ({ tool: grid.tool, paint: grid.paint, view: Object.assign({}, grid.view),
      undo: grid.steps().undo.length, redo: grid.steps().redo.length }),
  };

  // ---- The module: the level in, answers out ----
  function push() {
    // Making room may grow the module's memory, which detaches the old view
    // of it: the view is taken only after the call.
    const cells = M._EditSetGrid(level.width, level.height);
    M.HEAPU8.set(level.cells, cells);
    const colours = level.colours.length / 4, at = M._EditSetColours(colours);
    if (colours) M.HEAPU8.set(level.colours, at);
  }
  const output = size => M.HEAPU8.slice(M._EditOutput(), M._EditOutput() + size);
  function pull() {
    const width = M._EditWidth(), height = M._EditHeight();
    return { width, height, cells: M.HEAPU8.slice(M._EditCells(), M._EditCells() + width * height),
      colours: M.HEAPU8.slice(M._EditColours(), M._EditColours() + 4 * M._EditColourCount()) };
  }
  function withBytes(bytes, use) {
    const at = M._malloc(Math.max(1, bytes.length));
    try { M.HEAPU8.set(bytes, at); return use(at, bytes.length); } finally { M._free(at); }
  }
  function withText(text, use) {
    const size = M.lengthBytesUTF8(text) + 1, at = M._malloc(size);
    try { M.stringToUTF8(text, at, size); return use(at); } finally { M._free(at); }
  }
  const text = at => M.UTF8ToString(at);

  function changed() {
    scheduleSave();
    refresh();
  }
  function refresh() {
    scheduleCheck();
    $('undo').disabled = !grid.steps().undo.length;
    $('redo').disabled = !grid.steps().redo.length;
    grid.draw();
  }
  function chooseTool(name) {
    grid.tool = name;
    for (const b of document.querySelectorAll('#tools .tool')) b.setAttribute('aria-checked', b.dataset.tool === name);
  }
  function choosePaint(cell) {
    grid.paint = cell;
    if (grid.tool === 'erase' || grid.tool === 'pan') chooseTool('brush');
    for (const b of document.querySelectorAll('#palette .tool')) b.setAttribute('aria-checked', +b.dataset.cell === cell);
    $('where').textContent = PALETTE.find(p => p[0] === cell)[1];
  }
  for (const b of document.querySelectorAll('#tools .tool')) {
    b.setAttribute('role', 'radio');
    b.onclick = () => chooseTool(b.dataset.tool);
  }

  // ---- The live check, a moment after each change (longer on a big level) ----
  let checkTimer = 0;
  function scheduleCheck() {
    clearTimeout(checkTimer);
    checkTimer = setTimeout(check, level.cells.length > 128 * 128 ? 250 : 20);
  }
  // A worker checks, where the page may start one: one level at a time, and
  // the latest level as soon as it is free again.
  let checker = null, asked = 0;
  try {
    checker = new Worker('editcheck.js');
    checker.onmessage = ({ data }) => {
      const stale = data.serial !== asked;
      checker.busy = false;
      if (stale) check();
      else if (level && data.name === level.name) answer(data.json);
    };
    checker.onerror = e => { e.preventDefault(); checker = null; check(); }; // checked here instead
  } catch (e) { checker = null; }
  function check() {
    clearTimeout(checkTimer);
    if (!checker) { push(); answer(text(M._EditCheck())); return; }
    asked++;
    if (checker.busy) return;
    checker.busy = true;
    const { name, width, height, cells, colours } = level;
    checker.postMessage({ serial: asked, name, width, height, cells, colours });
  }
  function answer(json) {
    // The module lists the first problems only, and counts them all.
    const result = JSON.parse(json), failures = result.failures || [], n = result.count;
    grid.marks = failures.flatMap(f => f.cells || []);
    const line = n === 0 && result.fits
      ? `Can be finished, plays fair: ${count(result.dots, 'dot')}, ${count(result.guns, 'gun')}, ${count(result.enemies, 'enemy', 'enemies')}`
      : n === 0 ? 'Over the level budget: ' + result.budget
      : `${count(n, 'problem')}: ${failures[0].text}${n > 1 ? ' \u2026' : ''}`;
    $('summary').textContent = line;
    $('summary').classList.toggle('bad', n > 0 || !result.fits);
    Object.assign(state, { checks: state.checks + 1, summary: line, failures: failures.map(f => f.text) });
    // The list: each problem takes the view to its cell.
    const items = failures.map(f => {
      const item = document.createElement('li');
      item.append(Object.assign(document.createElement('button'), { type: 'button', className: 'problem', textContent: f.text,
        onclick: () => { $('report').close(); grid.centre(...((f.cells || [])[0] || [0, 0])); } }));
      return item;
    });
    if (n > failures.length) items.push(Object.assign(document.createElement('li'), { className: 'more',
      textContent: `and ${count(n - failures.length, 'more problem')}` }));
    $('problems').replaceChildren(...items);
    $('report-text').textContent = result.report || '';
    opened(level.name);
  }
  $('summary').onclick = () => { if (level) { check(); $('report').showModal(); } };

  // ---- Keeping: every level in IndexedDB under its name; the last one
  // changed comes back on the next visit. Tabs share the store: each record
  // has a version, one more at each save, and a tab saves only over the
  // version it read or wrote last, so work that would overwrite another
  // tab's is kept under a new name instead. A new level's name is chosen
  // inside the transaction that keeps it, so two tabs never take the same.
  // Other tabs hear of each save (BroadcastChannel, where there is one) and
  // show it, unless they have changes of their own still to keep ----
  const request = (mode, use) => new Promise((resolve, reject) => {
    const t = db.transaction('levels', mode), asked = use(t.objectStore('levels'));
    t.oncomplete = () => resolve(asked && ('result' in asked ? asked.result : asked.value));
    t.onerror = t.onabort = () => reject(t.error || new Error('the browser refused to keep it'));
  });
  // A store's refusal in words: a full disk's has no message of its own.
  const refusal = e => !e ? 'the browser refused to keep it'
    : e.name === 'QuotaExceededError' ? "the browser's storage is full"
    : (e.name && e.name !== 'Error' ? e.name + ': ' : '') + (e.message || 'the browser refused to keep it');
  const tabs = typeof BroadcastChannel === 'function' ? new BroadcastChannel('quibbo-editor') : null;
  const tell = news => { if (tabs) tabs.postMessage(news); };
  // The name wanted, or the next "Level N" free after it.
  const freeName = (wanted, taken) => {
    const name = wanted.trim().slice(0, 60) || 'Level', [, base, first] = /^(.*?)(?: (\d+))?$/.exec(name);
    if (!taken.includes(name)) return name;
    for (let n = Math.max(2, +(first || 0) + 1); ; n++) if (!taken.includes(`${base} ${n}`)) return `${base} ${n}`;
  };
  // Puts `record` over its `version` (null for a new level): the name and
  // version it was kept under.
  const keep = (record, version) => request('readwrite', store => {
    const kept = { value: null };
    const put = (name, v) => { store.put(Object.assign({}, record, { name, version: v })); kept.value = { name, version: v }; };
    const there = store.get(record.name);
    there.onsuccess = () => {
      const found = there.result;
      if (version === null ? !found : !found || (found.version || 0) === version) return put(record.name, version + 1);
      const keys = store.getAllKeys();
      keys.onsuccess = () => put(freeName(record.name, keys.result), 1);
    };
    return kept;
  });
  let saveTimer = 0, saving = Promise.resolve();
  function scheduleSave() {
    clearTimeout(saveTimer);
    saveTimer = setTimeout(save, level.cells.length > 256 * 256 ? 400 : 0);
  }
  function save() {
    clearTimeout(saveTimer);
    saveTimer = 0;
    if (!db) return saving;
    const saved = level, { name, width, height, cells, colours } = saved;
    const record = { name, width, height, cells: cells.slice(), colours: colours.slice(), updated: Date.now() };
    return (saving = saving.then(() => keep(record, saved.version)).then(kept => {
      const fresh = saved.version === null;
      state.saves++;
      saved.version = kept.version;
      if (!names.includes(kept.name)) names.push(kept.name);
      if (kept.name !== name) {
        saved.name = kept.name;
        grid.rename(name, kept.name);
        if (saved === level) state.level = kept.name;
        listLevels();
        note(fresh ? `Kept as "${kept.name}": another tab has a level named "${name}"`
          : `"${name}" was changed in another tab: this tab's work is kept as "${kept.name}"`, true);
      }
      tell({ name: kept.name, version: kept.version });
    }, e => note('The level could not be kept: ' + refusal(e), true)));
  }
  const flush = () => { if (saveTimer) save(); };
  addEventListener('pagehide', () => {
    flush();
    opening(o => { o.level = null; }); // left, not frozen
  });
  document.addEventListener('visibilitychange', () => { if (document.hidden) flush(); });
  const latest = async () => (db ? await request('readonly', s => s.getAll()) : []).sort((a, b) => b.updated - a.updated);
  if (tabs) tabs.onmessage = async ({ data: news }) => {
    if (news.gone) names = names.filter(n => n !== news.name);
    else if (!names.includes(news.name)) names.push(news.name);
    listLevels();
    const newer = () => !news.gone && level && level.name === news.name && news.version > (level.version || 0) &&
      !saveTimer && !grid.busy();
    if (!newer()) return;
    await saving;
    const record = newer() && await request('readonly', s => s.get(news.name));
    // This tab's undo steps were taken on the cells it had.
    if (record && newer()) { grid.forget(record.name); show(record, true); }
  };

  // What froze the tab: the level being opened, kept until its first check
  // ends, and the levels found still opening when the editor started.
  function opening(change) {
    let now = {};
    try { now = JSON.parse(localStorage.getItem(OPENING)) || {}; } catch (e) { /* kept nowhere: nothing froze */ }
    if (change) {
      change(now);
      try { localStorage.setItem(OPENING, JSON.stringify(now)); } catch (e) { /* as above */ }
    }
    return now;
  }
  const opened = name => {
    const now = opening();
    if (now.level === name || (now.stuck || []).includes(name))
      opening(o => { o.level = null; o.stuck = (o.stuck || []).filter(n => n !== name); });
  };

  function listLevels() {
    names.sort((a, b) => a.localeCompare(b, undefined, { numeric: true }));
    $('levels').replaceChildren(...names.map(n => new Option(n, n, false, level && n === level.name)));
  }
  const uniqueName = wanted => freeName(wanted, names);
  // Shows a level: its own undo history, the view fitted to it (or kept, for
  // another tab's save of it), checked.
  function show(record, keepView) {
    flush();
    level = { name: record.name, width: record.width, height: record.height, version: record.version || 0,
      cells: new Uint8Array(record.cells), colours: new Uint8Array(record.colours || []) };
    state.level = level.name;
    opening(o => { o.level = level.name; });
    grid.show(level, keepView);
    listLevels();
    refresh();
  }
  // A level of its own for what was made, opened or carried by a link:
  // never in the place of one that is kept. Resolves with the name it is
  // kept under.
  async function add(name, grid) {
    if (!names.includes(name = uniqueName(name))) names.push(name);
    show(Object.assign({ name }, grid));
    level.version = null;
    await save();
    return level.name;
  }
  function blank(width, height) { // walls round, corridor inside, a start looking north
    const cells = new Uint8Array(width * height).fill(CORRIDOR);
    for (let r = 0; r < height && width > 2 && height > 2; r++)
      for (let c = 0; c < width; c++) if (!r || !c || r === height - 1 || c === width - 1) cells[r * width + c] = WALL;
    cells[Math.max(0, height - 2) * width + (width >> 1)] = 2;
    return { width, height, cells, colours: new Uint8Array(0) };
  }
  $('levels').onchange = async e => {
    flush();
    await saving;
    const record = db && await request('readonly', s => s.get(e.target.value));
    if (!record) return;
    show(record);
    scheduleSave(); // the level chosen is the one the next visit opens
  };

  // ---- Questions: a name, a size, or yes and no ----
  function ask({ title, message = '', name, size, valid = () => '' }) {
    const dialog = $('ask'), value = id => $(id).value.trim();
    $('ask-title').textContent = title;
    Object.assign($('ask-text'), { textContent: message, hidden: !message });
    $('ask-name-row').hidden = name === undefined;
    $('ask-size-row').hidden = !size;
    $('ask-why').textContent = '';
    $('ask-name').value = name || '';
    [$('ask-width').value, $('ask-height').value] = size || [];
    const answer = () => ({ name: value('ask-name'), width: +value('ask-width'), height: +value('ask-height') });
    dialog.querySelector('form').onsubmit = e => {
      const why = e.submitter && e.submitter.value === 'ok' && valid(answer());
      if (why) { e.preventDefault(); $('ask-why').textContent = why; }
    };
    dialog.returnValue = '';
    dialog.showModal();
    return new Promise(resolve => { dialog.onclose = () => resolve(dialog.returnValue === 'ok' && answer()); });
  }
  const sizeProblem = a => [a.width, a.height].every(v => Number.isInteger(v) && v >= 1 && v <= M._EditMaxSide()) ? ''
    : `Each side is 1 to ${M._EditMaxSide()} cells`;
  const nameProblem = (a, own) => !a.name ? 'A level needs a name' : a.name !== own && names.includes(a.name) ? 'There is a level of that name' : '';

  $('new').onclick = async () => {
    const a = await ask({ title: 'New level', name: uniqueName('Level'), size: [24, 16], valid: a => nameProblem(a) || sizeProblem(a) });
    if (a) await add(a.name, blank(a.width, a.height));
  };
  $('resize').onclick = async () => {
    const { width, height } = level;
    const a = await ask({ title: 'Resize', message: 'The top left corner stays; new cells are corridor.', size: [width, height], valid: sizeProblem });
    if (!a || (a.width === width && a.height === height)) return;
    const cells = new Uint8Array(a.width * a.height).fill(CORRIDOR);
    for (let r = 0; r < Math.min(a.height, height); r++) cells.set(level.cells.subarray(r * width, r * width + Math.min(a.width, width)), r * a.width);
    const step = { grid: true, from: { width, height, cells: level.cells.slice() }, to: { width: a.width, height: a.height, cells } };
    grid.apply(step, false);
    grid.record(step);
  };
  $('rename').onclick = async () => {
    const old = level.name, a = await ask({ title: 'Rename', name: old, valid: a => nameProblem(a, old) });
    if (!a || a.name === old) return;
    await saving;
    level.name = state.level = a.name;
    names = names.filter(n => n !== old).concat(a.name);
    grid.rename(old, a.name);
    if (db) await request('readwrite', s => { s.delete(old); });
    tell({ name: old, gone: true });
    await save();
    listLevels();
  };
  $('delete').onclick = async () => {
    const gone = level.name;
    if (!await ask({ title: 'Delete', message: `Delete "${gone}"? It cannot be brought back.` })) return;
    clearTimeout(saveTimer);
    saveTimer = 0;
    await saving;
    if (db) await request('readwrite', s => { s.delete(gone); });
    names = names.filter(n => n !== gone);
    grid.forget(gone);
    const rest = await latest();
    tell({ name: gone, gone: true });
    if (rest.length) show(rest[0]); else await add('Level', blank(24, 16));
  };

  // ---- Files: a level file or a text map in, by picker or drop; out as downloads ----
  async function open(file, asText) {
    const refuse = why => { note(`${file.name} was refused: ${why}`, true); state.refused = why; };
    if (file.size > MAX_FILE) return refuse(`it is ${Math.round(file.size / 1048576)} MB, more than a level can be`);
    let bytes;
    try { bytes = new Uint8Array(await file.arrayBuffer()); } catch (e) { return refuse('the browser could not read it'); }
    const why = asText || /\.txt$/i.test(file.name) ? withText(new TextDecoder().decode(bytes), at => text(M._EditReadText(at)))
      : withBytes(bytes, (at, size) => text(M._EditReadBitmap(at, size)));
    if (why) return refuse(why);
    note(`Opened ${file.name} as "${await add(file.name.replace(/\.(bmp|txt)$/i, ''), pull())}"`);
  }
  const take = (files, asText) => { for (const f of files) open(f, asText).catch(e => note(e.message, true)); };
  $('pick').onchange = e => { take([...e.target.files]); e.target.value = ''; };
  $('pick-text').onchange = e => { take([...e.target.files], true); e.target.value = ''; };
  addEventListener('dragover', e => { e.preventDefault(); document.body.classList.add('dragging'); });
  addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  addEventListener('drop', e => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    if (e.dataTransfer && e.dataTransfer.files.length) take([...e.dataTransfer.files]);
  });
  function download(bytes, type, extension) {
    const link = Object.assign(document.createElement('a'), { href: URL.createObjectURL(new Blob([bytes], { type })),
      download: level.name.replace(/[\\/:*?"<>|\u0000-\u001f]/g, '_') + extension });
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  const saveFile = () => { push(); download(output(M._EditMakeBitmap()), 'image/bmp', '.bmp'); };
  $('save').onclick = saveFile;
  $('export').onclick = () => {
    push();
    const size = M._EditFormatText();
    if (size < 0) note('The text map cannot be written: ' + text(M._EditError()), true);
    else download(output(size), 'text/plain', '.txt');
  };

  // ---- Links: the level as a code, to play here or to pass on ----
  async function linkCode() {
    push();
    const deflated = await QuibboCode.deflate(output(M._EditCodeBody()));
    return withBytes(deflated, (at, size) => text(M._EditMakeLinkCode(at, size)));
  }
  async function openLink() {
    const code = (/^#level=(.*)$/.exec(location.hash) || [])[1];
    if (code === undefined) return;
    history.replaceState(null, '', location.pathname + location.search); // a reload must not take it twice
    try {
      const why = withText(code, at => text(M._EditReadLinkCode(at)));
      if (why) throw new Error(why);
      const body = await QuibboCode.inflate(output(M._EditOutputSize()), M._EditMaxCodeBodyBytes());
      const refused = withBytes(body, (at, size) => text(M._EditReadCodeBody(at, size)));
      if (refused) throw new Error(refused);
      // Taken now: a check while the question is open sets the module's grid.
      const shared = pull(), { width, height } = shared;
      if (width * height > ASK_CELLS && !await ask({ title: 'A large level',
        message: `The link's level is ${width} x ${height} cells: the editor may be slow with it. Open it?` })) {
        note("The link's level was not opened");
        state.refused = 'not opened';
        return;
      }
      note(`The link's level is kept as "${await add('Shared level', shared)}"`);
    } catch (e) {
      note('The link was refused: ' + e.message, true);
      state.refused = e.message;
    }
  }
  addEventListener('hashchange', () => { if (state.ready) openLink(); });

  let frame = null;
  $('play').onclick = async () => {
    if (frame || !level) return;
    const src = 'index.html?edit=1#level=' + await linkCode();
    frame = Object.assign(document.createElement('iframe'), { id: 'play-frame', title: 'Quibbo',
      allow: 'fullscreen; gamepad; autoplay', src, onload: () => frame && frame.focus() });
    document.body.appendChild(frame);
    state.plays++;
  };
  // The game says Back: the editor is as it was left.
  addEventListener('message', e => {
    if (!frame || e.source !== frame.contentWindow || e.origin !== location.origin || !e.data || e.data.quibbo !== 'back') return;
    frame.remove();
    frame = null;
    canvas.focus();
  });

  $('share').onclick = async () => {
    const link = state.link = new URL('.', location.href).href + '#level=' + await linkCode();
    $('link').value = link;
    $('link-size').textContent = count(link.length, 'character');
    $('send').hidden = !canShare();
    $('shared').showModal();
    $('link').select();
  };
  $('copy').onclick = () => {
    const fallback = () => { // select it all, for the browser's own copy
      $('link').focus();
      $('link').select();
      note(document.execCommand('copy') ? 'Copied' : 'Selected: copy it from the box');
    };
    if (navigator.clipboard) navigator.clipboard.writeText($('link').value).then(() => note('Copied'), fallback);
    else fallback();
  };
  // Many desktop browsers have no share sheet: the button is hidden there,
  // and a click that comes anyway (a stale dialog) does nothing.
  const canShare = () => typeof navigator.share === 'function';
  $('send').onclick = () => {
    if (canShare()) navigator.share({ title: 'Quibbo: ' + level.name, url: $('link').value }).catch(() => {});
  };

  // ---- The rest of the page ----
  let noteTimer = 0;
  function note(line, long) {
    $('note').textContent = $('note').title = state.note = line;
    clearTimeout(noteTimer);
    noteTimer = setTimeout(() => { $('note').textContent = ''; }, long ? 10000 : 4000);
  }
  const openMenu = open => {
    $('menu').classList.toggle('open', open);
    $('menu-button').setAttribute('aria-expanded', String(open));
  };
  $('menu').addEventListener('click', e => { if (e.target.closest('button, input')) openMenu(false); });
  $('menu-button').onclick = () => openMenu(!$('menu').classList.contains('open'));
  $('undo').onclick = () => grid.undo(true);
  $('redo').onclick = () => grid.undo(false);
  const keys = { b: 'brush', r: 'rect', f: 'fill', e: 'erase', h: 'pan' };
  addEventListener('keydown', e => {
    if (frame || !level || document.querySelector('dialog[open]') || /^(INPUT|SELECT|TEXTAREA)$/.test(e.target.tagName)) return;
    const key = e.key.toLowerCase(), command = e.ctrlKey || e.metaKey;
    if (command && (key === 'z' || key === 'y')) grid.undo(key === 'z' && !e.shiftKey);
    else if (command && key === 's') saveFile();
    else if (command || e.altKey) return;
    else if (keys[key]) chooseTool(keys[key]);
    else if ('+=-'.includes(key)) grid.zoomBy(key === '-' ? 0.8 : 1.25);
    else if (key === '0') grid.fit();
    else return;
    e.preventDefault();
  });
  document.addEventListener('gesturestart', e => e.preventDefault());
  // Promises the page leaves to themselves say what went wrong in the note.
  addEventListener('unhandledrejection', e => { e.preventDefault(); note(String(e.reason && e.reason.message || e.reason), true); });

  // ---- Start: the module, the kept levels, the last one changed, a link ----
  LevelEdit().then(async module => {
    M = module;
    db = await new Promise(resolve => {
      const open = indexedDB.open('quibbo-editor', 1);
      open.onupgradeneeded = () => open.result.createObjectStore('levels', { keyPath: 'name' });
      open.onsuccess = () => resolve(open.result);
      open.onerror = () => { note('This browser keeps nothing: the level is lost on leaving', true); resolve(null); };
    });
    grid = EditGrid(canvas, M, changed, words => { $('where').textContent = words; });
    const kept = await latest();
    names = kept.map(r => r.name);
    $('palette').replaceChildren(...PALETTE.map(([cell, label]) => {
      const b = Object.assign(document.createElement('button'), { type: 'button', className: 'tool', title: label, onclick: () => choosePaint(cell) });
      const picture = Object.assign(document.createElement('canvas'), { width: 32, height: 32 });
      picture.getContext('2d').putImageData(grid.picture(cell), 0, 0);
      b.dataset.cell = cell;
      b.setAttribute('role', 'radio');
      b.append(picture, Object.assign(document.createElement('span'), { textContent: label }));
      return b;
    }));
    chooseTool('brush');
    choosePaint(WALL);
    // A level that was still opening when the tab last stopped is not
    // opened by itself again: it may freeze the tab each time.
    const { stuck = [] } = opening(o => {
      if (o.level) o.stuck = [...new Set((o.stuck || []).concat(o.level))];
      o.level = null;
    });
    const first = kept.find(r => !stuck.includes(r.name));
    if (kept.length && stuck.includes(kept[0].name))
      note(`"${kept[0].name}" was not opened: the editor stopped while opening it last time. Pick it from the list to try again.`, true);
    if (first) show(first); else await add('Level', blank(24, 16));
    await openLink();
    state.ready = true;
  }).catch(e => { $('where').textContent = 'The editor could not start: ' + e.message; });
  // Opened first, the editor too makes the game and itself work offline.
  if ('serviceWorker' in navigator && location.protocol !== 'file:')
    addEventListener('load', () => navigator.serviceWorker.register('sw.js').catch(() => {}));
})();
