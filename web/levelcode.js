// Raw deflate both ways, as the level tool's zlib writes it: the page and
// the editor turn a level's bytes (and the page a run's) into a link's code
// and back. Only the compression lives here; the code's framing and
// checksum are the game's own C++ (compiled into quibbo.wasm and
// leveledit.wasm).
'use strict';
window.QuibboCode = (function () {
  // Deflate makes at most about 1,032 bytes of one: a slice this small
  // unpacks to about a megabyte, however it was made.
  const SLICE = 1024;

  // All of a stream's output, joined.
  function join(parts, total) {
    const out = new Uint8Array(total);
    let at = 0;
    for (const part of parts) { out.set(part, at); at += part.length; }
    return out;
  }

  async function deflate(bytes) {
    const reader = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw')).getReader();
    const parts = [];
    let total = 0;
    for (let step; !(step = await reader.read()).done;) { parts.push(step.value); total += step.value.length; }
    return join(parts, total);
  }

  // The browser inflates whatever it is given before anyone can look at
  // its size, so a small link could unpack into gigabytes first: it is fed
  // a slice at a time, the output of each read before the next goes in,
  // and it stops as soon as the output passes `maxBytes`. `words` name
  // what is unpacked, for the reasons: a level's link unless told.
  async function inflate(bytes, maxBytes, words = { thing: "the link's code", most: 'any level can be' }) {
    const stream = new DecompressionStream('deflate-raw');
    const writer = stream.writable.getWriter();
    const reader = stream.readable.getReader();
    let failed = null; // why it stopped early, once it has
    const stop = why => {
      if (!failed) failed = new Error(why);
      reader.cancel().catch(() => {});
      writer.abort().catch(() => {});
    };
    // The stream takes the next slice only once the last one's output has
    // been read (its readable side holds nothing ahead): reading and
    // writing take turns.
    const feeding = (async () => {
      for (let at = 0; at < bytes.length && !failed; at += SLICE) {
        await writer.ready;
        if (failed) return;
        await writer.write(bytes.subarray(at, at + SLICE));
      }
      if (!failed) await writer.close();
    })().catch(() => {}); // a damaged stream fails the read as well
    const parts = [];
    let total = 0;
    for (;;) {
      let step;
      try {
        step = await reader.read();
      } catch (e) {
        stop(`${words.thing} is damaged: it does not unpack`);
        break;
      }
      if (step.done) break;
      total += step.value.length;
      if (total > maxBytes) {
        stop(`${words.thing} unpacks to more than ${words.most}`);
        break;
      }
      parts.push(step.value);
    }
    await feeding;
    if (failed) throw failed;
    return join(parts, total);
  }

  return { deflate, inflate };
})();
