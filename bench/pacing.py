# The real binary walking under xdotool's keys: frames run against the frame windows opened, and its peak memory.
import re
import signal
import subprocess
import time

from game.console import DEBUG_LINES, START, debug_block
from game.geometry import PERIOD_US, STRIDE, TITLE

# The walk to the right, in seconds: from x = START_X to the clamp at RIGHT_EDGE takes 14.8 s.
WALK_SECONDS = 13.5


def xdotool(env, *args):
    subprocess.run(["xdotool", *args], env=env, check=True, stdout=subprocess.DEVNULL)


# Presses E; returns the player's x from the debug block and the steady-clock nanoseconds it arrived at.
def read_x(game, env):
    press = subprocess.Popen(["xdotool", "key", "e"], env=env)
    lines = [game.stdout.readline()]
    arrived = time.monotonic_ns()
    lines += [game.stdout.readline() for _ in range(DEBUG_LINES - 1)]
    press.wait()
    return debug_block(lines)[0], arrived


# Walks right, then left: frames run, frame windows opened, peak resident kB; `hog` runs a busy loop beside.
def pace(binary, env, hog):
    beside = subprocess.Popen(["sh", "-c", "while :; do :; done" if hog else ":"])
    game = subprocess.Popen([binary], env=env, text=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        while game.stdout.readline() not in (START[-1] + "\n", ""):
            pass
        time.sleep(1.0)
        xdotool(env, "search", "--sync", "--name", f"^{TITLE}$", "windowfocus", "--sync")
        frames, windows, walk = 0, 0, WALK_SECONDS
        for key in "da":
            # The key is down before the first reading, as X delivers events in order.
            xdotool(env, "keydown", key)
            x0, t0 = read_x(game, env)
            time.sleep(walk)
            x1, t1 = read_x(game, env)
            xdotool(env, "keyup", key)
            frames += abs(x1 - x0) // STRIDE
            # The gate opens when the steady clock in microseconds is a multiple of the period.
            windows += (t1 // 1000) // PERIOD_US - (t0 // 1000) // PERIOD_US
            # Back left no farther than it came, so the clamp at LEFT_EDGE never hides a frame.
            walk = abs(x1 - x0) // STRIDE * PERIOD_US / 1e6
        peak_kb = int(re.search(r"VmHWM:\s*(\d+)", open(f"/proc/{game.pid}/status").read()).group(1))
    finally:
        # SDL turns SIGTERM into a quit event, so the game tears down as on a window close.
        game.send_signal(signal.SIGTERM)
        game.wait()
        beside.kill()
        beside.wait()
    return frames, windows, peak_kb
