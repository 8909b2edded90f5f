#!/usr/bin/env python3
# make bench-web: the page's weight, then in each engine (web/browser.py) its time to first frame, the main
# thread's long tasks until then, the module's heap and its pacing in a 10 s walk, beside the pacing of the
# floor page (bench/floor.html) in the same browser; Chromium also with its CPU slowed 2 and 4 times, as it
# emulates a phone. Prints Markdown tables for docs/PERFORMANCE.md.
# usage: web_bench.py SITE   (WebKit needs the X server xvfb-run provides)

import glob
import gzip
import os
import pathlib
import struct
import sys
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(BENCH, "..", "web"))
import browser  # noqa: E402

WALK_SECONDS = 10
PERIOD_MS = (1000000 // 60) / 1000
MIB = 1 << 20
# Runs: engine, page size (the checks' window, where the scene shows whole, or a laptop's, scaled down), CPU slowdown.
LAPTOP = (1366, 650)
RUNS = [("chromium", browser.BIG, rate) for rate in (1, 2, 4)] + [
    (name, size, 1) for name in ("chromium", "firefox", "webkit") for size in (browser.BIG, LAPTOP)][1:]
# Main-thread tasks over 50 ms from navigation on, where the engine reports them (Chromium).
LONG_TASKS = """window.longTasks = PerformanceObserver.supportedEntryTypes.includes("longtask") ? [] : null;
if (longTasks) new PerformanceObserver(list => longTasks.push(...list.getEntries().map(
  task => [task.startTime, task.duration]))).observe({type: "longtask"});"""
# An empty page's animation frames in the walk's time.
COUNT_FRAMES = """return new Promise(done => { let n = 0; const end = performance.now() + %d;
  const step = () => { n++; performance.now() < end ? requestAnimationFrame(step) : done(n); };
  requestAnimationFrame(step); });""" % (WALK_SECONDS * 1000)
# The frames the floor page draws, and the milliseconds, in the walk's time.
FLOOR_FRAMES = """const n = drawn, t = performance.now();
  return new Promise(done => setTimeout(() => done([drawn - n, performance.now() - t]), %d));""" % (WALK_SECONDS * 1000)


# Bytes every picture keeps as the game holds it: its texture, 4 a pixel, and its surface, 1 a pixel when paletted.
def picture_bytes(folder):
    headers = [pathlib.Path(path).read_bytes()[16:26] for path in glob.glob(folder + "/**/*.png", recursive=True)]
    return sum(width * height * (4 + {3: 1, 6: 4}[kind]) for width, height, _, kind in
               (struct.unpack(">IIBB", header) for header in headers))


# Presses E; returns x and the time the block was printed.
def debug_block(page):
    page.keys("key", "e")
    (text, at), _, _, _ = [page.console(30) for _ in range(4)]
    return int(text.split()[0]), at


# Time to first frame, long tasks before it (count, ms beyond 50 each), heap; then frames run and ms in a walk.
def game(page, url):
    page.open(url)
    while (line := page.console(30))[0] != "player init":
        pass
    first = line[1] - page.run("return performance.timeOrigin")
    time.sleep(1)
    tasks = page.run("return longTasks")
    tasks = tasks and [duration for start, duration in tasks if start < first]
    x0, t0 = debug_block(page)
    page.keys("keydown", "d")
    time.sleep(WALK_SECONDS)
    x1, t1 = debug_block(page)
    page.keys("keyup", "d")
    heap = page.run("return HEAP8.length") / MIB
    return first, tasks, heap, (x1 - x0) / 8, t1 - t0


def main():
    site = sys.argv[1]
    files = {name: open(os.path.join(site, name), "rb").read() for name in sorted(os.listdir(site))}
    zipped = {name: len(gzip.compress(data, 9)) for name, data in files.items()}
    print("| file | bytes | gzipped |\n|---|---|---|\n" + "".join(
        "| %s | %d | %d |\n" % (name, len(files[name]), zipped[name]) for name in files), end="")
    print("| all | | **%d** (%.0f KB) |\n" % (sum(zipped.values()), sum(zipped.values()) / 1000))

    url, floor_url = browser.serve(site, LONG_TASKS), browser.serve(BENCH) + "floor.html"
    pictures = picture_bytes(os.path.join(BENCH, "..", "Images")) / MIB
    load = " ".join(open("/proc/loadavg").read().split()[:3])
    print("Load at start: %s. The pictures keep %.0f MiB.\n" % (load, pictures))
    print("| engine | page, CSS px | CPU | first frame, ms | long tasks: n, ms over 50 | heap, MiB | game: frames"
          " / periods (empty page's) | game | floor | game / floor |\n" + "|---" * 10 + "|")
    for name, size, rate in RUNS:
        # One browser at a time, so an idle one takes nothing from the next run.
        page = browser.ENGINES[name](size)
        if rate > 1:
            page.driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": rate})
        page.open("about:blank")
        empty = page.run(COUNT_FRAMES)
        first, tasks, heap, frames, ms = game(page, url)
        page.open(floor_url)
        while not page.run("return typeof drawn == 'number' && drawn > 0"):
            pass
        floor_frames, floor_ms = page.run(FLOOR_FRAMES)
        page.quit()
        # Frames run against the fewer of the periods and the empty page's frames in the same time.
        pace = [n / min(t / PERIOD_MS, empty * t / (WALK_SECONDS * 1000))
                for n, t in ((frames, ms), (floor_frames, floor_ms))]
        long_tasks = "%d, %.0f" % (len(tasks), sum(t - 50 for t in tasks)) if tasks is not None else "n/a"
        print("| %s | %d × %d | %d× | %.0f | %s | %.0f | %d / %.0f (%d) | %.3f | %.3f | %.3f |" % (
            name, *size, rate, first, long_tasks, heap, frames, ms / PERIOD_MS, empty, pace[0], pace[1],
            pace[0] / pace[1]), flush=True)
    print("\nLoad at end: %s." % " ".join(open("/proc/loadavg").read().split()[:3]))


if __name__ == "__main__":
    main()
