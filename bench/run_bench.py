#!/usr/bin/env python3
# `make bench` on a private Xvfb: rewrites docs/PERFORMANCE.md's figures and docs/frame-times.png.
# Usage: bench/run_bench.py BUILD_DIR, from the repository root.
import glob
import os
import platform
import re
import signal
import subprocess
import sys
import time

# Frames timed per renderer, of the game and of the floor each.
FRAMES = int(os.environ.get("BENCH_FRAMES", "3000"))
# Start-up rounds of the game and of the floor each, per renderer.
STARTUP_REPEATS = 5
# Seconds the memory baseline presents empty frames.
BASELINE_SECONDS = 3
# The pacing walk to the right, in seconds: from x = 540 to the clamp at 7667 takes 14.8 s.
WALK_SECONDS = 13.5
# The frame gate's period in microseconds, and the player's stride in pixels at the starting speed.
PERIOD_US = 16666
PIXELS_PER_FRAME = 8
# A frame longer than this misses the next window, in milliseconds.
FRAME_BUDGET_MS = (PERIOD_US - 100) / 1000
# SDL's environment for each renderer; the software one keeps the window's framebuffer off OpenGL.
RENDERERS = {"software": {"SDL_RENDER_DRIVER": "software", "SDL_FRAMEBUFFER_ACCELERATION": "0"}, "default": {}}
# Targets, as fractions of the floor: instructions a frame at rest and anywhere; pacing beside a hog, default renderer.
REST_TARGET, WORST_TARGET, PACING_TARGET = 0.30, 0.35, 0.9
BEGIN_MARK = "<!-- results:begin (written by make bench) -->"
END_MARK = "<!-- results:end -->"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(args, env=None):
    return subprocess.run(args, env=env, check=True, text=True, stdout=subprocess.PIPE).stdout


# Busy CPU seconds since boot less ours (this driver, its ended children, Xvfb); steal counts.
def others_busy(server):
    ticks = [int(n) for n in open("/proc/stat").readline().split()[1:9]]
    server_ticks = sum(map(int, open(f"/proc/{server.pid}/stat").read().rsplit(")", 1)[1].split()[11:13]))
    return (sum(ticks) - ticks[3] - ticks[4] - server_ticks) / os.sysconf("SC_CLK_TCK") - sum(os.times()[:4])


# Load averages at the start, and cores others kept busy during it: timing moves with both.
def measured(server, what, measure):
    print(f"bench: {what}", flush=True)
    load = " ".join(open("/proc/loadavg").read().split()[:3])
    began, busy = time.monotonic(), others_busy(server)
    result = measure()
    return result, f"{load}; others {max(0.0, others_busy(server) - busy) / (time.monotonic() - began):.2f} cores"


# Presses E; returns the player's x from the debug block and the steady-clock nanoseconds it arrived at.
def read_x(game, env):
    press = subprocess.Popen(["xdotool", "key", "e"], env=env)
    x = int(game.stdout.readline().split()[0])
    arrived = time.monotonic_ns()
    for _ in range(3):  # the screen position, the speed and the closing blank line
        game.stdout.readline()
    press.wait()
    return x, arrived


# The real binary walking right, then left: frames run, frame windows opened, peak resident kB.
def pace(binary, env, hog):
    hog_process = subprocess.Popen(["sh", "-c", "while :; do :; done"]) if hog else None
    game = subprocess.Popen([binary], env=env, text=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        while game.stdout.readline() not in ("player init\n", ""):
            pass
        time.sleep(1.0)
        run(["xdotool", "search", "--sync", "--name", "^Hollowmere$", "windowfocus", "--sync"], env)
        frames = windows = 0
        walk = WALK_SECONDS
        for key in "da":
            # The key is down before the first reading, as X delivers events in order.
            run(["xdotool", "keydown", key], env)
            x0, t0 = read_x(game, env)
            time.sleep(walk)
            x1, t1 = read_x(game, env)
            run(["xdotool", "keyup", key], env)
            frames += abs(x1 - x0) // PIXELS_PER_FRAME
            # The gate opens when the steady clock in microseconds is a multiple of the period.
            windows += (t1 // 1000) // PERIOD_US - (t0 // 1000) // PERIOD_US
            # Back left no farther than it came, so the clamp at x = 495 never hides a frame.
            walk = abs(x1 - x0) // PIXELS_PER_FRAME * PERIOD_US / 1e6
        peak_kb = int(re.search(r"VmHWM:\s*(\d+)", open(f"/proc/{game.pid}/status").read()).group(1))
    finally:
        # SDL turns SIGTERM into a quit event, so the game tears down as on a window close.
        game.send_signal(signal.SIGTERM)
        game.wait()
        if hog_process:
            hog_process.kill()
            hog_process.wait()
    return frames, windows, peak_kb


# Cumulative distributions of frame times, game against floor: wall clock left, CPU time right.
def plot(data, png):
    script = ["set terminal pngcairo size 1400,600 noenhanced", f"set output '{png}'",
              f"set multiplot layout 1,2 title 'Frame step (update + render + present) against the floor, the same pixels by "
              f"five full copies, {FRAMES} frames each; red: the {FRAME_BUDGET_MS:.2f} ms frame budget'",
              "set xlabel 'milliseconds per frame, log scale'", "set ylabel 'fraction of frames at or below'",
              "set key bottom right", "set grid", "set logscale x", "set xrange [1:*]",
              f"set arrow from {FRAME_BUDGET_MS},0 to {FRAME_BUDGET_MS},1 nohead dt 3 lc rgb 'red'"]
    for title, column in (("wall clock", 1), ("CPU time of the process, all threads", 2)):
        curves = [f"'{data[renderer]}' using {column + shift}:(1) smooth cnormal lw 2 dt {dash} "
                  f"lc rgb '{colour}' title '{renderer}: {kind}'"
                  for renderer, colour in (("software", "#1f5fbf"), ("default", "#d9730d"))
                  for kind, shift, dash in (("game", 0, 1), ("floor", 2, 2))]
        script += [f"set title '{title}'", "plot " + ", ".join(curves)]
    subprocess.run(["gnuplot"], input="\n".join(script + ["unset multiplot"]), text=True, check=True)


# Instructions of a game and a floor frame on the software renderer, counted by callgrind, by (kind, camera x).
def count_instructions(bench, env, build):
    out = os.path.join(build, "callgrind.out")
    for old in glob.glob(out + "*"):
        os.remove(old)
    subprocess.run(["valgrind", "--tool=callgrind", "--instr-atstart=no", "--collect-atstart=no",
                    f"--callgrind-out-file={out}", bench, "instructions"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    counts = {}
    for path in glob.glob(out + ".*"):
        with open(path) as f:
            text = f.read()
        kind, x = re.search(r"^desc: Trigger: Client Request: (\S+) (\d+)$", text, re.M).groups()
        counts[kind, int(x)] = int(re.search(r"^summary: (\d+)$", text, re.M).group(1))
    return counts


def instruction_rows(counts):
    ratio = {x: game / counts["floor", x] for (kind, x), game in counts.items() if kind == "game"}
    rest, worst = next(x for kind, x in counts if kind == "rest_game"), max(ratio, key=ratio.get)

    def row(what, game, floor, target):
        met = target if isinstance(target, str) else f"≤ {target}: {'met' if game / floor <= target else 'missed'}"
        return [what, f"{game:,}", f"{floor:,}", f"{game / floor:.3f}", met]
    return [row(f"at rest, camera x {rest}", counts["rest_game", rest], counts["rest_floor", rest], REST_TARGET),
            row(f"worst of {len(ratio)} across the world, camera x {worst}", counts["game", worst],
                counts["floor", worst], WORST_TARGET),
            row(f"one screen drawn once, camera x {rest}", counts["rest_screen", rest], counts["rest_floor", rest],
                "where trimming ends")]


def table(heading, header, rows):
    return ["", heading, "", "| " + " | ".join(header) + " |", "|---" * len(header) + "|",
            *("| " + " | ".join(row) + " |" for row in rows)]


def report(rows, seconds):
    model = re.search(r"Model name:\s*(.+)", run(["lscpu"])).group(1)
    sdl, image = run(["pkg-config", "--modversion", "sdl2", "SDL2_image"]).split()
    out = [BEGIN_MARK, "", "## Figures", "",
           f"Measured {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())} by `make bench` in {seconds:.0f} s on "
           f"{model}, {os.cpu_count()} cores, Linux {platform.release()}, SDL {sdl}, SDL_image {image}, Xvfb; "
           f"renderers {', '.join(rows['renderers'])}."]
    out += table(f"Frame cost, {FRAMES} frames of each kind, milliseconds:",
                 ["renderer", "p50 game", "p99 game", "p99 floor", "p99 game ÷ floor", "CPU p50 game",
                  "CPU p99 game ÷ floor", "CPU p50 one screen", "conditions"], rows["frames"])
    out += table("Instructions a frame on the software renderer (callgrind): `Game::render` against the floor's "
                 "SDL calls, present included:", ["frame", "game", "floor", "game ÷ floor", "target"],
                 rows["instructions"])
    out += ["", "![frame-time distribution](frame-times.png)"]
    out += table(f"Pacing of the real binary, two walks of up to {WALK_SECONDS} s:",
                 ["renderer", "beside it", "frames run", "windows opened", "ratio", "conditions"], rows["pacing"])
    hog = float(rows["pacing"][-1][4])
    out += ["", f"Target beside one CPU hog on the default renderer: ≥ {PACING_TARGET} of windows run a frame: "
                f"{'met' if hog >= PACING_TARGET else 'missed'}."]
    out += table(f"Start-up and first frame, median of {STARTUP_REPEATS} rounds in process, milliseconds:",
                 ["renderer", "game", "floor", "game ÷ floor", "conditions"], rows["startup"])
    out += table("Peak resident set of the real binary after its idle pacing run, MiB:",
                 ["renderer", "peak", "baseline", "pictures", "(peak − baseline) ÷ pictures"], rows["memory"])
    return "\n".join(out + ["", END_MARK])


def percentile(values, fraction):
    return sorted(values)[int(fraction * (len(values) - 1))]


# Every measurement on one renderer, each added as a row of its table in `rows`.
def measure_renderer(name, bench, binary, env, server, data, rows):
    out, load = measured(server, f"{name} renderer: frame cost", lambda: run([bench, "frames", str(FRAMES), data], env))
    rows["renderers"].append(f"{name} = `{re.search(r'^renderer: (.+)$', out, re.M).group(1)}`")
    with open(data) as f:
        game, game_cpu, floor, floor_cpu, _, screen_cpu = zip(*(map(float, line.split()) for line in f))
    game_p99, floor_p99 = percentile(game, 0.99), percentile(floor, 0.99)
    cpu_ratio = percentile(game_cpu, 0.99) / percentile(floor_cpu, 0.99)
    rows["frames"].append([name, f"{percentile(game, 0.5):.2f}", f"{game_p99:.2f}", f"{floor_p99:.2f}",
                           f"{game_p99 / floor_p99:.3f}", f"{percentile(game_cpu, 0.5):.2f}", f"{cpu_ratio:.3f}",
                           f"{percentile(screen_cpu, 0.5):.2f}", load])
    out, load = measured(server, f"{name} renderer: start-up",
                         lambda: run([bench, "startup", str(STARTUP_REPEATS)], env))
    rounds = [tuple(map(float, pair)) for pair in re.findall(r"^startup_ms (\S+) (\S+)$", out, re.M)]
    game, floor = (percentile(times, 0.5) for times in zip(*rounds))
    rows["startup"].append([name, f"{game:.1f}", f"{floor:.1f}", f"{game / floor:.3f}", load])
    out = run([bench, "memory", str(BASELINE_SECONDS)], env)
    baseline, pictures = map(int, re.search(r"^memory_kb (\S+) (\S+)$", out, re.M).groups())
    for hog in (False, True):
        beside = "one CPU hog" if hog else "nothing"
        (frames, windows, peak), load = measured(server, f"{name} renderer: pacing beside {beside}",
                                                 lambda: pace(binary, env, hog))
        rows["pacing"].append([name, beside, str(frames), str(windows), f"{frames / windows:.4f}", load])
        if not hog:
            rows["memory"].append([name, f"{peak / 1024:.1f}", f"{baseline / 1024:.1f}", f"{pictures / 1024:.1f}",
                                   f"{(peak - baseline) / pictures:.3f}"])


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    bench, binary = os.path.join(build, "bench", "hollowmere_bench"), os.path.join(build, "hollowmere")
    os.chdir(ROOT)
    server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    plain = {key: value for key, value in os.environ.items() if not key.startswith("SDL_")}
    plain["DISPLAY"] = ":" + server.stdout.readline().strip()
    began, rows = time.monotonic(), {"renderers": [], "frames": [], "pacing": [], "startup": [], "memory": []}
    data = {name: os.path.join(build, f"frames-{name}.dat") for name in RENDERERS}
    try:
        for name, extra in RENDERERS.items():
            measure_renderer(name, bench, binary, dict(plain, **extra), server, data[name], rows)
        print("bench: software renderer: instructions under callgrind", flush=True)
        counts = count_instructions(bench, dict(plain, **RENDERERS["software"]), build)
        rows["instructions"] = instruction_rows(counts)
    finally:
        server.terminate()
        server.wait()
    plot(data, os.path.join(ROOT, "docs", "frame-times.png"))
    block = report(rows, time.monotonic() - began)
    path = os.path.join(ROOT, "docs", "PERFORMANCE.md")
    head, rest = open(path).read().split(BEGIN_MARK)
    with open(path, "w") as f:
        f.write(head + block + rest.split(END_MARK)[1])
    print(block)


if __name__ == "__main__":
    main()
