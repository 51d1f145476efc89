// Raw deflate both ways, as the level tool's zlib writes it: the page and
// the editor turn a level's bytes (and the page a run's) into a link's code
// and back. Only the compression lives here; the code's framing and
// checksum are the game's own C++ (compiled into quibbo.wasm and
// leveledit.wasm).
'use strict';
window.QuibboCode = (function () {
  // `words` name what is unpacked, for the reasons: a level's link by default.
  async function pipe(bytes, stream, maxBytes, words = { thing: "the link's code", most: 'any level can be' }) {
    const reader = new Blob([bytes]).stream().pipeThrough(stream).getReader();
    const parts = [];
    let total = 0;
    for (;;) {
      let step;
      try {
        step = await reader.read();
      } catch (e) {
        throw new Error(`${words.thing} is damaged: it does not unpack`);
      }
      if (step.done) break;
      total += step.value.length;
      // Stop at once past the largest body there can be, so a small
      // link cannot unpack into gigabytes.
      if (total > maxBytes) {
        reader.cancel().catch(() => {});
        throw new Error(`${words.thing} unpacks to more than ${words.most}`);
      }
      parts.push(step.value);
    }
    const out = new Uint8Array(total);
    let at = 0;
    for (const part of parts) { out.set(part, at); at += part.length; }
    return out;
  }
  return {
    deflate: bytes => pipe(bytes, new CompressionStream('deflate-raw'), Infinity),
    inflate: (bytes, maxBytes, words) => pipe(bytes, new DecompressionStream('deflate-raw'), maxBytes, words),
  };
})();
