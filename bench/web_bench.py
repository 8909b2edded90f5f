#!/usr/bin/env python3
"""make bench-web: the page's weight, its time to first frame and its pacing in
headless Chromium on each of SDL's renderers, beside what an empty page gets
from the same browser. Prints Markdown tables for docs/PERFORMANCE.md.
usage: web_bench.py SITE"""

import gzip
import os
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
import browser  # noqa: E402

WALK_SECONDS = 10
PERIOD_MS = (1000000 // 60) / 1000
# Renderers by SDL's name, "" letting the page pick, and the browser's flags for each run:
# the last run composites in software, as Chromium does where it finds no GPU, instead of on SwiftShader.
SOFTWARE_COMPOSITING = [f for f in browser.FLAGS if "swiftshader" not in f] + ["--disable-gpu"]
RUNS = [("", browser.FLAGS), ("opengles2", browser.FLAGS), ("", SOFTWARE_COMPOSITING)]
# Times every animation-frame callback (the pass) and every frame put on a 2D canvas.
TIME_PASSES = """window.passMs = []; window.putMs = [];
const raf = requestAnimationFrame.bind(window), put = CanvasRenderingContext2D.prototype.putImageData;
window.requestAnimationFrame = f => raf(t => { const s = performance.now(); f(t); passMs.push(performance.now() - s); });
CanvasRenderingContext2D.prototype.putImageData = function (...args) {
  const s = performance.now(); put.apply(this, args); putMs.push(performance.now() - s); };"""
# An empty page's animation frames in the given milliseconds.
COUNT_FRAMES = """const [ms, done] = arguments; let n = 0; const end = performance.now() + ms;
const step = () => { n++; performance.now() < end ? requestAnimationFrame(step) : done(n); };
requestAnimationFrame(step);"""


def debug_block(page):
    """Presses E; returns x and the time the block was printed."""
    page.keys("key", "e")
    (text, at), _, _, _ = [page.console(30) for _ in range(4)]
    return int(text.split()[0]), at


def walk(page, url, renderer):
    """Time to first frame, then frames run and periods in a walk, and the median pass and put in milliseconds."""
    page.driver.get(url + "?renderer=" + renderer)
    origin = page.run("return performance.timeOrigin")
    while (line := page.console(30))[0] != "player init":
        pass
    time.sleep(1)
    x0, t0 = debug_block(page)
    page.keys("keydown", "d")
    time.sleep(WALK_SECONDS)
    x1, t1 = debug_block(page)
    page.keys("keyup", "d")
    return line[1] - origin, (x1 - x0) / 8, (t1 - t0) / PERIOD_MS, t1 - t0, median(page, "passMs"), median(page, "putMs")


def median(page, name):
    values = sorted(page.run("return " + name)) or [0]
    return values[len(values) // 2]


def main():
    site = sys.argv[1]
    print("| file | bytes | gzipped |\n|---|---|---|")
    total = 0
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        total += len(gzip.compress(data, 9))
        print("| %s | %d | %d |" % (name, len(data), len(gzip.compress(data, 9))))
    print("| all | | **%d** (%.0f KB) |\n" % (total, total / 1000))

    url = browser.serve(site)
    with open("/proc/loadavg") as f:
        load = " ".join(f.read().split()[:3])
    print("Load at start: %s.\n\n| renderer | first frame, ms | frames | periods | empty page's frames |"
          " ratio | median pass, ms | median put, ms |" % load)
    print("|---|---|---|---|---|---|---|---|")
    for renderer, flags in RUNS:
        page = browser.Page("about:blank", TIME_PASSES, flags)
        empty = page.driver.execute_async_script(COUNT_FRAMES, WALK_SECONDS * 1000)
        first, frames, periods, ms, pass_ms, put_ms = walk(page, url, renderer)
        # The empty page's count is scaled to the walk's own length.
        floor = min(periods, empty * ms / (WALK_SECONDS * 1000))
        shown = page.run("return Module.SDL2 ? 'software' : 'opengles2'")
        composited = "" if flags is browser.FLAGS else ", software compositing"
        print("| %s | %.0f | %d | %.0f | %.0f | %.3f | %.2f | %.2f |" % (
            (renderer or "page's pick (%s)" % shown) + composited, first, frames, periods,
            empty * ms / (WALK_SECONDS * 1000), frames / floor, pass_ms, put_ms))
        # One browser at a time, so an idle one takes nothing from the next run.
        page.driver.quit()
    print("Load at end: %s" % open("/proc/loadavg").read().split()[:3])


if __name__ == "__main__":
    main()
