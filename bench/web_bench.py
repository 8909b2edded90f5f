#!/usr/bin/env python3
# make bench-web: the page's weight, then in each engine (web/browser.py) and at two window sizes
# its time to first frame and its pacing in a 10 s walk, beside the pacing of the floor page
# (bench/floor.html) in the same browser. Prints Markdown tables for docs/PERFORMANCE.md.
# usage: web_bench.py SITE   (WebKit needs the X server xvfb-run provides)

import gzip
import os
import sys
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(BENCH, "..", "web"))
import browser  # noqa: E402

WALK_SECONDS = 10
PERIOD_MS = (1000000 // 60) / 1000
# The checks' window, where the scene shows whole, and a laptop's, where the page scales it down.
SIZES = {"1280 × 1400": browser.BIG, "1366 × 650": (1366, 650)}
# An empty page's animation frames in the walk's time.
COUNT_FRAMES = """return new Promise(done => { let n = 0; const end = performance.now() + %d;
  const step = () => { n++; performance.now() < end ? requestAnimationFrame(step) : done(n); };
  requestAnimationFrame(step); });""" % (WALK_SECONDS * 1000)
# The frames the floor page draws, and the milliseconds, in the walk's time.
FLOOR_FRAMES = """const n = drawn, t = performance.now();
  return new Promise(done => setTimeout(() => done([drawn - n, performance.now() - t]), %d));""" % (WALK_SECONDS * 1000)


# Presses E; returns x and the time the block was printed.
def debug_block(page):
    page.keys("key", "e")
    (text, at), _, _, _ = [page.console(30) for _ in range(4)]
    return int(text.split()[0]), at


# Time to first frame in ms, then frames run and milliseconds in a walk.
def game(page, url):
    page.open(url)
    while (line := page.console(30))[0] != "player init":
        pass
    time.sleep(1)
    x0, t0 = debug_block(page)
    page.keys("keydown", "d")
    time.sleep(WALK_SECONDS)
    x1, t1 = debug_block(page)
    page.keys("keyup", "d")
    return line[1] - page.run("return performance.timeOrigin"), (x1 - x0) / 8, t1 - t0


def main():
    site = sys.argv[1]
    files = {name: open(os.path.join(site, name), "rb").read() for name in sorted(os.listdir(site))}
    zipped = {name: len(gzip.compress(data, 9)) for name, data in files.items()}
    print("| file | bytes | gzipped |\n|---|---|---|\n" + "".join(
        "| %s | %d | %d |\n" % (name, len(files[name]), zipped[name]) for name in files), end="")
    print("| all | | **%d** (%.0f KB) |\n" % (sum(zipped.values()), sum(zipped.values()) / 1000))

    url, floor_url = browser.serve(site), browser.serve(BENCH) + "floor.html"
    print("Load at start: %s.\n" % " ".join(open("/proc/loadavg").read().split()[:3]))
    print("| engine | page, CSS px | first frame, ms | game: frames / periods (empty page's) | game ratio"
          " | floor: frames / periods | floor ratio | game / floor |\n|---|---|---|---|---|---|---|---|")
    for name, engine in browser.ENGINES.items():
        for size_name, size in SIZES.items():
            # One browser at a time, so an idle one takes nothing from the next run.
            page = engine(size)
            page.open("about:blank")
            empty = page.run(COUNT_FRAMES)
            first, frames, ms = game(page, url)
            page.open(floor_url)
            time.sleep(1)
            floor_frames, floor_ms = page.run(FLOOR_FRAMES)
            page.quit()
            # Frames run against the fewer of the periods and the empty page's frames in the same time.
            pace = [n / min(t / PERIOD_MS, empty * t / (WALK_SECONDS * 1000))
                    for n, t in ((frames, ms), (floor_frames, floor_ms))]
            print("| %s | %s | %.0f | %d / %.0f (%d) | %.3f | %d / %.0f | %.3f | %.3f |" % (
                name, size_name, first, frames, ms / PERIOD_MS, empty, pace[0], floor_frames,
                floor_ms / PERIOD_MS, pace[1], pace[0] / pace[1]), flush=True)
    print("\nLoad at end: %s." % " ".join(open("/proc/loadavg").read().split()[:3]))


if __name__ == "__main__":
    main()
