// The editor's live check (editor.js), off the page's thread: on a large
// level the whole map's check takes long enough to stall the strokes. It
// has a module of its own, and answers each level posted to it with
// EditCheck's JSON.
'use strict';
importScripts('leveledit.js');
const module = LevelEdit();
onmessage = async ({ data }) => {
  const M = await module;
  // Room first: making it may grow the memory and detach the old view.
  const cells = M._EditSetGrid(data.width, data.height);
  M.HEAPU8.set(data.cells, cells);
  const at = M._EditSetColours(data.colours.length / 4);
  if (data.colours.length) M.HEAPU8.set(data.colours, at);
  postMessage({ serial: data.serial, name: data.name, json: M.UTF8ToString(M._EditCheck()) });
};
