"use strict";
// A worker of the page's: a second instance of the game's module, handed the page's compiled module, that
// never runs main. It decodes each picture and reads its shape, as the game would, and posts them to the
// page one by one, in the order the page lists them too; then it ends. The page's main thread stays free meanwhile.
var Module = {
  noInitialRun: true,
  instantiateWasm: (imports, receive) => {
    // A failure reaches the page as the worker's error.
    WebAssembly.instantiate(compiled, imports).then(instance => receive(instance, compiled)).catch(reportError);
    return {};
  },
  onRuntimeInitialized: () => {
    const count = Module._picturesToDecode(), size = Module._packedHeadSize();
    for (let n = 0; n < count; n++) {
      const head = Module._packNextPicture(), rows = Module._packedRows();
      const picture = head ? new Uint8Array(Module._packedSize(head)) : null;
      picture?.set(HEAPU8.subarray(head, head + size));
      picture?.set(HEAPU8.subarray(rows, rows + picture.length - size), size);
      postMessage(picture, picture ? [picture.buffer] : []);
    }
    close();
  },
};
let compiled;
onmessage = message => {
  compiled = message.data;
  importScripts("hollowmere.js");
};
