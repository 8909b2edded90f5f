#!/usr/bin/env python3
"""The game as a player meets it, in the X server that xvfb-run provides: the
console, real key events from xdotool, the window's pixels and the exit status.
It also checks the status and cause of a start-up that fails.
Usage: play.py [--wine] GAME
  --wine  GAME is the Windows build, run under wine: lines end in CRLF, the
          window is closed with Alt+F4 and "pause" prints last."""

import atexit
import os
import queue
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time

START = ["SDL init success", "Window creation successful", "renderer creation success",
         "Loaded Parallax Images", "init success", "Player ts init", "player init"]
LAYERS = ["Background1", "Background2", "Ground", "Sky", "Clouds"]
RED, BLUE = (255, 0, 0), (0, 0, 255)
FRAME_SECONDS = (1000000 // 60) / 1e6
# Seconds anything the game or X should do promptly may take.
PROMPT = 30
WINE = "--wine" in sys.argv
PAUSE = ["Press any key to continue... "] if WINE else []


def make_images(folder):
    """An opaque white sky, clear layers, and a sprite red in its first 8 columns, blue after."""
    os.makedirs(os.path.join(folder, "Images", "Background"))
    pictures = {"Player": ["32x32", "xc:blue", "-fill", "red", "-draw", "rectangle 0,0 7,31"]}
    pictures.update((layer, ["1x1", "xc:none"]) for layer in LAYERS)
    pictures["Sky"] = ["8192x768", "xc:white"]
    for name, drawing in pictures.items():
        path = "Images/Player.png" if name == "Player" else "Images/Background/%s.png" % name
        subprocess.run(["convert", "-size"] + drawing + ["PNG32:" + os.path.join(folder, path)], check=True)


def check(ok, what, got, expected):
    if not ok:
        sys.exit("FAIL %s\n  got:      %r\n  expected: %r" % (what, got, expected))


class Game:
    def __init__(self, binary, folder, env=None):
        self.process = subprocess.Popen(["/usr/lib/wine/wine64"] * WINE + [binary], cwd=folder,
                                        env=dict(os.environ, **(env or {})), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        # Whatever happens to this script, the game does not outlive it.
        atexit.register(self.process.kill)
        self.lines = queue.Queue()
        threading.Thread(target=lambda: [self.lines.put(l.rstrip("\n")) for l in self.process.stdout]
                         + [self.lines.put(None)], daemon=True).start()

    def expect(self, expected, what):
        got = [self.lines.get(timeout=PROMPT) for _ in expected]
        check(got == expected, what, got, expected)

    def finish(self, status, cause=None):
        """Waits for the end; checks the status, the console's end and standard error."""
        code = self.process.wait(PROMPT)
        check(code == status, "exit status", code, status)
        rest = []
        while (line := self.lines.get(timeout=PROMPT)) is not None:
            rest.append(line)
        check(rest == PAUSE, "the console after the last line", rest, PAUSE)
        err = self.process.stderr.read()
        check(err.startswith(cause) if cause else err == "", "standard error", err, cause or "")


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=True, timeout=PROMPT)


def debug_block(game):
    """Presses E; returns x, y and speed from the block it prints."""
    xdotool("key", "e")
    lines = [game.lines.get(timeout=PROMPT) for _ in range(4)]
    match = re.fullmatch(r"(\d+) (\d+)\n540 540\n(\d+)\n", "\n".join(map(str, lines)))
    check(match, "debug block", lines, ["x y", "540 540", "speed", ""])
    return tuple(map(int, match.groups()))


def wait_for(game, done):
    """Debug blocks until one satisfies `done`, or the prompt time is out; returns the last."""
    deadline = time.monotonic() + PROMPT
    block = debug_block(game)
    while not done(block) and time.monotonic() < deadline:
        time.sleep(0.1)
        block = debug_block(game)
    return block


def sprite_edge_colours(window):
    """The window's pixels at the sprite's left and right edges."""
    grab = subprocess.run("xwd -silent -id %s | convert xwd:- -depth 8 rgb:-" % window, shell=True,
                          stdout=subprocess.PIPE, check=True, timeout=PROMPT).stdout
    return [tuple(grab[3 * (570 * 1024 + x):3 * (570 * 1024 + x) + 3]) for x in (541, 602)]


def play(binary, folder):
    game = Game(binary, folder)
    game.expect(START, "start-up lines")
    window = subprocess.run(["xdotool", "search", "--sync", "--name", "^Hollowmere$"], timeout=PROMPT,
                            stdout=subprocess.PIPE, text=True).stdout.split()[0]
    xdotool("windowfocus", window)
    block = wait_for(game, lambda block: block[1] == 630)
    check(block == (540, 630, 80), "debug block at rest after the first frame", block, (540, 630, 80))

    # Walks at least ten frames; a busy machine or wine may leave many frame windows unused.
    xdotool("keydown", "d")
    started = time.monotonic()
    wait_for(game, lambda block: block[0] >= 540 + 8 * 10)
    xdotool("keyup", "d")
    seconds = time.monotonic() - started
    x, y, _ = debug_block(game)
    frames = (x - 540) // 8
    check(x > 540 and (x - 540) % 8 == 0 and y == 630, "walking right 8 pixels a frame", x, "540 + 8n")
    check(frames <= seconds / FRAME_SECONDS + 2, "frames in %.2f s" % seconds, frames, "one a period")
    edges = sprite_edge_colours(window)
    check(edges == [RED, BLUE], "sprite edges facing right", edges, [RED, BLUE])

    # A slow build may run one frame for several presses; each press waits for its frame.
    for speed in range(81, 86):
        xdotool("key", "equal")
        block = wait_for(game, lambda block: block[2] >= speed)
        check(block[2] == speed, "speed after a press of =", block[2], speed)

    xdotool("keydown", "a")
    wait_for(game, lambda block: block[0] == 495)
    xdotool("keyup", "a")
    block = debug_block(game)
    check(block[:2] == (495, 630), "walking left stops at the edge", block, (495, 630, 85))
    edges = sprite_edge_colours(window)
    check(edges == [BLUE, RED], "sprite edges facing left", edges, [BLUE, RED])

    if WINE:
        xdotool("key", "alt+F4")
    else:
        game.process.send_signal(signal.SIGTERM)
    game.finish(0)


def main():
    binary = os.path.abspath(sys.argv[-1])
    with tempfile.TemporaryDirectory() as folder:
        game = Game(binary, folder, {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"})
        game.expect(START[:3] + ["player load fail"] + START[5:], "start with no Images")
        game.finish(1, "Images/Player.png: ")
        make_images(folder)
        play(binary, folder)
    print("PASS")


if __name__ == "__main__":
    main()
