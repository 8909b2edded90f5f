#!/usr/bin/env python3
"""Runs every measurement of `make bench` on a private Xvfb display and writes
the figures into docs/PERFORMANCE.md (between its results markers) and the
frame-time plot into docs/frame-times.png.

Usage: bench/run_bench.py BUILD_DIR   (from the repository root)
"""
import csv
import os
import platform
import re
import signal
import subprocess
import sys
import threading
import time

# Frames timed per renderer and kind (game, floor).
FRAMES = int(os.environ.get("BENCH_FRAMES", "3000"))
# Frames run before any is timed, so caches and lazily made objects are warm.
WARM_UP_FRAMES = 60
# Frames callgrind counts, after a short warm-up; its figure is exact, so a few suffice.
CALLGRIND_FRAMES = 20
CALLGRIND_WARM_UP_FRAMES = 10
# Frames per configuration when timing what each layer adds to a frame.
LAYER_REPEATS = 100
# Seconds of loop passes timed per renderer, frames left out.
PASS_SECONDS = 2
# Processes started per renderer to time start-up from spawn, game and floor in turn.
SPAWN_REPEATS = 3
# Start-up rounds of game and floor each, per renderer.
STARTUP_REPEATS = 5
# Seconds of walking measured per pacing run, in walks of at most SEGMENT_SECONDS with
# D or A held: 8 pixels a frame at 60 frames a second crosses the 7172 walkable pixels in 14.9 s.
PACING_SECONDS = 27.0
SEGMENT_SECONDS = 13.5
# Seconds between pressing a walking key and the first reading, so the walk is under way.
SETTLE_SECONDS = 0.3
# The frame gate's period and the distance the player walks per frame at the starting speed.
PERIOD_US = 16666
PIXELS_PER_FRAME = 8
WALK_MIN_X, WALK_MAX_X = 495, 7667
# Pixels a walk keeps from the world's edge, for the time a reading takes to arrive.
EDGE_MARGIN_PIXELS = 160
# A frame longer than this misses the next window and halves the frame rate, in microseconds.
FRAME_BUDGET_US = PERIOD_US - 100
TARGET_FRAME_RATIO = 1.05
TARGET_PACING = 0.998
TARGET_STARTUP_RATIO = 1.1
TARGET_MEMORY_RATIO = 1.1
RENDERERS = ("software", "default")
# Environment that makes SDL pick its software renderer with a window framebuffer kept off OpenGL.
SOFTWARE_ENV = {"SDL_RENDER_DRIVER": "software", "SDL_FRAMEBUFFER_ACCELERATION": "0"}
BEGIN_MARK = "<!-- results:begin (written by make bench) -->"
END_MARK = "<!-- results:end -->"

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The directory holding Images/, where the game and the bench run; the repository's own by default.
PICTURES_ROOT = os.path.abspath(os.environ.get("BENCH_PICTURES_ROOT", ROOT))


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def machine_busy_seconds():
    """CPU seconds all processes have used since boot, summed over the cores."""
    with open("/proc/stat") as f:
        ticks = [int(field) for field in f.readline().split()[1:]]
    idle = ticks[3] + ticks[4]  # idle and iowait
    return (sum(ticks[:8]) - idle) / CLOCK_TICKS


def process_busy_seconds(pid):
    """CPU seconds process `pid` (all its threads, not its children) has used; 0 once it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except FileNotFoundError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def own_busy_seconds():
    """CPU seconds of this driver and every child process of it that has ended and been waited for."""
    times = os.times()
    return times.user + times.system + times.children_user + times.children_system


class OthersMeter:
    """How many cores processes not of ours kept busy over a span: load we did not make.
    Read it once every process of ours started in the span has ended, except the X server."""

    def __init__(self, server_pid):
        self.server_pid = server_pid
        self.began = time.monotonic()
        self.machine = machine_busy_seconds()
        self.own = own_busy_seconds() + process_busy_seconds(server_pid)

    def cores(self):
        own = own_busy_seconds() + process_busy_seconds(self.server_pid) - self.own
        return max(0.0, machine_busy_seconds() - self.machine - own) / (time.monotonic() - self.began)


def conditions(load_before, meter):
    """The machine's state over a measurement: load averages at its start (1, 5, 15 minutes,
    counting our own processes) and the cores other people's processes kept busy during it."""
    return f"{load_before}; others {meter.cores():.2f} cores"


def run(args, env=None, **kwargs):
    return subprocess.run(args, env=env, check=True, text=True, stdout=subprocess.PIPE, **kwargs).stdout


def key_values(text, prefix=""):
    values = {}
    for line in text.splitlines():
        parts = line.split(" ", 1)
        if len(parts) == 2 and parts[0].startswith(prefix):
            values[parts[0]] = parts[1]
    return values


def start_xvfb():
    for number in range(90, 100):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
            display = f":{number}"
            server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                    return server, display
                time.sleep(0.05)
            server.kill()
    sys.exit("bench: no Xvfb display could be started")


def percentile(sorted_values, fraction):
    return sorted_values[min(len(sorted_values) - 1, int(fraction * len(sorted_values)))]


def frame_stats(csv_path):
    """Per (renderer, kind): wall-clock p50/p99/max and CPU-time p50/p99, in microseconds."""
    wall, cpu = {}, {}
    with open(csv_path) as f:
        for row in csv.DictReader(f):
            key = (row["renderer"], row["kind"])
            wall.setdefault(key, []).append(float(row["microseconds"]))
            cpu.setdefault(key, []).append(float(row["cpu_microseconds"]))
    stats = {}
    for key, values in wall.items():
        values.sort()
        cpu[key].sort()
        stats[key] = {"n": len(values), "p50": percentile(values, 0.5), "p99": percentile(values, 0.99),
                      "max": values[-1], "sorted": values,
                      "cpu_sorted": cpu[key], "cpu_p50": percentile(cpu[key], 0.5), "cpu_p99": percentile(cpu[key], 0.99),
                      "over_budget": sum(v > FRAME_BUDGET_US for v in values)}
    return stats


def callgrind_counts(bench, build, env):
    """Instructions per frame, game and floor, with the software renderer."""
    out_file = os.path.join(build, "callgrind.out.bench")
    subprocess.run(["valgrind", "--tool=callgrind", "--instr-atstart=no", f"--callgrind-out-file={out_file}",
                    bench, "frames", str(CALLGRIND_FRAMES), str(CALLGRIND_WARM_UP_FRAMES),
                    os.path.join(build, "callgrind-frames.csv"), "software"],
                   env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    report = run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", out_file])
    counts = {}
    for kind, function in (("game", "runGameFrame"), ("floor", "runFloorFrame")):
        match = re.search(r"^\s*([\d,]+) .*\b" + function + r"\b", report, re.M)
        counts[kind] = int(match.group(1).replace(",", "")) / CALLGRIND_FRAMES if match else None
    return counts


class GameProcess:
    """The real binary, with every stdout line time-stamped on the steady clock as it arrives."""

    def __init__(self, args, env):
        self.lines = []
        self.condition = threading.Condition()
        self.started_ns = time.monotonic_ns()
        self.process = subprocess.Popen(args, cwd=PICTURES_ROOT, env=env, text=True, bufsize=1,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            with self.condition:
                self.lines.append((time.monotonic_ns(), line.rstrip("\n")))
                self.condition.notify_all()

    def wait_for(self, predicate, start=0, timeout=20.0):
        """Index of the first line from `start` on that satisfies `predicate`."""
        deadline = time.monotonic() + timeout
        with self.condition:
            while True:
                for index in range(start, len(self.lines)):
                    if predicate(self.lines[index][1]):
                        return index
                remaining = deadline - time.monotonic()
                if remaining <= 0 or self.process.poll() is not None:
                    raise RuntimeError(f"bench: the game never printed what was awaited; got {self.lines[-5:]}")
                self.condition.wait(remaining)

    def seconds_to(self, text):
        index = self.wait_for(lambda line: line == text)
        return (self.lines[index][0] - self.started_ns) / 1e9

    def peak_rss_kb(self):
        with open(f"/proc/{self.process.pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return None

    def read_position(self, env):
        """Presses E and returns (x, steady-clock nanoseconds when the block arrived)."""
        start = len(self.lines)
        subprocess.run(["xdotool", "key", "e"], env=env, check=True)
        index = self.wait_for(lambda line: re.fullmatch(r"-?\d+ -?\d+", line) is not None, start)
        return int(self.lines[index][1].split()[0]), self.lines[index][0]

    def stop(self):
        # SDL turns SIGTERM into a quit event, so the game tears down as on a window close.
        self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return self.process.wait()


def walk_segment(game, env, key, longest):
    """Holds `key` for up to `longest` seconds; returns (frames run, frame windows passed, seconds)."""
    subprocess.run(["xdotool", "keydown", key], env=env, check=True)
    time.sleep(SETTLE_SECONDS)
    x0, t0 = game.read_position(env)
    # Stop short of the world's edge even when every frame runs: the clamp would hide frames.
    room = (x0 - WALK_MIN_X if key == "a" else WALK_MAX_X - x0) - EDGE_MARGIN_PIXELS
    time.sleep(max(0.0, min(longest, room / PIXELS_PER_FRAME * PERIOD_US / 1e6)))
    x1, t1 = game.read_position(env)
    subprocess.run(["xdotool", "keyup", key], env=env, check=True)
    if min(x0, x1) <= WALK_MIN_X or max(x0, x1) >= WALK_MAX_X:
        raise RuntimeError(f"bench: the walk reached the world's edge ({x0} to {x1})")
    # The gate opens when the steady clock in microseconds is a multiple of the period,
    # so the windows passed between the two readings can be counted exactly.
    windows = (t1 // 1000) // PERIOD_US - (t0 // 1000) // PERIOD_US
    return abs(x1 - x0) // PIXELS_PER_FRAME, windows, (t1 - t0) / 1e9


def spawn_seconds(args, env, line):
    """Seconds from spawning `args` to its printing `line`; the process is then stopped."""
    process = GameProcess(args, env)
    try:
        return process.seconds_to(line)
    finally:
        process.stop()


def renderer_env(env, renderer):
    return dict(env, **(SOFTWARE_ENV if renderer == "software" else {}))


def run_game(binary, env, renderer, hog, server_pid):
    """One run of the real binary: start-up times, pacing over two walks, peak memory."""
    game_env = renderer_env(env, renderer)
    load_before, meter = load_average(), OthersMeter(server_pid)
    hog_process = subprocess.Popen(["sh", "-c", "while :; do :; done"]) if hog else None
    game = GameProcess([binary], game_env)
    try:
        result = {"init_s": game.seconds_to("init success"), "ready_s": game.seconds_to("player init")}
        time.sleep(1.0)
        window = run(["xdotool", "search", "--sync", "--name", "^Hollowmere$"], env=env).split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, check=True)
        frames = windows = 0
        seconds = 0.0
        key = "d"
        # When frames are lost the walks fall short of the edges, so more of them are needed.
        while seconds < PACING_SECONDS - 0.5:
            f, w, s = walk_segment(game, env, key, min(SEGMENT_SECONDS, PACING_SECONDS - seconds))
            frames, windows, seconds = frames + f, windows + w, seconds + s
            x, _ = game.read_position(env)
            key = "a" if x > (WALK_MIN_X + WALK_MAX_X) // 2 else "d"
        result.update(frames=frames, windows=windows, seconds=seconds, ratio=frames / windows,
                      peak_rss_kb=game.peak_rss_kb())
    finally:
        result_code = game.stop()
        if hog_process:
            hog_process.kill()
            hog_process.wait()
    result["exit"] = result_code
    result["load"] = conditions(load_before, meter)
    return result


def plot(stats, renderer_names, png_path, data_dir):
    """CDFs of frame times, game against floor for each renderer: wall clock left, CPU time right."""
    colours = {"software": "#1f5fbf", "default": "#d9730d"}
    panels = {}
    for clock, field in (("wall", "sorted"), ("cpu", "cpu_sorted")):
        lines = []
        for renderer in RENDERERS:
            for kind in ("game", "floor"):
                values = stats[(renderer, kind)][field]
                path = os.path.join(data_dir, f"cdf-{clock}-{renderer}-{kind}.dat")
                with open(path, "w") as f:
                    for index, value in enumerate(values):
                        f.write(f"{value / 1000:.4f} {(index + 1) / len(values):.5f}\n")
                dash = "dt 1" if kind == "game" else "dt 2"
                name = renderer_names[renderer].split(" ")[0]
                label = renderer if name == renderer else f"{renderer} ({name})"
                lines.append(f"'{path}' using 1:2 with lines lw 2 {dash} lc rgb '{colours[renderer]}' "
                             f"title '{label}: {kind}'")
        panels[clock] = ", ".join(lines)
    budget = FRAME_BUDGET_US / 1000
    script = f"""
set terminal pngcairo size 1400,600 noenhanced
set output '{png_path}'
set multiplot layout 1,2 title 'Frame step (update + render + present), game against the floor making the same SDL calls, {FRAMES} frames each'
set ylabel 'fraction of frames at or below'
set key bottom right
set grid
set yrange [0:1]
set logscale x
set xrange [5:*]
set arrow 1 from {budget},0 to {budget},1 nohead dt 3 lc rgb 'red'
set label 1 'frame budget 16.57 ms' at {budget},0.5 rotate by 90 offset -1,0 tc rgb 'red'
set title 'wall clock (steady_clock)'
set xlabel 'milliseconds per frame, log scale'
plot {panels['wall']}
set title 'CPU time of the process over the same span'
set xlabel 'CPU milliseconds per frame, log scale'
plot {panels['cpu']}
unset multiplot
"""
    try:
        subprocess.run(["gnuplot"], input=script, text=True, check=True)
    except subprocess.CalledProcessError:
        # Without cairo, gnuplot's plain png terminal draws the same lines.
        subprocess.run(["gnuplot"], input=script.replace("pngcairo", "png"), text=True, check=True)


def verdict(ok):
    return "met" if ok else "**missed**"


def mib(kb_or_bytes, bytes_=False):
    return f"{kb_or_bytes / (1 << 20 if bytes_ else 1 << 10):.1f} MiB"


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    bench = os.path.join(build, "bench", "hollowmere_bench")
    binary = os.path.join(build, "hollowmere")
    os.chdir(PICTURES_ROOT)
    server, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display)
    for name in SOFTWARE_ENV:
        env.pop(name, None)
    began = time.time()
    try:
        print(f"bench: {time.time() - began:5.0f} s: Xvfb on {display}, load {load_average()}", flush=True)
        reference = [key_values(run([bench, "reference"]), "reference")]
        pictures_out = run([bench, "pictures"], env=env)
        versions = key_values(pictures_out, "sdl")
        pictures = [line.split()[1:] for line in pictures_out.splitlines() if line.startswith("picture ")]

        print(f"bench: {time.time() - began:5.0f} s: frame cost, {FRAMES} frames per renderer and kind", flush=True)
        load, meter = load_average(), OthersMeter(server.pid)
        frames_csv = os.path.join(build, "frames.csv")
        frames_out = run([bench, "frames", str(FRAMES), str(WARM_UP_FRAMES), frames_csv, *RENDERERS], env=env)
        frames_load = conditions(load, meter)
        renderer_names = {line.split(" ", 2)[1]: line.split(" ", 2)[2]
                          for line in frames_out.splitlines() if line.startswith("renderer ")}
        stats = frame_stats(frames_csv)
        plot(stats, renderer_names, os.path.join(ROOT, "docs", "frame-times.png"), build)

        print(f"bench: {time.time() - began:5.0f} s: callgrind instruction counts", flush=True)
        callgrind_load = load_average()
        counts = callgrind_counts(bench, build, env)

        print(f"bench: {time.time() - began:5.0f} s: start-up in process", flush=True)
        startup = {}
        for renderer in RENDERERS:
            load, meter = load_average(), OthersMeter(server.pid)
            values = key_values(run([bench, "startup", str(STARTUP_REPEATS), renderer],
                                    env=renderer_env(env, renderer)), "startup")
            startup[renderer] = {key: float(value) for key, value in values.items()}
            game_spawn, floor_spawn = [], []
            for _ in range(SPAWN_REPEATS):
                game_spawn.append(spawn_seconds([binary], renderer_env(env, renderer), "player init"))
                floor_spawn.append(spawn_seconds([bench, "floor-once", renderer], renderer_env(env, renderer),
                                                 "floor frame presented"))
            startup[renderer]["spawn_game_s"] = sorted(game_spawn)[SPAWN_REPEATS // 2]
            startup[renderer]["spawn_floor_s"] = sorted(floor_spawn)[SPAWN_REPEATS // 2]
            startup[renderer]["load"] = conditions(load, meter)

        print(f"bench: {time.time() - began:5.0f} s: cost of each layer", flush=True)
        layers = {}
        for renderer in RENDERERS:
            load, meter = load_average(), OthersMeter(server.pid)
            out = run([bench, "layers", str(LAYER_REPEATS), renderer], env=renderer_env(env, renderer))
            layers[renderer] = dict(key_values(out, "layers"), load=conditions(load, meter))

        print(f"bench: {time.time() - began:5.0f} s: loop passes", flush=True)
        passes = {}
        for renderer in RENDERERS:
            load, meter = load_average(), OthersMeter(server.pid)
            values = key_values(run([bench, "passes", str(PASS_SECONDS), renderer],
                                    env=renderer_env(env, renderer)), "passes")
            passes[renderer] = dict(values, load=conditions(load, meter))

        print(f"bench: {time.time() - began:5.0f} s: memory baseline", flush=True)
        baseline = {}
        for renderer in RENDERERS:
            baseline[renderer] = int(key_values(run([bench, "baseline", "3", renderer],
                                                    env=renderer_env(env, renderer)))["baseline_vmhwm_kb"])

        runs = {}
        for renderer in RENDERERS:
            for hog in (False, True):
                print(f"bench: {time.time() - began:5.0f} s: pacing, {renderer} renderer, {'one CPU hog beside it' if hog else 'idle'}", flush=True)
                runs[(renderer, hog)] = run_game(binary, env, renderer, hog, server.pid)
        reference.append(key_values(run([bench, "reference"]), "reference"))
    finally:
        server.terminate()
        server.wait()

    report = write_report(reference, pictures, versions, renderer_names, stats, frames_load, counts, callgrind_load,
                          layers, startup, passes, baseline, runs, time.time() - began)
    path = os.path.join(ROOT, "docs", "PERFORMANCE.md")
    with open(path) as f:
        text = f.read()
    if BEGIN_MARK in text and END_MARK in text:
        text = text[:text.index(BEGIN_MARK)] + report + text[text.index(END_MARK) + len(END_MARK):]
    else:
        text += "\n" + report + "\n"
    with open(path, "w") as f:
        f.write(text)
    print(report)


def write_report(reference, pictures, versions, renderer_names, stats, frames_load, counts, callgrind_load,
                 layers, startup, passes, baseline, runs, duration):
    lscpu = run(["lscpu"])
    model = re.search(r"Model name:\s*(.+)", lscpu).group(1).strip()
    out = [BEGIN_MARK, "", "## Figures", "",
           f"Measured {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())} by `make bench` in {duration:.0f} s "
           f"on {model}, {os.cpu_count()} cores, Linux {platform.release()}, SDL {versions.get('sdl_version')}, "
           f"SDL_image {versions.get('sdl_image_version')}, under Xvfb (1024 × 768 × 24). "
           f"Renderers: software = `{renderer_names.get('software')}`, "
           f"default = `{renderer_names.get('default')}`. Conditions of each measurement: the load "
           "averages (1, 5, 15 minutes) as it began, which count our own busy processes too, and the cores "
           "that other people's processes kept busy during it (from /proc/stat less our processes' CPU time); "
           "0.00 is a quiet machine. Reference workloads (`hollowmere_bench reference`: fixed computation / "
           "64 MiB copies / a pointer chase that misses the caches), at the start and at the end: "
           + " and ".join(f"{r['reference_compute_ms']} / {r['reference_copy_ms']} / {r['reference_chase_ms']} ms"
                          for r in reference)
           + "; slower figures than in an earlier run mean a slower machine than the load shows (other virtual "
           "machines on the host, for one).", ""]

    out += ["### Pictures", "", "| picture | decoded as | size | file | kept surface | 32-bit texture |",
            "|---|---|---|---|---|---|"]
    surface_bytes = texture_bytes = 0
    for path, kind, w, h, file_bytes, surface, texture, _bits in pictures:
        out.append(f"| {path} | {kind} | {w} × {h} | {int(file_bytes) / 1024:.0f} KiB | "
                   f"{mib(int(surface), True)} | {mib(int(texture), True)} |")
        surface_bytes += int(surface)
        texture_bytes += int(texture)
        if path.endswith("Player.png"):
            texture_bytes += int(texture)  # the player's own second texture
    out.append("")

    out += ["### Frame cost", "",
            f"{FRAMES} frames each after {WARM_UP_FRAMES} untimed, game and floor taking turns in one process, "
            f"{frames_load}. Times in microseconds: wall clock (steady_clock around "
            "update + render + present), and the process's CPU time over the same span (all its threads).", "",
            "| renderer | kind | p50 | p99 | max | frames over 16.57 ms | CPU p50 | CPU p99 | "
            "p99 game ÷ floor | target ≤ 1.05 | CPU p99 game ÷ floor |",
            "|---|---|---|---|---|---|---|---|---|---|---|"]
    for renderer in RENDERERS:
        game, floor = stats[(renderer, "game")], stats[(renderer, "floor")]
        ratio = game["p99"] / floor["p99"]
        cpu_ratio = game["cpu_p99"] / floor["cpu_p99"]
        for kind, s in (("game", game), ("floor", floor)):
            tail = (f"{ratio:.3f} | {verdict(ratio <= TARGET_FRAME_RATIO)} | {cpu_ratio:.3f}" if kind == "game"
                    else " | | ")
            out.append(f"| {renderer} | {kind} | {s['p50']:.0f} | {s['p99']:.0f} | {s['max']:.0f} | "
                       f"{s['over_budget']} | {s['cpu_p50']:.0f} | {s['cpu_p99']:.0f} | {tail} |")
    if counts.get("game") and counts.get("floor"):
        out += ["", f"Callgrind, software renderer, {CALLGRIND_FRAMES} frames each after {CALLGRIND_WARM_UP_FRAMES} uncounted, load {callgrind_load} "
                f"(counts do not depend on it): {counts['game']:,.0f} instructions per game frame against "
                f"{counts['floor']:,.0f} per floor frame, ratio {counts['game'] / counts['floor']:.4f}."]
    out += ["", "![frame-time distribution](frame-times.png)", "",
            f"What each layer adds to a frame that only clears and presents, CPU microseconds, median of "
            f"{LAYER_REPEATS} frames, at the first frame's positions and tints:", "",
            "| layer | " + " | ".join(RENDERERS) + " |", "|---|" + "---|" * len(RENDERERS)]
    for name in ("empty_frame", "Sky", "Clouds", "Background2", "Background1", "Ground", "Player"):
        cells = []
        for renderer in RENDERERS:
            value = layers[renderer].get(f"layers_{name}_us", "?").split(" ", 1)
            cells.append(value[0] + (f" ({value[1]})" if len(value) > 1 else ""))
        label = "clear + present alone" if name == "empty_frame" else name
        out.append(f"| {label} | " + " | ".join(cells) + " |")
    out += ["", "Conditions: " + "; ".join(f"{r} {layers[r]['load']}" for r in RENDERERS) + ".", ""]

    out += ["### Pacing", "",
            f"The real binary, walks of up to {SEGMENT_SECONDS} s (D, then A, ...) adding up to {PACING_SECONDS:.0f} s "
            "per run; frames = pixels walked ÷ 8, windows = frame windows opened on the steady clock between the "
            "readings.", "",
            "| renderer | beside it | seconds measured | frames | windows | frames ÷ windows | target | conditions |",
            "|---|---|---|---|---|---|---|---|"]
    for (renderer, hog), r in runs.items():
        target = verdict(r["ratio"] >= TARGET_PACING) if renderer == "software" and not hog else "—"
        out.append(f"| {renderer} | {'one CPU hog' if hog else 'nothing'} | {r['seconds']:.1f} | {r['frames']} | "
                   f"{r['windows']} | "
                   f"{r['ratio']:.4f} | {target} | {r['load']} |")
    out += ["", f"Loop passes without frames (event drain + gate), {PASS_SECONDS} s per renderer in process: a pass "
            "of 100 µs or more could step over a frame window.", "",
            "| renderer | passes | p50 µs | p99.9 µs | max µs | passes ≥ 100 µs | conditions |", "|---|---|---|---|---|---|---|"]
    for renderer in RENDERERS:
        p = passes[renderer]
        out.append(f"| {renderer} | {p['passes_count']} | {p['passes_p50_us']} | {p['passes_p999_us']} | "
                   f"{p['passes_max_us']} | {p['passes_over_window']} | {p['load']} |")
    out.append("")

    out += ["### Start-up", "",
            f"In process, median of {STARTUP_REPEATS} rounds: the game's start-up and first frame against the floor "
            "(the same SDL_Init, window and renderer, IMG_Load of the six pictures, their textures, one bare frame). "
            "Milliseconds.", "",
            "| renderer | game | floor | game ÷ floor | target ≤ 1.1 | floor: SDL + window + renderer | "
            "decode | textures | frame | conditions |", "|---|---|---|---|---|---|---|---|---|---|"]
    for renderer in RENDERERS:
        s = startup[renderer]
        ratio = s["startup_game_us"] / s["startup_floor_us"]
        out.append(f"| {renderer} | {s['startup_game_us'] / 1000:.1f} | {s['startup_floor_us'] / 1000:.1f} | "
                   f"{ratio:.3f} | {verdict(ratio <= TARGET_STARTUP_RATIO)} | "
                   f"{s['startup_floor_init_us'] / 1000:.1f} | {s['startup_floor_decode_us'] / 1000:.1f} | "
                   f"{s['startup_floor_textures_us'] / 1000:.1f} | {s['startup_floor_frame_us'] / 1000:.1f} | "
                   f"{s['load']} |")
    out += ["", f"From process spawn, median of {SPAWN_REPEATS} processes each (cold SDL, warm page cache): the real "
            "binary until it prints \"player init\" (the loop starts next, and its first frame comes at the next "
            "frame window, up to 16.7 ms later, plus one frame's cost), against the floor program until its first "
            "frame is presented. Seconds.", "",
            "| renderer | game to \"player init\" | floor to first frame | ratio |", "|---|---|---|---|"]
    for renderer in RENDERERS:
        s = startup[renderer]
        out.append(f"| {renderer} | {s['spawn_game_s']:.3f} | {s['spawn_floor_s']:.3f} | "
                   f"{s['spawn_game_s'] / s['spawn_floor_s']:.3f} |")
    out.append("")

    floor_kb = (surface_bytes + texture_bytes) / 1024
    out += ["### Memory", "",
            f"Floor: textures {mib(texture_bytes, True)} (every picture at 4 bytes a pixel, the player's twice) + "
            f"kept surfaces {mib(surface_bytes, True)} = {mib(floor_kb)}. Baseline: the same SDL set-up drawing "
            "nothing, no pictures. Peak resident set (VmHWM) of the real binary at the end of its idle run.", "",
            "| renderer | peak RSS | baseline | peak − baseline | (peak − baseline) ÷ floor | target ≤ 1.1 | "
            "peak ÷ (baseline + floor) |", "|---|---|---|---|---|---|---|"]
    for renderer in RENDERERS:
        peak = runs[(renderer, False)]["peak_rss_kb"]
        base = baseline[renderer]
        ratio = (peak - base) / floor_kb
        out.append(f"| {renderer} | {mib(peak)} | {mib(base)} | {mib(peak - base)} | {ratio:.3f} | "
                   f"{verdict(ratio <= TARGET_MEMORY_RATIO)} | {peak / (base + floor_kb):.3f} |")
    out += ["", END_MARK]
    return "\n".join(out)


if __name__ == "__main__":
    main()
