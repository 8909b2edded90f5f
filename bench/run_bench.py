# `make bench` in the X server xvfb-run provides: frame cost, start-up and memory from hollowmere_bench,
# instructions under callgrind, the real binary's pacing; rewrites docs/PERFORMANCE.md's figures and
# docs/frame-times.png.
# Usage: python3 -m bench.run_bench BUILD_DIR, from the repository root.
import os
import re
import subprocess
import sys
import time

from bench import callgrind, pacing, report
from bench.conditions import measured
from game import ROOT
from game.geometry import PERIOD_US, WINDOW_US

# Frames timed per renderer, of the game and of the floor each.
FRAMES = int(os.environ.get("BENCH_FRAMES", "3000"))
# Start-up rounds of the game and of the floor each, per renderer.
STARTUP_REPEATS = 5
# Seconds the memory baseline presents empty frames.
BASELINE_SECONDS = 3
# A frame longer than this misses the next window, in milliseconds.
FRAME_BUDGET_MS = (PERIOD_US - WINDOW_US) / 1000
# SDL's environment for each renderer; the software one keeps the window's framebuffer off OpenGL.
RENDERERS = {"software": {"SDL_RENDER_DRIVER": "software", "SDL_FRAMEBUFFER_ACCELERATION": "0"}, "default": {}}
# Pacing beside a hog on the default renderer, as a fraction of the windows opened.
PACING_TARGET = 0.9


def run(args, env=None):
    return subprocess.run(args, env=env, check=True, text=True, stdout=subprocess.PIPE).stdout


def report_lines(rows, seconds):
    sdl, image = run(["pkg-config", "--modversion", "sdl2", "SDL2_image"]).split()
    out = ["", "## Figures", "", f"{report.stamp('bench', seconds)}, SDL {sdl}, SDL_image {image}, Xvfb; "
           f"renderers {', '.join(rows['renderers'])}."]
    out += report.table(f"Frame cost, {FRAMES} frames of each kind, milliseconds:",
                        ["renderer", "p50 game", "p99 game", "p99 floor", "p99 game ÷ floor", "CPU p50 game",
                         "CPU p99 game ÷ floor", "CPU p50 one screen", "conditions"], rows["frames"])
    out += report.table("Instructions a frame on the software renderer (callgrind): `Game::render` against the "
                        "floor's SDL calls, present included:", ["frame", "game", "floor", "game ÷ floor", "target"],
                        rows["instructions"])
    out += ["", "![frame-time distribution](frame-times.png)"]
    met = "met" if float(rows["pacing"][-1][4]) >= PACING_TARGET else "missed"
    out += report.table(f"Pacing of the real binary, two walks of up to {pacing.WALK_SECONDS} s; target beside one "
                        f"CPU hog on the default renderer, ≥ {PACING_TARGET} of windows run a frame: {met}:",
                        ["renderer", "beside it", "frames run", "windows opened", "ratio", "conditions"],
                        rows["pacing"])
    out += report.table(f"Start-up and first frame, median of {STARTUP_REPEATS} rounds in process, milliseconds:",
                        ["renderer", "game", "floor", "game ÷ floor", "conditions"], rows["startup"])
    return out + report.table("Peak resident set of the real binary after its idle pacing run, MiB:",
                              ["renderer", "peak", "baseline", "pictures", "(peak − baseline) ÷ pictures"],
                              rows["memory"])


def percentile(values, fraction):
    return sorted(values)[int(fraction * (len(values) - 1))]


# Every measurement on one renderer, each added as a row of its table in `rows`.
def measure_renderer(name, bench, binary, env, data, rows):
    out, load = measured(f"{name} renderer: frame cost", lambda: run([bench, "frames", str(FRAMES), data], env))
    rows["renderers"].append(f"{name} = `{re.search(r'^renderer: (.+)$', out, re.M).group(1)}`")
    game, game_cpu, floor, floor_cpu, _, screen_cpu = zip(*(map(float, line.split()) for line in open(data)))
    game_p99, floor_p99 = percentile(game, 0.99), percentile(floor, 0.99)
    cpu_ratio = percentile(game_cpu, 0.99) / percentile(floor_cpu, 0.99)
    rows["frames"].append([name, f"{percentile(game, 0.5):.2f}", f"{game_p99:.2f}", f"{floor_p99:.2f}",
                           f"{game_p99 / floor_p99:.3f}", f"{percentile(game_cpu, 0.5):.2f}", f"{cpu_ratio:.3f}",
                           f"{percentile(screen_cpu, 0.5):.2f}", load])
    out, load = measured(f"{name} renderer: start-up", lambda: run([bench, "startup", str(STARTUP_REPEATS)], env))
    rounds = [tuple(map(float, pair)) for pair in re.findall(r"^startup_ms (\S+) (\S+)$", out, re.M)]
    game, floor = (percentile(times, 0.5) for times in zip(*rounds))
    rows["startup"].append([name, f"{game:.1f}", f"{floor:.1f}", f"{game / floor:.3f}", load])
    out = run([bench, "memory", str(BASELINE_SECONDS)], env)
    baseline, pictures = map(int, re.search(r"^memory_kb (\S+) (\S+)$", out, re.M).groups())
    for hog in (False, True):
        beside = "one CPU hog" if hog else "nothing"
        (frames, windows, peak), load = measured(f"{name} renderer: pacing beside {beside}",
                                                 lambda: pacing.pace(binary, env, hog))
        rows["pacing"].append([name, beside, str(frames), str(windows), f"{frames / windows:.4f}", load])
        if not hog:
            rows["memory"].append([name, f"{peak / 1024:.1f}", f"{baseline / 1024:.1f}", f"{pictures / 1024:.1f}",
                                   f"{(peak - baseline) / pictures:.3f}"])


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    bench, binary = os.path.join(build, "bench", "hollowmere_bench"), os.path.join(build, "hollowmere")
    os.chdir(ROOT)
    began, rows = time.monotonic(), {"renderers": [], "frames": [], "pacing": [], "startup": [], "memory": []}
    data = {name: os.path.join(build, f"frames-{name}.dat") for name in RENDERERS}
    plain = {key: value for key, value in os.environ.items() if not key.startswith("SDL_")}
    for name, extra in RENDERERS.items():
        measure_renderer(name, bench, binary, dict(plain, **extra), data[name], rows)
    print("bench: software renderer: instructions under callgrind", flush=True)
    rows["instructions"] = callgrind.measure(bench, dict(plain, **RENDERERS["software"]), build)
    report.plot(data, ROOT / "docs" / "frame-times.png", FRAMES, FRAME_BUDGET_MS)
    report.rewrite("bench", report_lines(rows, time.monotonic() - began))


if __name__ == "__main__":
    main()
