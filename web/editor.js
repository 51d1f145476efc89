// The level editor: the player draws a level on a canvas of cells, and the
// game's own C++ (leveledit.wasm) checks it, writes its file and text map
// and frames its link code, so nothing here can make a level the game would
// read differently. The level is kept in JavaScript and handed to the module
// before each question. Every change goes to IndexedDB at once.
'use strict';
(function () {
  const $ = id => document.getElementById(id);
  const canvas = $('grid');
  const ctx = canvas.getContext('2d', { alpha: false });
  // What the palette offers, as cell bytes, in the order shown.
  const PALETTE = [[1, 'Corridor'], [128, 'Tiles'], [129, 'Wood'], [130, 'Stone'], [131, 'Brick'], [132, 'Hedge'],
    [64, 'Dot'], [65, 'Gun'], [66, 'Barrel'], [67, 'Crate'], [68, 'Lamp'], [3, 'Enemy start'], [2, 'Player start']];
  const CORRIDOR = 1, SWATCH = 32, UNDO_STEPS = 200;
  const SWATCH_ZOOM = 8; // CSS pixels a cell from which cells are drawn with their pictures
  const MAX_FILE = 64 << 20;

  const state = { ready: false, checks: 0, saves: 0, plays: 0, summary: '', failures: [], level: '' };
  // What the page's tests read: the level, where a cell is on the screen,
  // and what Play must leave as it was.
  const Editor = window.QuibboEditor = { state,
    level: () => ({ name: level.name, width: level.width, height: level.height, cells: Array.from(level.cells) }),
    spot(c, r) {
      const box = canvas.getBoundingClientRect();
      return { x: box.left + view.x + (c + 0.5) * view.zoom, y: box.top + view.y + (r + 0.5) * view.zoom };
    },
    desk: () => ({ tool, paint, view: Object.assign({}, view), undo: steps().undo.length, redo: steps().redo.length }),
  };
  let M = null;              // the module
  let db = null;             // IndexedDB, or null where the browser keeps nothing
  let level = null;          // { name, width, height, cells, colours }
  let names = [];            // every kept level's name
  const histories = new Map(); // level name -> { undo: [], redo: [] }
  let tool = 'brush', paint = 128;
  const view = { zoom: 16, x: 0, y: 0 };
  let marks = [];            // [column, row] of cells a problem is about
  let hover = null;          // the cell under the mouse

  // ---- The module: the level in, answers out ----
  function push() {
    M.HEAPU8.set(level.cells, M._EditSetGrid(level.width, level.height));
    const count = level.colours.length / 4;
    const at = M._EditSetColours(count);
    if (count) M.HEAPU8.set(level.colours, at);
  }
  const output = size => M.HEAPU8.slice(M._EditOutput(), M._EditOutput() + size);
  function pull() {
    const width = M._EditWidth(), height = M._EditHeight();
    const cells = M.HEAPU8.slice(M._EditCells(), M._EditCells() + width * height);
    const colours = M.HEAPU8.slice(M._EditColours(), M._EditColours() + 4 * M._EditColourCount());
    return { width, height, cells, colours };
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

  // ---- Swatches: each cell byte's picture, and its mean colour for the
  // zoomed-out view, where a cell is a pixel or less ----
  let swatches = new Array(256);
  function swatch(cell) {
    let s = swatches[cell];
    if (s) return s;
    const at = M._EditSwatch(cell, SWATCH);
    s = { image: null, rgb: [20, 20, 20], fill: '#141414' };
    if (at) {
      const rgba = new Uint8ClampedArray(M.HEAPU8.slice(at, at + SWATCH * SWATCH * 4)), sum = [0, 0, 0];
      s.image = Object.assign(document.createElement('canvas'), { width: SWATCH, height: SWATCH });
      s.image.getContext('2d').putImageData(new ImageData(rgba, SWATCH, SWATCH), 0, 0);
      for (let i = 0; i < rgba.length; i += 4) { sum[0] += rgba[i]; sum[1] += rgba[i + 1]; sum[2] += rgba[i + 2]; }
      s.rgb = sum.map(v => Math.round(v / (SWATCH * SWATCH)));
      s.fill = `rgb(${s.rgb})`;
    }
    return (swatches[cell] = s);
  }

  // The whole level a pixel a cell, kept up to date cell by cell.
  let overview = null, overviewData = null, overviewWords = null, dirty = null;
  const packed = new Uint32Array(256);
  function rebuildOverview() {
    swatches = new Array(256);
    for (let b = 0; b < 256; b++) { const [r, g, bl] = swatch(b).rgb; packed[b] = 0xff000000 | bl << 16 | g << 8 | r; }
    overview = Object.assign(document.createElement('canvas'), { width: level.width, height: level.height });
    overviewData = overview.getContext('2d').createImageData(level.width, level.height);
    overviewWords = new Uint32Array(overviewData.data.buffer);
    for (let i = 0; i < level.cells.length; i++) overviewWords[i] = packed[level.cells[i]];
    dirty = { c0: 0, r0: 0, c1: level.width, r1: level.height };
  }
  function touched(i) {
    overviewWords[i] = packed[level.cells[i]];
    const c = i % level.width, r = (i - c) / level.width;
    if (!dirty) dirty = { c0: c, r0: r, c1: c + 1, r1: r + 1 };
    else Object.assign(dirty, { c0: Math.min(dirty.c0, c), r0: Math.min(dirty.r0, r),
      c1: Math.max(dirty.c1, c + 1), r1: Math.max(dirty.r1, r + 1) });
  }

  // ---- Drawing: only the cells in sight ----
  let queued = false;
  function draw() { if (!queued) { queued = true; requestAnimationFrame(render); } }
  function render() {
    queued = false;
    const W = canvas.width, H = canvas.height, ratio = devicePixelRatio || 1;
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    ctx.fillStyle = '#0c0c0c';
    ctx.fillRect(0, 0, W, H);
    if (!level) return;
    if (dirty) {
      overview.getContext('2d').putImageData(overviewData, 0, 0, dirty.c0, dirty.r0, dirty.c1 - dirty.c0, dirty.r1 - dirty.r0);
      dirty = null;
    }
    const z = view.zoom * ratio, ox = view.x * ratio, oy = view.y * ratio, w = level.width;
    const c0 = Math.max(0, Math.floor(-ox / z)), c1 = Math.min(w, Math.ceil((W - ox) / z));
    const r0 = Math.max(0, Math.floor(-oy / z)), r1 = Math.min(level.height, Math.ceil((H - oy) / z));
    const X = c => Math.round(ox + c * z), Y = r => Math.round(oy + r * z);
    ctx.imageSmoothingEnabled = false;
    if (c1 <= c0 || r1 <= r0) return;
    if (view.zoom >= SWATCH_ZOOM) {
      for (let r = r0; r < r1; r++) {
        const y = Y(r), h = Y(r + 1) - y;
        for (let c = c0, x = X(c0); c < c1; c++) {
          const next = X(c + 1), s = swatch(level.cells[r * w + c]);
          if (s.image) ctx.drawImage(s.image, x, y, next - x, h);
          else { ctx.fillStyle = s.fill; ctx.fillRect(x, y, next - x, h); }
          x = next;
        }
      }
      if (view.zoom >= 14) { // faint lines between cells
        ctx.beginPath();
        for (let c = c0; c <= c1; c++) { ctx.moveTo(X(c) + 0.5, Y(r0)); ctx.lineTo(X(c) + 0.5, Y(r1)); }
        for (let r = r0; r <= r1; r++) { ctx.moveTo(X(c0), Y(r) + 0.5); ctx.lineTo(X(c1), Y(r) + 0.5); }
        Object.assign(ctx, { strokeStyle: 'rgba(0, 0, 0, .28)', lineWidth: 1 }).stroke();
      }
    } else {
      ctx.drawImage(overview, c0, r0, c1 - c0, r1 - r0, X(c0), Y(r0), X(c1) - X(c0), Y(r1) - Y(r0));
    }
    Object.assign(ctx, { strokeStyle: '#666', lineWidth: 1 }).strokeRect(X(0) - 0.5, Y(0) - 0.5, X(w) - X(0) + 1, Y(level.height) - Y(0) + 1);
    // The cells the check names: a ring each, never smaller than a fingertip's mark.
    const ring = Math.max(z * 0.62, 7 * ratio);
    for (const [c, r] of marks) {
      if (c < c0 - 2 || c > c1 + 1 || r < r0 - 2 || r > r1 + 1) continue;
      ctx.beginPath();
      ctx.arc(X(c) + z / 2, Y(r) + z / 2, ring, 0, 2 * Math.PI);
      Object.assign(ctx, { lineWidth: 4 * ratio, strokeStyle: 'rgba(0, 0, 0, .7)' }).stroke();
      Object.assign(ctx, { lineWidth: 2 * ratio, strokeStyle: '#ff4040' }).stroke();
    }
    if (gesture && gesture.kind === 'rect') {
      const [a, b] = [gesture.from, gesture.to];
      const x = X(Math.min(a.c, b.c)), y = Y(Math.min(a.r, b.r));
      ctx.fillStyle = 'rgba(255, 200, 0, .25)';
      ctx.fillRect(x, y, X(Math.max(a.c, b.c) + 1) - x, Y(Math.max(a.r, b.r) + 1) - y);
    }
    if (hover && hover.c >= 0 && hover.r >= 0 && hover.c < w && hover.r < level.height) {
      Object.assign(ctx, { strokeStyle: '#fc0', lineWidth: Math.max(1, ratio) }).strokeRect(X(hover.c) + 0.5, Y(hover.r) + 0.5, X(hover.c + 1) - X(hover.c) - 1, Y(hover.r + 1) - Y(hover.r) - 1);
    }
  }

  function fit() {
    const W = canvas.clientWidth || 300, H = canvas.clientHeight || 300;
    view.zoom = clampZoom(Math.min(W / level.width, H / level.height) * 0.94);
    view.x = (W - level.width * view.zoom) / 2;
    view.y = (H - level.height * view.zoom) / 2;
    draw();
  }
  const clampZoom = z => Math.min(64, Math.max(Math.min(1, 200 / Math.max(level.width, level.height)), z));
  function zoomAt(x, y, zoom) {
    zoom = clampZoom(zoom);
    view.x = x - (x - view.x) * zoom / view.zoom;
    view.y = y - (y - view.y) * zoom / view.zoom;
    view.zoom = zoom;
    draw();
  }
  function sizeCanvas() {
    const ratio = devicePixelRatio || 1;
    canvas.width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    canvas.height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    draw();
  }
  new ResizeObserver(sizeCanvas).observe(canvas);

  // ---- Steps: a stroke, a fill, a rectangle or a resize is one; undo and redo ----
  let before = null; // the cells as they were when the step began
  const steps = () => {
    if (!histories.has(level.name)) histories.set(level.name, { undo: [], redo: [] });
    return histories.get(level.name);
  };
  function begin() { before = level.cells.slice(); }
  function cancel() { // a second finger came down: the first one's marks go
    if (!before) return;
    for (let i = 0; i < before.length; i++) if (before[i] !== level.cells[i]) { level.cells[i] = before[i]; touched(i); }
    before = null;
    draw();
  }
  function commit() {
    if (!before) return;
    const cells = level.cells;
    let count = 0;
    for (let i = 0; i < cells.length; i++) if (cells[i] !== before[i]) count++;
    if (count) {
      const step = { at: new Uint32Array(count), from: new Uint8Array(count), to: new Uint8Array(count) };
      for (let i = 0, n = 0; n < count; i++)
        if (cells[i] !== before[i]) { step.at[n] = i; step.from[n] = before[i]; step.to[n++] = cells[i]; }
      record(step);
    }
    before = null;
  }
  function record(step) {
    const h = steps();
    h.undo.push(step);
    if (h.undo.length > UNDO_STEPS) h.undo.shift();
    h.redo.length = 0;
    changed();
  }
  function apply(step, back) {
    if (step.grid) { // a resize: the whole level either way
      const g = back ? step.from : step.to;
      Object.assign(level, { width: g.width, height: g.height, cells: g.cells.slice() });
      rebuildOverview();
    } else {
      const values = back ? step.from : step.to;
      for (let n = 0; n < step.at.length; n++) { level.cells[step.at[n]] = values[n]; touched(step.at[n]); }
    }
  }
  function undo(back) {
    const h = steps(), from = back ? h.undo : h.redo, to = back ? h.redo : h.undo;
    if (!from.length || gesture) return;
    const step = from.pop();
    apply(step, back);
    to.push(step);
    changed();
  }
  function changed() {
    scheduleCheck();
    scheduleSave();
    const h = steps();
    $('undo').disabled = !h.undo.length;
    $('redo').disabled = !h.redo.length;
    draw();
  }

  // ---- Tools ----
  function set(c, r, cell) {
    if (c < 0 || r < 0 || c >= level.width || r >= level.height) return;
    const i = r * level.width + c;
    if (level.cells[i] !== cell) { level.cells[i] = cell; touched(i); }
  }
  function line(a, b, cell) { // every cell a straight stroke passes
    const dc = Math.abs(b.c - a.c), dr = Math.abs(b.r - a.r), sc = a.c < b.c ? 1 : -1, sr = a.r < b.r ? 1 : -1;
    let c = a.c, r = a.r, err = dc - dr;
    for (;;) {
      set(c, r, cell);
      if (c === b.c && r === b.r) break;
      const e2 = 2 * err;
      if (e2 > -dr) { err -= dr; c += sc; }
      if (e2 < dc) { err += dc; r += sr; }
    }
  }
  function flood(at, cell) {
    const { width, height, cells } = level;
    if (at.c < 0 || at.r < 0 || at.c >= width || at.r >= height) return;
    const old = cells[at.r * width + at.c];
    if (old === cell) return;
    const stack = [at.r * width + at.c];
    while (stack.length) {
      const i = stack.pop();
      if (cells[i] !== old) continue;
      cells[i] = cell;
      touched(i);
      const c = i % width;
      if (c > 0) stack.push(i - 1);
      if (c < width - 1) stack.push(i + 1);
      if (i >= width) stack.push(i - width);
      if (i + width < cells.length) stack.push(i + width);
    }
  }
  function box(a, b, cell) {
    for (let r = Math.min(a.r, b.r); r <= Math.max(a.r, b.r); r++)
      for (let c = Math.min(a.c, b.c); c <= Math.max(a.c, b.c); c++) set(c, r, cell);
  }

  function chooseTool(name) {
    tool = name;
    for (const b of document.querySelectorAll('#tools .tool')) b.setAttribute('aria-checked', b.dataset.tool === name);
  }
  function choosePaint(cell) {
    paint = cell;
    if (tool === 'erase' || tool === 'pan') chooseTool('brush');
    for (const b of document.querySelectorAll('#palette .tool')) b.setAttribute('aria-checked', +b.dataset.cell === cell);
    $('where').textContent = PALETTE.find(p => p[0] === cell)[1];
  }
  for (const b of document.querySelectorAll('#tools .tool')) b.onclick = () => chooseTool(b.dataset.tool);

  // ---- Pointers: one finger or the main button uses the tool; two fingers
  // pinch and pan; the middle or right button or the Pan tool pans; the
  // wheel zooms about the pointer ----
  const pointers = new Map();
  let gesture = null;
  const where = e => { const r = canvas.getBoundingClientRect(); return { x: e.clientX - r.left, y: e.clientY - r.top }; };
  const cellAt = p => ({ c: Math.floor((p.x - view.x) / view.zoom), r: Math.floor((p.y - view.y) / view.zoom) });
  function pinch() {
    const [a, b] = [...pointers.values()];
    const x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
    return { x, y, span: Math.max(1, Math.hypot(a.x - b.x, a.y - b.y)) };
  }
  canvas.addEventListener('pointerdown', e => {
    canvas.setPointerCapture(e.pointerId);
    const p = where(e);
    pointers.set(e.pointerId, p);
    if (pointers.size === 2 && e.pointerType === 'touch') {
      cancel();
      const at = pinch();
      gesture = { kind: 'pinch', zoom: view.zoom, span: at.span, gx: (at.x - view.x) / view.zoom, gy: (at.y - view.y) / view.zoom };
      return;
    }
    if (pointers.size > 1 || gesture) return;
    if ((e.pointerType === 'mouse' && e.button !== 0) || tool === 'pan') {
      gesture = { kind: 'pan', x: p.x - view.x, y: p.y - view.y };
      return;
    }
    const cell = cellAt(p), value = tool === 'erase' ? CORRIDOR : paint;
    begin();
    if (tool === 'fill') { flood(cell, value); commit(); gesture = { kind: 'done' }; }
    else if (tool === 'rect') gesture = { kind: 'rect', from: cell, to: cell, value };
    else { line(cell, cell, value); gesture = { kind: 'line', last: cell, value }; }
    draw();
  });
  canvas.addEventListener('pointermove', e => {
    const p = where(e);
    if (pointers.has(e.pointerId)) pointers.set(e.pointerId, p);
    if (e.pointerType === 'mouse') showWhere(hover = cellAt(p));
    if (!gesture) { if (e.pointerType === 'mouse') draw(); return; }
    if (gesture.kind === 'pinch' && pointers.size >= 2) {
      const at = pinch();
      view.zoom = clampZoom(gesture.zoom * at.span / gesture.span);
      view.x = at.x - gesture.gx * view.zoom;
      view.y = at.y - gesture.gy * view.zoom;
    } else if (gesture.kind === 'pan') {
      view.x = p.x - gesture.x;
      view.y = p.y - gesture.y;
    } else if (gesture.kind === 'line') {
      const cell = cellAt(p);
      line(gesture.last, cell, gesture.value);
      gesture.last = cell;
      showWhere(cell);
    } else if (gesture.kind === 'rect') {
      gesture.to = cellAt(p);
      showWhere(gesture.to);
    }
    draw();
  });
  function lift(e) {
    if (!pointers.delete(e.pointerId)) return;
    if (!gesture) return;
    if (gesture.kind === 'rect' && e.type === 'pointerup') box(gesture.from, gesture.to, gesture.value);
    if (gesture.kind === 'line' || gesture.kind === 'rect') { if (e.type === 'pointerup') commit(); else cancel(); }
    if (gesture.kind !== 'pinch' || pointers.size === 0) gesture = pointers.size ? { kind: 'done' } : null;
    draw();
  }
  canvas.addEventListener('pointerup', lift);
  canvas.addEventListener('pointercancel', lift);
  canvas.addEventListener('pointerleave', e => { if (e.pointerType === 'mouse') { hover = null; draw(); } });
  canvas.addEventListener('contextmenu', e => e.preventDefault());
  canvas.addEventListener('wheel', e => {
    e.preventDefault();
    const p = where(e), lines = e.deltaMode === 1 ? 16 : e.deltaMode === 2 ? 400 : 1;
    zoomAt(p.x, p.y, view.zoom * Math.exp(-e.deltaY * lines * 0.002));
  }, { passive: false });
  function showWhere(cell) {
    const inside = level && cell.c >= 0 && cell.r >= 0 && cell.c < level.width && cell.r < level.height;
    $('where').textContent = inside ? `(${cell.c}, ${cell.r})` : '';
  }

  // ---- The live check ----
  let checkTimer = 0;
  function scheduleCheck() {
    clearTimeout(checkTimer);
    checkTimer = setTimeout(check, level.cells.length > 128 * 128 ? 250 : 20);
  }
  function check() {
    clearTimeout(checkTimer);
    push();
    const result = JSON.parse(text(M._EditCheck()));
    const failures = result.failures || [];
    marks = failures.flatMap(f => f.cells || []);
    const n = failures.length;
    const line = n === 0 && result.fits ? `Can be finished, plays fair: ${result.dots} dots, ${result.guns} guns, ${result.enemies} enemies`
      : n === 0 ? 'Over the level budget: ' + result.budget
      : `${n} problem${n === 1 ? '' : 's'}: ${failures[0].text}${n > 1 ? ' \u2026' : ''}`;
    $('summary').textContent = line;
    $('summary').classList.toggle('bad', n > 0 || !result.fits);
    Object.assign(state, { checks: state.checks + 1, summary: line, failures: failures.map(f => f.text), result });
    $('problems').replaceChildren(...failures.map(f => {
      const go = Object.assign(document.createElement('button'), { type: 'button', className: 'problem', textContent: f.text,
        onclick: () => { const [c, r] = (f.cells || [])[0] || [0, 0]; $('report').close(); centre(c, r); } });
      const item = document.createElement('li');
      item.append(go);
      return item;
    }));
    $('report-text').textContent = result.report || '';
    draw();
  }
  function centre(c, r) {
    view.zoom = Math.max(view.zoom, 24);
    view.x = canvas.clientWidth / 2 - (c + 0.5) * view.zoom;
    view.y = canvas.clientHeight / 2 - (r + 0.5) * view.zoom;
    draw();
  }
  $('summary').onclick = () => { if (level) { check(); $('report').showModal(); } };

  // ---- Keeping: every level in IndexedDB, under its name ----
  function request(mode, use) {
    return new Promise((resolve, reject) => {
      const t = db.transaction('levels', mode), asked = use(t.objectStore('levels'));
      t.oncomplete = () => resolve(asked && asked.result);
      t.onerror = t.onabort = () => reject(t.error || new Error('the browser refused to keep it'));
    });
  }
  function openStore() {
    return new Promise((resolve, reject) => {
      const open = indexedDB.open('quibbo-editor', 1);
      open.onupgradeneeded = () => open.result.createObjectStore('levels', { keyPath: 'name' });
      open.onsuccess = () => resolve(open.result);
      open.onerror = () => reject(open.error);
    });
  }
  let saveTimer = 0, saving = Promise.resolve();
  function scheduleSave() {
    clearTimeout(saveTimer);
    saveTimer = setTimeout(save, level.cells.length > 256 * 256 ? 400 : 0);
  }
  function save() {
    clearTimeout(saveTimer);
    saveTimer = 0;
    if (!db) return saving;
    const { name, width, height, cells, colours } = level;
    const record = { name, width, height, cells: cells.slice(), colours: colours.slice(), updated: Date.now() };
    saving = saving.then(() => request('readwrite', s => s.put(record)))
      .then(() => { state.saves++; }, e => note('The level could not be kept: ' + e.message, true));
    return saving;
  }
  const flush = () => { if (saveTimer) save(); };
  addEventListener('pagehide', flush);
  document.addEventListener('visibilitychange', () => { if (document.hidden) flush(); });

  function listLevels() {
    names.sort((a, b) => a.localeCompare(b, undefined, { numeric: true }));
    $('levels').replaceChildren(...names.map(n => new Option(n, n, false, level && n === level.name)));
  }
  function uniqueName(wanted) {
    const base = (wanted || 'Level').trim().slice(0, 60) || 'Level';
    if (!names.includes(base)) return base;
    for (let n = 2; ; n++) if (!names.includes(`${base} ${n}`)) return `${base} ${n}`;
  }
  // Shows a level: its own undo history, the view fitted to it, checked.
  function show(record) {
    flush();
    level = { name: record.name, width: record.width, height: record.height,
      cells: new Uint8Array(record.cells), colours: new Uint8Array(record.colours || []) };
    state.level = level.name;
    push();
    rebuildOverview();
    listLevels();
    fit();
    marks = [];
    changed();
  }
  // A level of its own for what was opened, made or carried by a link:
  // never in the place of one that is kept.
  function add(name, grid) {
    const record = Object.assign({ name: uniqueName(name) }, grid);
    names.push(record.name);
    show(record);
    return record.name;
  }
  function blank(width, height) { // walls round, corridor inside, a start looking north
    const cells = new Uint8Array(width * height).fill(CORRIDOR);
    if (width >= 3 && height >= 3)
      for (let r = 0; r < height; r++)
        for (let c = 0; c < width; c++) if (!r || !c || r === height - 1 || c === width - 1) cells[r * width + c] = 128;
    cells[Math.max(0, height - 2) * width + (width >> 1)] = 2;
    return { width, height, cells, colours: new Uint8Array(0) };
  }
  async function switchTo(name) {
    if (level && name === level.name) return;
    const record = db ? await request('readonly', s => s.get(name)) : null;
    if (record) show(record);
  }
  $('levels').onchange = e => switchTo(e.target.value).catch(err => note(err.message, true));

  // ---- Questions: a name, a size, or yes and no ----
  function ask({ title, message = '', name, size, valid = () => '' }) {
    $('ask-title').textContent = title;
    $('ask-text').textContent = message;
    $('ask-text').hidden = !message;
    $('ask-name-row').hidden = name === undefined;
    $('ask-size-row').hidden = !size;
    $('ask-why').textContent = '';
    if (name !== undefined) $('ask-name').value = name;
    if (size) { $('ask-width').value = size[0]; $('ask-height').value = size[1]; }
    const dialog = $('ask');
    const answer = () => ({ name: $('ask-name').value.trim(), width: +$('ask-width').value, height: +$('ask-height').value });
    dialog.querySelector('form').onsubmit = e => {
      if (e.submitter && e.submitter.value !== 'ok') return;
      const why = valid(answer());
      if (why) { e.preventDefault(); $('ask-why').textContent = why; }
    };
    dialog.returnValue = '';
    dialog.showModal();
    return new Promise(resolve => { dialog.onclose = () => resolve(dialog.returnValue === 'ok' ? answer() : null); });
  }
  const sizeProblem = a => {
    const max = M._EditMaxSide();
    return [a.width, a.height].every(v => Number.isInteger(v) && v >= 1 && v <= max) ? '' : `Each side is 1 to ${max} cells`;
  };
  const nameProblem = (a, own) => !a.name ? 'A level needs a name' : a.name !== own && names.includes(a.name) ? 'There is a level of that name' : '';

  $('new').onclick = async () => {
    const a = await ask({ title: 'New level', name: uniqueName('Level'), size: [24, 16],
      valid: a => nameProblem(a) || sizeProblem(a) });
    if (a) add(a.name, blank(a.width, a.height));
  };
  $('resize').onclick = async () => {
    const a = await ask({ title: 'Resize', message: 'The top left corner stays; new cells are corridor.',
      size: [level.width, level.height], valid: sizeProblem });
    if (!a || (a.width === level.width && a.height === level.height)) return;
    const cells = new Uint8Array(a.width * a.height).fill(CORRIDOR);
    for (let r = 0; r < Math.min(a.height, level.height); r++)
      cells.set(level.cells.subarray(r * level.width, r * level.width + Math.min(a.width, level.width)), r * a.width);
    const step = { grid: true, from: { width: level.width, height: level.height, cells: level.cells.slice() },
      to: { width: a.width, height: a.height, cells } };
    apply(step, false);
    record(step);
  };
  $('rename').onclick = async () => {
    const old = level.name;
    const a = await ask({ title: 'Rename', name: old, valid: a => nameProblem(a, old) });
    if (!a || a.name === old) return;
    await saving;
    level.name = state.level = a.name;
    names = names.filter(n => n !== old).concat(a.name);
    if (histories.has(old)) { histories.set(a.name, histories.get(old)); histories.delete(old); }
    if (db) await request('readwrite', s => { s.delete(old); });
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
    histories.delete(gone);
    level = null;
    const rest = db ? (await request('readonly', s => s.getAll())).sort((a, b) => b.updated - a.updated) : [];
    if (rest.length) show(rest[0]); else add('Level 1', blank(24, 16));
  };

  // ---- Files: a level file or a text map in, by picker or drop; out as downloads ----
  async function open(file, asText) {
    const isText = asText || /\.txt$/i.test(file.name);
    const refuse = why => { note(`${file.name} was refused: ${why}`, true); state.refused = why; };
    if (file.size > MAX_FILE) return refuse(`it is ${Math.round(file.size / 1048576)} MB, more than a level can be`);
    let bytes;
    try { bytes = new Uint8Array(await file.arrayBuffer()); } catch (e) { return refuse('the browser could not read it'); }
    const why = isText ? withText(new TextDecoder().decode(bytes), at => text(M._EditReadText(at)))
      : withBytes(bytes, (at, size) => text(M._EditReadBitmap(at, size)));
    if (why) return refuse(why);
    const name = add(file.name.replace(/\.(bmp|txt)$/i, ''), pull());
    note(`Opened ${file.name} as "${name}"`);
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
  function download(bytes, name, type) {
    const link = Object.assign(document.createElement('a'), { href: URL.createObjectURL(new Blob([bytes], { type })), download: name });
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  const fileName = () => level.name.replace(/[\\/:*?"<>|\u0000-\u001f]/g, '_');
  function saveFile() {
    push();
    download(output(M._EditMakeBitmap()), fileName() + '.bmp', 'image/bmp');
  }
  $('save').onclick = saveFile;
  $('export').onclick = () => {
    push();
    const size = M._EditFormatText();
    if (size < 0) note('The text map cannot be written: ' + text(M._EditError()), true);
    else download(output(size), fileName() + '.txt', 'text/plain');
  };

  // ---- Links: the level as a code, to play here or to pass on ----
  async function linkCode() {
    push();
    const deflated = await QuibboCode.deflate(output(M._EditCodeBody()));
    return withBytes(deflated, (at, size) => text(M._EditMakeLinkCode(at, size)));
  }
  async function fromLink(code) {
    const why = withText(code, at => text(M._EditReadLinkCode(at)));
    if (why) throw new Error(why);
    const body = await QuibboCode.inflate(output(M._EditOutputSize()), M._EditMaxCodeBodyBytes());
    const refused = withBytes(body, (at, size) => text(M._EditReadCodeBody(at, size)));
    if (refused) throw new Error(refused);
    return add('Shared level', pull());
  }
  async function openLink() {
    const m = /^#level=(.*)$/.exec(location.hash);
    if (!m) return;
    history.replaceState(null, '', location.pathname + location.search); // a reload must not take it twice
    try {
      note(`The link's level is kept as "${await fromLink(m[1])}"`);
    } catch (e) {
      note('The link was refused: ' + e.message, true);
      state.refused = e.message;
    }
  }
  addEventListener('hashchange', () => { if (M && level) openLink(); });

  let frame = null;
  $('play').onclick = async () => {
    if (frame || !level) return;
    const code = await linkCode();
    frame = Object.assign(document.createElement('iframe'), { id: 'play-frame', title: 'Quibbo',
      allow: 'fullscreen; gamepad; autoplay', src: 'index.html?edit=1#level=' + code, onload: () => frame && frame.focus() });
    document.body.appendChild(frame);
    state.plays++;
  };
  addEventListener('message', e => {
    if (!frame || e.source !== frame.contentWindow || e.origin !== location.origin || !e.data || e.data.quibbo !== 'back') return;
    frame.remove();
    frame = null;
    canvas.focus();
  });

  $('share').onclick = async () => {
    const link = new URL('.', location.href).href + '#level=' + await linkCode();
    $('link').value = link;
    $('link-size').textContent = `${link.length} characters`;
    $('send').hidden = !navigator.share;
    state.link = link;
    $('shared').showModal();
    $('link').select();
  };
  $('copy').onclick = () => {
    const link = $('link').value;
    const fallback = () => {
      $('link').focus();
      $('link').select();
      note(document.execCommand && document.execCommand('copy') ? 'Copied' : 'Selected: copy it from the box');
    };
    if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(link).then(() => note('Copied'), fallback);
    else fallback();
  };
  $('send').onclick = () => navigator.share({ title: 'Quibbo: ' + level.name, url: $('link').value }).catch(() => {});

  // ---- The rest of the page ----
  let noteTimer = 0;
  function note(line, long) {
    $('note').textContent = $('note').title = line;
    state.note = line;
    clearTimeout(noteTimer);
    noteTimer = setTimeout(() => { $('note').textContent = ''; }, long ? 10000 : 4000);
  }
  function closeMenu() { $('menu').classList.remove('open'); $('menu-button').setAttribute('aria-expanded', 'false'); }
  $('menu').addEventListener('click', e => { if (e.target.closest('button, input')) closeMenu(); });
  $('menu-button').onclick = () => {
    const open = $('menu').classList.toggle('open');
    $('menu-button').setAttribute('aria-expanded', String(open));
  };
  $('undo').onclick = () => undo(true);
  $('redo').onclick = () => undo(false);
  addEventListener('keydown', e => {
    if (frame || document.querySelector('dialog[open]') || /^(INPUT|SELECT|TEXTAREA)$/.test(e.target.tagName) || !level) return;
    const key = e.key.toLowerCase(), command = e.ctrlKey || e.metaKey;
    if (command && key === 'z') undo(!e.shiftKey);
    else if (command && key === 'y') undo(false);
    else if (command && key === 's') saveFile();
    else if (command || e.altKey) return;
    else if ({ b: 1, r: 1, f: 1, e: 1, h: 1 }[key]) chooseTool({ b: 'brush', r: 'rect', f: 'fill', e: 'erase', h: 'pan' }[key]);
    else if (key === '+' || key === '=' || key === '-') zoomAt(canvas.clientWidth / 2, canvas.clientHeight / 2, view.zoom * (key === '-' ? 0.8 : 1.25));
    else if (key === '0') fit();
    else return;
    e.preventDefault();
  });
  document.addEventListener('gesturestart', e => e.preventDefault());

  function makePalette() {
    $('palette').replaceChildren(...PALETTE.map(([cell, label]) => {
      const b = Object.assign(document.createElement('button'), { type: 'button', className: 'tool', title: label,
        onclick: () => choosePaint(cell) });
      const picture = Object.assign(document.createElement('canvas'), { width: SWATCH, height: SWATCH });
      if (swatch(cell).image) picture.getContext('2d').drawImage(swatch(cell).image, 0, 0);
      b.dataset.cell = cell;
      b.setAttribute('role', 'radio');
      b.append(picture, Object.assign(document.createElement('span'), { textContent: label }));
      return b;
    }));
  }

  // ---- Start: the module, the kept levels, the last one edited, a link ----
  LevelEdit().then(async module => {
    M = module;
    try { db = await openStore(); } catch (e) { note('This browser keeps nothing: the level is lost on leaving', true); }
    const kept = db ? await request('readonly', s => s.getAll()) : [];
    names = kept.map(r => r.name);
    level = { name: '', width: 1, height: 1, cells: new Uint8Array(1), colours: new Uint8Array(0) }; // for the swatches
    push();
    makePalette();
    chooseTool('brush');
    choosePaint(128);
    kept.sort((a, b) => b.updated - a.updated);
    if (kept.length) show(kept[0]); else add('Level 1', blank(24, 16));
    await openLink();
    state.ready = true;
  }).catch(e => { $('summary').textContent = 'The editor could not start: ' + e.message; });
  // Opened first, the editor too makes the game and itself work offline.
  if ('serviceWorker' in navigator && location.protocol !== 'file:')
    addEventListener('load', () => navigator.serviceWorker.register('sw.js').catch(() => {}));
})();
