// Numbers in words, for the page and the editor alike: "1 enemy",
// "2 enemies", never "1 enemies".
'use strict';
window.QuibboWords = {
  // `many` only where adding an s is wrong.
  count: (n, one, many = one + 's') => `${n} ${n === 1 ? one : many}`,
};
