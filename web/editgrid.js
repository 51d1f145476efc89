// The editor's grid: a level's cells drawn on a canvas with the game's own
// swatches (only the cells in sight; a pixel a cell once they are small),
// the tools that paint them, pan and zoom by mouse and by two fingers, and
// the steps that undo and redo. editor.js owns the level's keeping, files
// and links, and is told of each step.
'use strict';
// module: the level editor module (for the swatches); changed(): after each
// step; say(text): the cell under the pointer, in words.
window.EditGrid = function (canvas, M, changed, say) {
  const ctx = canvas.getContext('2d', { alpha: false });
  const CORRIDOR = 1, SWATCH = 32, UNDO_STEPS = 200;
  let level = null;            // { name, width, height, cells, colours }, the page's
  const histories = new Map(); // level name -> { undo: [], redo: [] }, for this visit
  let tool = 'brush', paint = 128;
  const view = { zoom: 16, x: 0, y: 0 };
  let marks = [];              // [column, row] of the cells the check's problems are about
  let hover = null;            // the cell under the mouse
  let gesture = null;          // what the pointers on the canvas are doing
  const steps = () => {
    if (!histories.has(level.name)) histories.set(level.name, { undo: [], redo: [] });
    return histories.get(level.name);
  };

  // ---- Swatches: each cell byte's picture as SWATCH x SWATCH pixels of
  // 32 bits (RGBA in memory order); a dark square for a byte with none ----
  let swatches = new Array(256);
  const BACK = 0xff0c0c0c, NOTHING = 0xff141414;
  function swatch(cell) {
    if (swatches[cell]) return swatches[cell];
    const at = M._EditSwatch(cell, SWATCH);
    return (swatches[cell] = at ? new Uint32Array(M.HEAPU8.slice(at, at + SWATCH * SWATCH * 4).buffer)
      : new Uint32Array(SWATCH * SWATCH).fill(NOTHING));
  }

  // ---- Drawing: every device pixel of the canvas looks up its cell and
  // the texel of that cell's swatch, so a frame costs the same for a level
  // of 10 cells or of 16 million, at any zoom, and needs no GPU ----
  let queued = false, frame = null, words = null, columns = null, rows = null;
  function draw() { if (!queued) { queued = true; requestAnimationFrame(render); } }
  // For each pixel along one side: the cell (-1 outside the level) and the texel within it.
  function spans(out, count, origin, z, cells) {
    for (let p = 0; p < count; p++) {
      const u = (p + 0.5 - origin) / z, cell = Math.floor(u);
      out[2 * p] = cell >= 0 && cell < cells ? cell : -1;
      out[2 * p + 1] = Math.min(SWATCH - 1, Math.floor((u - cell) * SWATCH));
    }
  }
  function render() {
    queued = false;
    const W = canvas.width, H = canvas.height, ratio = scale();
    if (!frame || frame.width !== W || frame.height !== H) {
      frame = ctx.createImageData(W, H);
      words = new Uint32Array(frame.data.buffer);
      columns = new Int32Array(2 * W);
      rows = new Int32Array(2 * H);
    }
    if (!level) return;
    const z = view.zoom * ratio, ox = view.x * ratio, oy = view.y * ratio, w = level.width, h = level.height, cells = level.cells;
    spans(columns, W, ox, z, w);
    spans(rows, H, oy, z, h);
    const table = [];
    for (let b = 0; b < 256; b++) table.push(swatch(b));
    for (let y = 0, o = 0; y < H; y++) {
      const r = rows[2 * y], texel = rows[2 * y + 1] * SWATCH, base = r * w;
      if (r < 0) { words.fill(BACK, o, o + W); o += W; continue; }
      for (let x = 0; x < W; x++, o++) {
        const c = columns[2 * x];
        words[o] = c < 0 ? BACK : table[cells[base + c]][texel + columns[2 * x + 1]];
      }
    }
    ctx.putImageData(frame, 0, 0);
    const c0 = Math.max(0, Math.floor(-ox / z)), c1 = Math.min(w, Math.ceil((W - ox) / z));
    const r0 = Math.max(0, Math.floor(-oy / z)), r1 = Math.min(h, Math.ceil((H - oy) / z));
    const X = c => Math.round(ox + c * z), Y = r => Math.round(oy + r * z);
    if (c1 <= c0 || r1 <= r0) return;
    if (view.zoom >= 14) { // faint lines between the cells
      ctx.beginPath();
      for (let c = c0; c <= c1; c++) { ctx.moveTo(X(c) + 0.5, Y(r0)); ctx.lineTo(X(c) + 0.5, Y(r1)); }
      for (let r = r0; r <= r1; r++) { ctx.moveTo(X(c0), Y(r) + 0.5); ctx.lineTo(X(c1), Y(r) + 0.5); }
      Object.assign(ctx, { strokeStyle: 'rgba(0, 0, 0, .28)', lineWidth: 1 }).stroke();
    }
    Object.assign(ctx, { strokeStyle: '#666', lineWidth: 1 }).strokeRect(X(0) - 0.5, Y(0) - 0.5, X(w) - X(0) + 1, Y(h) - Y(0) + 1);
    // The cells the check names: a ring each, never smaller than a fingertip's mark.
    const ring = Math.max(z * 0.62, 7 * ratio);
    for (const [c, r] of marks) {
      if (c < c0 - 2 || c > c1 + 1 || r < r0 - 2 || r > r1 + 1) continue;
      ctx.beginPath();
      ctx.arc(X(c) + z / 2, Y(r) + z / 2, ring, 0, 2 * Math.PI);
      Object.assign(ctx, { lineWidth: 4 * ratio, strokeStyle: 'rgba(0, 0, 0, .7)' }).stroke();
      Object.assign(ctx, { lineWidth: 2 * ratio, strokeStyle: '#ff4040' }).stroke();
    }
    const outline = (a, b, style) => {
      const x = X(Math.min(a.c, b.c)), y = Y(Math.min(a.r, b.r));
      Object.assign(ctx, style).fillRect(x, y, X(Math.max(a.c, b.c) + 1) - x, Y(Math.max(a.r, b.r) + 1) - y);
    };
    if (gesture && gesture.kind === 'rect') outline(gesture.from, gesture.to, { fillStyle: 'rgba(255, 200, 0, .3)' });
    if (hover && inside(hover)) outline(hover, hover, { fillStyle: 'rgba(255, 220, 0, .22)' });
  }
  const inside = p => level && p.c >= 0 && p.r >= 0 && p.c < level.width && p.r < level.height;

  const clampZoom = z => Math.min(64, Math.max(Math.min(1, 200 / Math.max(level.width, level.height)), z));
  function zoomAt(x, y, zoom) {
    zoom = clampZoom(zoom);
    Object.assign(view, { x: x - (x - view.x) * zoom / view.zoom, y: y - (y - view.y) * zoom / view.zoom, zoom });
    draw();
  }
  function fit() {
    const W = canvas.clientWidth || 300, H = canvas.clientHeight || 300;
    const zoom = clampZoom(Math.min(W / level.width, H / level.height) * 0.94);
    Object.assign(view, { zoom, x: (W - level.width * zoom) / 2, y: (H - level.height * zoom) / 2 });
    draw();
  }
  function centre(c, r) {
    const zoom = Math.max(view.zoom, 24);
    Object.assign(view, { zoom, x: canvas.clientWidth / 2 - (c + 0.5) * zoom, y: canvas.clientHeight / 2 - (r + 0.5) * zoom });
    draw();
  }
  // Device pixels a CSS pixel: at most 2, where a finer grid would cost
  // time and show nothing more.
  const scale = () => Math.min(2, devicePixelRatio || 1);
  new ResizeObserver(() => {
    const ratio = scale();
    canvas.width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    canvas.height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    draw();
  }).observe(canvas);

  // ---- Steps: a stroke, a fill, a rectangle or a resize is one; undo and redo ----
  let before = null; // the cells as they were when the step began
  function cancel() { // a second finger came down: the first one's marks go
    if (!before) return;
    level.cells.set(before);
    before = null;
  }
  function commit() {
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
    if (h.undo.push(step) > UNDO_STEPS) h.undo.shift();
    h.redo.length = 0;
    changed();
  }
  function apply(step, back) {
    const values = back ? step.from : step.to;
    if (step.grid) { // a resize: the whole level either way
      Object.assign(level, { width: values.width, height: values.height, cells: values.cells.slice() });
    } else {
      for (let n = 0; n < step.at.length; n++) level.cells[step.at[n]] = values[n];
    }
  }
  function undo(back) {
    const h = steps(), from = back ? h.undo : h.redo;
    if (!from.length || gesture) return;
    const step = from.pop();
    apply(step, back);
    (back ? h.redo : h.undo).push(step);
    changed();
  }

  // ---- Tools ----
  function set(c, r, cell) {
    const i = r * level.width + c;
    if (inside({ c, r }) && level.cells[i] !== cell) { level.cells[i] = cell; }
  }
  function line(a, b, cell) { // every cell a straight stroke passes
    const dc = Math.abs(b.c - a.c), dr = Math.abs(b.r - a.r), sc = a.c < b.c ? 1 : -1, sr = a.r < b.r ? 1 : -1;
    for (let c = a.c, r = a.r, err = dc - dr; ; ) {
      set(c, r, cell);
      if (c === b.c && r === b.r) return;
      const e2 = 2 * err;
      if (e2 > -dr) { err -= dr; c += sc; }
      if (e2 < dc) { err += dc; r += sr; }
    }
  }
  function flood(at, cell) {
    const { width, cells } = level, old = cells[at.r * width + at.c];
    if (!inside(at) || old === cell) return;
    for (const stack = [at.r * width + at.c]; stack.length; ) {
      const i = stack.pop(), c = i % width;
      if (cells[i] !== old) continue;
      cells[i] = cell;
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
  // ---- Pointers: one finger or the main button uses the tool; two fingers
  // pinch and pan; the middle or right button or the Pan tool pans; the
  // wheel zooms about the pointer ----
  const pointers = new Map();
  const where = e => { const r = canvas.getBoundingClientRect(); return { x: e.clientX - r.left, y: e.clientY - r.top }; };
  const cellAt = p => ({ c: Math.floor((p.x - view.x) / view.zoom), r: Math.floor((p.y - view.y) / view.zoom) });
  function pinch() {
    const [a, b] = [...pointers.values()];
    return { x: (a.x + b.x) / 2, y: (a.y + b.y) / 2, span: Math.max(1, Math.hypot(a.x - b.x, a.y - b.y)) };
  }
  canvas.addEventListener('pointerdown', e => {
    canvas.setPointerCapture(e.pointerId);
    const p = where(e);
    pointers.set(e.pointerId, p);
    if (pointers.size === 2 && e.pointerType === 'touch') {
      cancel();
      const at = pinch();
      gesture = { kind: 'pinch', zoom: view.zoom, span: at.span, gx: (at.x - view.x) / view.zoom, gy: (at.y - view.y) / view.zoom };
    } else if (pointers.size > 1 || gesture) {
      return;
    } else if ((e.pointerType === 'mouse' && e.button !== 0) || tool === 'pan') {
      gesture = { kind: 'pan', x: p.x - view.x, y: p.y - view.y };
    } else {
      const cell = cellAt(p), value = tool === 'erase' ? CORRIDOR : paint;
      before = level.cells.slice();
      if (tool === 'fill') { flood(cell, value); commit(); gesture = { kind: 'done' }; }
      else if (tool === 'rect') gesture = { kind: 'rect', from: cell, to: cell, value };
      else { line(cell, cell, value); gesture = { kind: 'line', last: cell, value }; }
    }
    draw();
  });
  canvas.addEventListener('pointermove', e => {
    const p = where(e), cell = cellAt(p);
    if (pointers.has(e.pointerId)) pointers.set(e.pointerId, p);
    if (e.pointerType === 'mouse') hover = cell;
    if (e.pointerType === 'mouse' || (gesture && /line|rect/.test(gesture.kind))) say(inside(cell) ? `(${cell.c}, ${cell.r})` : '');
    if (gesture && gesture.kind === 'pinch' && pointers.size >= 2) {
      const at = pinch(), zoom = clampZoom(gesture.zoom * at.span / gesture.span);
      Object.assign(view, { zoom, x: at.x - gesture.gx * zoom, y: at.y - gesture.gy * zoom });
    } else if (gesture && gesture.kind === 'pan') {
      Object.assign(view, { x: p.x - gesture.x, y: p.y - gesture.y });
    } else if (gesture && gesture.kind === 'line') {
      line(gesture.last, cell, gesture.value);
      gesture.last = cell;
    } else if (gesture && gesture.kind === 'rect') {
      gesture.to = cell;
    } else if (e.pointerType !== 'mouse') {
      return;
    }
    draw();
  });
  function lift(e) {
    if (!pointers.delete(e.pointerId) || !gesture) return;
    const done = e.type === 'pointerup';
    if (gesture.kind === 'rect' && done) box(gesture.from, gesture.to, gesture.value);
    if (/line|rect/.test(gesture.kind)) { if (done) commit(); else cancel(); }
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

  return {
    get level() { return level; },
    view, steps, draw,
    // A palette button's picture.
    picture: cell => new ImageData(new Uint8ClampedArray(swatch(cell).buffer.slice(0)), SWATCH, SWATCH), fit, centre, undo, record, apply,
    get tool() { return tool; }, set tool(name) { tool = name; },
    get paint() { return paint; }, set paint(cell) { paint = cell; },
    set marks(cells) { marks = cells; draw(); },
    busy: () => !!gesture,
    zoomBy: factor => zoomAt(canvas.clientWidth / 2, canvas.clientHeight / 2, view.zoom * factor),
    // Shows a level (the object stays the page's: steps change it in place).
    show(shown, keepView) {
      level = shown;
      marks = [];
      swatches = new Array(256); // a level's own colours may show in them
      if (keepView) draw(); else fit();
    },
    rename(old, name) { histories.set(name, histories.get(old)); histories.delete(old); },
    forget: name => histories.delete(name),
  };
};
