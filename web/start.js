// Linked ahead of the game's own code: what the page needs before the module starts.

// The module is built for WebAssembly SIMD; without it, a sentence instead of a failed compile.
if (!WebAssembly.validate(new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
                                          10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]))) {
  const why = "this browser's WebAssembly has no SIMD. Try a recent Firefox, Chromium or Safari.";
  if (Module.printErr) Module.printErr(why);
  if (Module.setStatus) Module.setStatus("");
  throw new Error(why);
}

(() => {
  // WebKit names every WebGL renderer "Apple GPU"; off Apple's systems that hides whether Mesa draws on the CPU.
  function webglHidden() {
    if (/Mac|iPhone|iPad/.test(navigator.platform)) return false;
    const gl = document.createElement("canvas").getContext("webgl");
    const info = gl && gl.getExtension("WEBGL_debug_renderer_info");
    return !!info && gl.getParameter(info.UNMASKED_RENDERER_WEBGL) === "Apple GPU";
  }
  const pick = () => {
    const asked = new URLSearchParams(location.search).get("renderer");
    if (!asked && !ENV.SDL_RENDER_DRIVER && webglHidden()) ENV.SDL_RENDER_DRIVER = "software";
    // A canvas kept in memory takes each frame without a GPU upload, which WebKit then composites for less.
    // A context the page made already keeps its own options.
    if (ENV.SDL_RENDER_DRIVER === "software") Module.canvas.getContext("2d", {willReadFrequently: true});
  };
  Module.preRun = [].concat(Module.preRun || [], pick);
})();
