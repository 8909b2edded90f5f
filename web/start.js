// Linked ahead of the game's own code: what the page needs before the module starts.

// The module is built for WebAssembly SIMD; without it, a sentence instead of a failed compile.
if (!WebAssembly.validate(new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
                                          10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]))) {
  const why = "this browser's WebAssembly has no SIMD. Try a recent Firefox, Chromium or Safari.";
  if (Module.printErr) Module.printErr(why);
  if (Module.setStatus) Module.setStatus("");
  throw new Error(why);
}
