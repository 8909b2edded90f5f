"use strict";
const status = document.getElementById("status"), progress = document.getElementById("progress");
const log = document.getElementById("log"), stage = document.getElementById("stage");
// Every console line of the game goes to the panel and to the browser's console.
// The panel scrolls to its last line once the lines of a task are in: reading its height lays the page out.
let scrolling = false;
function show(line, error) {
  log.append(line + "\n");
  if (!scrolling) queueMicrotask(() => [log.scrollTop, scrolling] = [log.scrollHeight, false]);
  scrolling = true;
  (error ? console.error : console.log)(line);
  if (error) status.textContent = "The game stopped: " + line;
}

// The scene with its on-screen keys fills the screen, where the browser lets an element do so (not iPhone Safari).
function toggleFullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else if (document.fullscreenEnabled) stage.requestFullscreen().catch(e => console.warn("Full screen refused:", e.message));
}
document.getElementById("fullscreen").addEventListener("click", toggleFullscreen);
if (!document.fullscreenEnabled) document.querySelectorAll("#fullscreen, .fullscreen").forEach(e => e.hidden = true);

// The game's keys must not scroll the page or start a search; F, which the game leaves alone, fills the screen.
addEventListener("keydown", e => {
  if ("wasd=e".includes(e.key.toLowerCase())) e.preventDefault();
  if (e.key.toLowerCase() === "f" && !e.repeat && !e.ctrlKey && !e.altKey && !e.metaKey) toggleFullscreen();
});

// On-screen keys: SDL takes the scancode from `code` and the game's key from the legacy `keyCode`.
const KEYS = {a: ["KeyA", 65], d: ["KeyD", 68], e: ["KeyE", 69], "=": ["Equal", 187]};
function send(type, key) {
  const [code, keyCode] = KEYS[key];
  const event = new KeyboardEvent(type, {key, code, keyCode, which: keyCode, bubbles: true, cancelable: true});
  // Not every engine takes keyCode from the event's init.
  if (event.keyCode !== keyCode) Object.defineProperty(event, "keyCode", {value: keyCode});
  // Where a real key's event would go: the focused element, on its way up to the window SDL listens on.
  (document.activeElement || document.body).dispatchEvent(event);
}
// A key is held while any finger is on its button; a finger lifted, cancelled or slid off lets it go.
document.querySelectorAll(".keys button").forEach(button => {
  const fingers = new Set();
  const hold = down => {
    button.classList.toggle("held", down);
    send(down ? "keydown" : "keyup", button.dataset.key);
  };
  const lift = touches => {
    const had = fingers.size;
    for (const touch of touches) fingers.delete(touch.identifier);
    if (had && !fingers.size) hold(false);
  };
  button.addEventListener("touchstart", e => {
    // No mouse events, zoom or menu follow the touch.
    e.preventDefault();
    const had = fingers.size;
    for (const touch of e.changedTouches) fingers.add(touch.identifier);
    if (!had) hold(true);
  });
  button.addEventListener("touchend", e => lift(e.changedTouches));
  button.addEventListener("touchcancel", e => lift(e.changedTouches));
  button.addEventListener("touchmove", e => lift([...e.changedTouches].filter(
    touch => !button.contains(document.elementFromPoint(touch.clientX, touch.clientY)))));
});
// A touch screen without a keyboard shows the keys at once, any other screen from its first touch.
function touchMode() {
  document.documentElement.classList.add("touch");
  document.getElementById("console").open = false;
}
if (matchMedia("(pointer: coarse)").matches) touchMode();
addEventListener("touchstart", touchMode, {once: true, passive: true});

// After one visit the page starts without the network: the worker keeps the site's files. A browser looks
// for a new worker by itself only when it has nothing else to do, which a running game never leaves it;
// a registration under a new address it runs at once. So the page registers the host's newest build by
// name, and says so when that build's worker takes over while a game is in progress.
if ("serviceWorker" in navigator) {
  const kept = navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (kept) document.getElementById("update").hidden = false;
  });
  fetch("sw.js", {cache: "no-store"})
    .then(response => response.ok ? response.text() : Promise.reject(new Error(response.statusText)))
    .then(worker => navigator.serviceWorker.register("sw.js?build=" + worker.match(/^const BUILD = "(\w+)"/m)[1]))
    // Offline, the kept build plays on.
    .catch(e => kept || console.warn("No offline copy:", e.message));
}

// WebKit (Safari, and every browser on an iPhone) composites a canvas kept in memory for less; the others
// a low-latency one. The bench's floor page makes its canvas the same way.
function canvasOptions() {
  const webkit = /AppleWebKit/.test(navigator.userAgent) && !/Chrome|Chromium|Edg/.test(navigator.userAgent);
  return webkit ? {willReadFrequently: true} : {desynchronized: true};
}
// SDL's software renderer, unless asked for WebGL: without a GPU every engine tried hands out WebGL emulated
// on the CPU, which draws slower, even to a context that asks to fail on a major performance caveat.
const renderer = new URLSearchParams(location.search).get("renderer") || "software";
// SDL's software renderer puts each frame on a 2D context; made here first, it keeps these options.
if (renderer === "software") document.getElementById("canvas").getContext("2d", canvasOptions());
// Work before main, a step a task once the module's runtime is up: a message to itself ends each, so the
// browser takes its turn between them.
const steps = [], turn = new MessageChannel();
let running = false;
// A step stays first in the queue while it runs, so that the steps it adds wait for it.
turn.port1.onmessage = () => {
  steps[0]();
  steps.shift();
  if (steps.length) turn.port2.postMessage(null);
};
function later(step) {
  if (steps.push(step) === 1 && running) turn.port2.postMessage(null);
}
// The most a step writes into the module's memory, in bytes: memory touched for the first time is slow.
const SLICE = 1 << 20;
// The pictures are decoded, and their shapes read, by a worker (decoder.js) before the game starts, so that
// a tap is answered meanwhile; it starts once the module is compiled, while the page's runtime starts too.
// The page copies each picture into the module's memory a slice a step, and moves the bar once it is whole.
// Then it touches as much memory again, which the textures main makes of the pictures will take, so that
// main's start need not. Without the worker the game decodes them itself. The module's own word on its
// state waits.
let preparing = false, pictures = 0, head = 0, decoder = null;
function start() {
  if (!preparing) return;
  decoder?.terminate();
  preparing = false;
  Module.setStatus("");
  Module.callMain([]);
  Module._dropDecodedPictures();
}
// Whatever the worker could not do the game's own loads do, and report as they would.
function undecoded(why) {
  console.warn("The pictures are decoded as the game starts:", why);
  later(start);
}
function decode(module) {
  decoder = new Worker("decoder.js");
  let taken = 0, total = 0;
  const touch = () => {
    let block = 0;
    later(() => block = Module._malloc(total));
    for (let from = 0; from < total; from += SLICE) later(() => block && HEAPU8.fill(0, block + from, block + Math.min(from + SLICE, total)));
    later(() => Module._free(block));
    later(start);
  };
  decoder.onerror = event => undecoded(event.message);
  decoder.onmessage = ({data: picture}) => {
    let rows = 0;
    later(() => {
      const at = picture ? Module._malloc(head) : 0;
      if (at) HEAPU8.set(picture.subarray(0, head), at);
      rows = Module._unpackPicture(at);
      Module._free(at);
    });
    for (let from = head; picture && from < picture.length; from += SLICE) {
      later(() => rows && HEAPU8.set(picture.subarray(from, from + SLICE), rows + from - head));
    }
    later(() => {
      total += rows && picture.length - head;
      [progress.value, progress.max, progress.hidden] = [++taken, pictures, false];
      status.textContent = "Loading…";
      if (taken === pictures) touch();
    });
  };
  decoder.postMessage(module);
}
function prepareAndStart() {
  preparing = true;
  [pictures, head] = [Module._picturesToDecode(), Module._packedHeadSize()];
  if (!pictures) later(start);
  running = true;
  if (steps.length) turn.port2.postMessage(null);
}
// The module is compiled once: the page keeps it for the worker.
function instantiate(imports, receive) {
  const fetched = () => fetch("hollowmere.wasm");
  WebAssembly.compileStreaming(fetched())
    .catch(() => fetched().then(response => response.arrayBuffer()).then(bytes => WebAssembly.compile(bytes)))
    .then(module => {
      try {
        decode(module);
      } catch (e) {
        undecoded(e.message);
      }
      return WebAssembly.instantiate(module, imports).then(instance => receive(instance, module));
    })
    .catch(e => Module.onAbort("the game's code could not be loaded: " + e.message));
  return {};
}
var Module = {
  noInitialRun: true,
  onRuntimeInitialized: prepareAndStart,
  instantiateWasm: instantiate,
  // A page's events all come in between passes, so SDL need not mark each poll's end with an event of its own.
  preRun: [() => { ENV.SDL_RENDER_DRIVER = renderer; ENV.SDL_POLL_SENTINEL = "0"; }],
  canvas: document.getElementById("canvas"),
  print: line => show(line, false),
  printErr: line => show(line, true),
  onAbort: what => show(String(what), true),
  setStatus: text => {
    if (preparing) return;
    const got = text.match(/\((\d+)\/(\d+)\)/);
    if (got) [progress.value, progress.max] = [+got[1], +got[2]];
    if (!text) progress.hidden = true;
    if (!status.textContent.startsWith("The game stopped")) status.textContent = text ? "Loading…" : "";
  },
};
if (typeof WebAssembly !== "object") {
  status.textContent = "This browser cannot run the game: it has no WebAssembly. Try a recent Firefox or Chromium.";
  progress.hidden = true;
} else {
  document.body.appendChild(document.createElement("script")).src = "hollowmere.js";
}
