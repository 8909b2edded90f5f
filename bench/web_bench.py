# make bench-web: the page's weight, then in each engine (browsers/) its time to first frame, the main thread's
# long tasks until then, the module's heap and its pacing in a 10 s walk, beside the pacing of the floor page
# (bench/floor.html) in the same browser, and where Chromium reports it the main thread's busy share over 10 s at rest,
# walking and on the floor page; Chromium also with its CPU slowed 2 and 4 times, as it emulates a
# phone. Rewrites docs/PERFORMANCE.md's figures of the page.
# Usage: python3 -m bench.web_bench SITE, from the repository root (WebKit needs the X server xvfb-run provides).
import gzip
import pathlib
import sys
import time

import browsers
from bench import report
from bench.conditions import load
from game import ROOT
from game.console import DEBUG_LINES, START, debug_block
from game.geometry import FRAMES_PER_SKY_STEP, PERIOD_US, STRIDE
from game.pictures import IMAGES, pictures, png_header

WALK_SECONDS = 10
PERIOD_MS = PERIOD_US / 1000
# Runs: engine, page size (the checks' window, where the scene shows whole, or a laptop's, scaled down), CPU slowdown.
RUNS = [("chromium", browsers.BIG, rate) for rate in (1, 2, 4)] + [
    (name, size, 1) for name in browsers.ENGINES for size in (browsers.BIG, (1366, 650))][1:]
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


# The frames run so far as the canvas tells them, where SDL counts what it hands over, and the time.
HANDED = "return [Module.SDL2.handed * %d, performance.now()]" % FRAMES_PER_SKY_STEP


# Presses E; returns x and the time the block was printed.
def read_x(page):
    page.keys("key", "e")
    lines = [page.console(30) for _ in range(DEBUG_LINES)]
    return debug_block(text for text, _ in lines)[0], lines[0][1]


# The share of `seconds` the main thread spends in tasks, where the engine says (Chromium's DevTools).
def busy(page, seconds):
    if not hasattr(page, "cdp"):
        return time.sleep(seconds) or "n/a"
    page.cdp("Performance.enable")
    sample = lambda: {m["name"]: m["value"] for m in page.cdp("Performance.getMetrics")["metrics"]}
    before, _, after = sample(), time.sleep(seconds), sample()
    return "%.3f" % ((after["TaskDuration"] - before["TaskDuration"]) / (after["Timestamp"] - before["Timestamp"]))


# One run in a fresh browser, so an idle one takes nothing from the next: its row of the table.
def measure(page, url, floor_url, rate):
    if rate > 1:
        page.cdp("Emulation.setCPUThrottlingRate", rate=rate)
    page.open("about:blank")
    empty = page.run(COUNT_FRAMES)
    # Time to first frame, the long tasks before it, a walk, the heap.
    page.open(url)
    while (line := page.console(30))[0] != START[-1]:
        pass
    first = line[1] - page.run("return performance.timeOrigin")
    time.sleep(1)
    tasks = (tasks := page.run("return longTasks")) and [duration for start, duration in tasks if start < first]
    # At rest the canvas gets a frame each time the sky's tint steps, which early in the cycle is every step.
    still = [page.run(HANDED)]
    shares = [busy(page, WALK_SECONDS)]
    still.append(page.run(HANDED))
    x0, t0 = read_x(page)
    page.keys("keydown", "d")
    shares.append(busy(page, WALK_SECONDS))
    x1, t1 = read_x(page)
    page.keys("keyup", "d")
    heap = page.run("return HEAP8.length") / (1 << 20)
    page.open(floor_url)
    while not page.run("return typeof drawn == 'number' && drawn > 0"):
        pass
    shares.append(busy(page, WALK_SECONDS))
    # Frames run against the fewer of the periods and the empty page's frames in the same time.
    runs = [((x1 - x0) / STRIDE, t1 - t0), page.run(FLOOR_FRAMES)]
    pace = [n / min(t / PERIOD_MS, empty * t / (WALK_SECONDS * 1000)) for n, t in runs]
    return ["%s %s" % (page.name, page.version), "%d × %d" % page.size, "%d×" % rate, "%.0f" % first,
            "%d, %.0f" % (len(tasks), sum(t - 50 for t in tasks)) if tasks is not None else "n/a",
            "%.0f" % heap, "%d / %.0f" % (still[1][0] - still[0][0], (still[1][1] - still[0][1]) / PERIOD_MS),
            "%d / %.0f (%d)" % (runs[0][0], runs[0][1] / PERIOD_MS, empty),
            *("%.3f" % p for p in (*pace, pace[0] / pace[1])), " / ".join(shares)]


def main():
    began, site, at_start = time.monotonic(), pathlib.Path(sys.argv[1]), load()
    url, floor_url = browsers.serve(site, LONG_TASKS), browsers.serve(ROOT / "bench") + "floor.html"
    rows = []
    for name, size, rate in RUNS:
        rows.append(measure(page := browsers.ENGINES[name](size), url, floor_url, rate))
        page.quit()
        print(" | ".join(rows[-1]), flush=True)
    # The bytes every picture keeps as the game holds it: its texture, 4 a pixel, and its surface, 1 a pixel
    # when paletted.
    kept = sum(w * h * (4 + {3: 1, 6: 4}[kind]) for w, h, _, kind in map(png_header, map(IMAGES.joinpath, pictures())))
    gzipped = sum(len(gzip.compress(path.read_bytes(), 9)) for path in site.iterdir())
    header = ["engine", "page, CSS px", "CPU", "first frame, ms", "long tasks: n, ms over 50", "heap, MiB",
              "at rest: frames / periods", "game: frames / periods (empty page's)", "game", "floor", "game ÷ floor",
              "busy: at rest / walking / floor"]
    report.rewrite("bench-web", ["", f"{report.stamp('bench-web', time.monotonic() - began)}; load {at_start} at "
                                 f"the start, {load()} at the end. The site: {gzipped:,} bytes gzipped; the pictures "
                                 f"keep {kept / (1 << 20):.0f} MiB."] + report.table("Runs:", header, rows))


if __name__ == "__main__":
    main()
