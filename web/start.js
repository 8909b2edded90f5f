// Linked ahead of the game's own code: what the page needs before the module starts.

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
