"use strict";
// The least a game presenting through a 2D canvas does: one whole opaque 1024 x 768 frame put on it
// every animation frame, on a canvas made as the page makes its own, one byte changed each time.
const webkit = /AppleWebKit/.test(navigator.userAgent) && !/Chrome|Chromium|Edg/.test(navigator.userAgent);
const context = document.getElementById("canvas").getContext("2d", webkit ? {willReadFrequently: true} : {desynchronized: true});
const frame = new ImageData(new Uint8ClampedArray(4 * 1024 * 768).fill(255), 1024);
window.drawn = 0;
requestAnimationFrame(function draw() {
  frame.data[4 * drawn++ % frame.data.length] ^= 255;
  context.putImageData(frame, 0, 0);
  requestAnimationFrame(draw);
});
