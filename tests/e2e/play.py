#!/usr/bin/env python3
"""The game as a player meets it: the console, real key events, the scene's
pixels and how it ends; also a start that fails. One set of checks, three drivers:
  play.py GAME             the desktop build in the X server xvfb-run provides, keys from xdotool
  play.py --wine GAME      the Windows build under wine: lines end in CRLF, Alt+F4 closes, "pause" prints last
  play.py --web SITE GAME  the page in Chromium, Firefox and WebKit in turn (web/browser.py), keys from
                           their automation; GAME, the desktop build, draws the first frame the page's must
                           equal. WebKit needs the X server xvfb-run provides"""

import atexit
import os
import queue
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "web"))
import browser  # noqa: E402

START = ["SDL init success", "Window creation successful", "renderer creation success",
         "Loaded Parallax Images", "init success", "Player ts init", "player init"]
FAILED_START = START[:3] + ["player load fail"] + START[5:]
LAYERS = ["Background1", "Background2", "Ground", "Sky", "Clouds"]
IMAGES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "Images")
FRAME_SECONDS = (1000000 // 60) / 1e6
# Seconds D is held at least in the walk whose frames are counted against the periods.
WALK_SECONDS = 1.0
# Seconds anything the game, X or the browser should do promptly may take.
PROMPT = 30
WINE = "--wine" in sys.argv
PAUSE = ["Press any key to continue... "] if WINE else []
# The browser engines the page is played in (--engine=NAME for one), and the one playing now, named in failures.
ENGINES = [a.split("=")[1] for a in sys.argv if a.startswith("--engine=")] or list(browser.ENGINES)
ENGINE = ""
# Lets the page's first display frame through and holds the rest until the test steps or releases them.
# step() resolves once it has run the held pass in a display frame more than a frame period after the
# last pass's, so that the pass it lets through runs a frame.
HOLD_FRAMES = """window.held = []; window.framesLeft = 1; let ranAt = -Infinity;
const native = requestAnimationFrame.bind(window);
const raf = f => native(t => { ranAt = t; f(t); });
window.requestAnimationFrame = f => framesLeft-- > 0 ? raf(f) : held.push(f);
window.step = () => new Promise(done => native(function wait(t) {
  if (!held.length || t - ranAt <= 1000 / 60) return native(wait);
  ranAt = t;
  held.splice(0).forEach(f => f(t));
  done();
}));
window.release = () => { framesLeft = Infinity; held.splice(0).forEach(raf); };"""
# The frames compared with the desktop's: the first, and the first the sky's tint has stepped in.
FRAMES = (1, 7)


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
        sys.exit("FAIL %s%s\n  got:      %r\n  expected: %r" % (ENGINE, what, got, expected))


def pixels(data, kind, channels="rgb", *edits):
    """A picture's bytes, decoded by ImageMagick, 8 bits a channel."""
    return subprocess.run(["convert", kind + ":-"] + list(edits) + ["-depth", "8", channels + ":-"], input=data,
                          stdout=subprocess.PIPE, check=True, timeout=PROMPT).stdout


def first_cell(folder):
    """The sprite sheet's first 32 x 32 cell: RGBA bytes."""
    with open(os.path.join(folder, "Player.png"), "rb") as sheet:
        return pixels(sheet.read(), "png", "rgba", "-crop", "32x32+0+0")


class Desktop:
    """The desktop or Windows build in X: its console, xdotool's keys, xwd's grab of the window."""

    def __init__(self, binary, folder, env=None):
        self.process = subprocess.Popen(["/usr/lib/wine/wine64"] * WINE + [binary], cwd=folder,
                                        env=dict(os.environ, **(env or {})), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        # Whatever happens to this script, the game does not outlive it.
        atexit.register(self.process.kill)
        self.lines = queue.Queue()
        threading.Thread(target=lambda: [self.lines.put(l.rstrip("\n")) for l in self.process.stdout]
                         + [self.lines.put(None)], daemon=True).start()
        self.window = None

    def line(self):
        return self.lines.get(timeout=PROMPT)

    def keys(self, action, key):
        if self.window is None:
            self.window = subprocess.run(["xdotool", "search", "--sync", "--name", "^Hollowmere$"],
                                         timeout=PROMPT, stdout=subprocess.PIPE, text=True).stdout.split()[0]
            self.keys("windowfocus", self.window)
        subprocess.run(["xdotool", action, {"=": "equal"}.get(key, key)], check=True, timeout=PROMPT)

    def scene(self):
        grab = subprocess.run(["xwd", "-silent", "-id", self.window], stdout=subprocess.PIPE,
                              check=True, timeout=PROMPT).stdout
        return pixels(grab, "xwd")

    def close(self):
        if WINE:
            self.keys("key", "alt+F4")
        else:
            self.process.send_signal(signal.SIGTERM)
        self.finish(0)

    def finish(self, status, cause=None):
        """Waits for the end; checks the status, the console's end and standard error."""
        code = self.process.wait(PROMPT)
        check(code == status, "exit status", code, status)
        rest = []
        while (line := self.line()) is not None:
            rest.append(line)
        check(rest == PAUSE, "the console after the last line", rest, PAUSE)
        err = self.process.stderr.read()
        check(err.startswith(cause) if cause else err == "", "standard error", err, cause or "")


class Page:
    """The page served on loopback in one browser engine; the canvas as the browser shows it."""

    def __init__(self, engine, site):
        self.browser = engine()
        self.browser.open(browser.serve(site, HOLD_FRAMES))
        self.keys, self.run = self.browser.keys, self.browser.run

    def line(self):
        return (self.browser.console(PROMPT) or [None])[0]

    def scene(self):
        return pixels(self.browser.canvas(), "png")

    def close(self):
        panel = self.run("return document.getElementById('log').textContent").splitlines()
        check(panel[:len(START)] == START, "the page's console panel", panel[:len(START)], START)
        self.browser.collect()
        check(not self.browser.problems, "a console clean of warnings and errors", self.browser.problems, [])
        self.browser.quit()

    def finish(self, status, cause):
        """The cause of a failed start, in words on the page."""
        deadline = time.monotonic() + PROMPT
        while cause not in (words := self.run("return document.getElementById('status').textContent")):
            check(time.monotonic() < deadline, "the cause on the page", words, cause)
            time.sleep(0.1)
        self.browser.quit()


def expect(game, expected, what):
    got = [game.line() for _ in expected]
    check(got == expected, what, got, expected)


def debug_block(game):
    """Presses E; returns x, y and speed from the block it prints."""
    game.keys("key", "e")
    lines = [game.line() for _ in range(4)]
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


def check_sprite(game, sheet, facing_right):
    """Every opaque pixel of the sheet's first cell is on screen at twice its size, mirrored facing left."""
    scene, wrong = game.scene(), []
    for y, x in ((y, x) for y in range(64) for x in range(64)):
        cell = 4 * (y // 2 * 32 + (x // 2 if facing_right else 31 - x // 2))
        at = 3 * ((540 + y) * 1024 + 540 + x)
        if sheet[cell + 3] == 255 and scene[at:at + 3] != sheet[cell:cell + 3]:
            wrong.append((x, y, tuple(scene[at:at + 3]), tuple(sheet[cell:cell + 3])))
    what = "sprite facing " + ("right" if facing_right else "left, mirrored")
    check(not wrong, what, "%d pixels wrong, first (x, y, got, expected) %s" % (len(wrong), wrong[:2]), "none")


def desktop_frames(binary):
    """The desktop game's FRAMES, drawn in memory by SDL's dummy driver: RGB bytes each."""
    with tempfile.TemporaryDirectory() as folder:
        os.symlink(os.path.abspath(IMAGES), os.path.join(folder, "Images"))
        game = Desktop(binary, folder, {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy",
                                       "SDL_VIDEO_DUMMY_SAVE_FRAMES": "1"})
        # The next frame's file shows the last one wanted is complete.
        name = os.path.join(folder, "SDL_window1-%08d.bmp")
        deadline = time.monotonic() + PROMPT
        while not os.path.exists(name % (FRAMES[-1] + 1)) and time.monotonic() < deadline:
            time.sleep(0.05)
        game.process.kill()
        return [pixels(open(name % number, "rb").read(), "bmp") for number in FRAMES]


def check_scene(game, reference, what):
    """The canvas equals `reference`; WebKit may show its loading bar over it until its next paint: grabbed again."""
    deadline = time.monotonic() + PROMPT
    while True:
        scene = game.scene()
        wrong = sum(scene[i:i + 3] != reference[i:i + 3] for i in range(0, len(reference), 3))
        if len(scene) == len(reference) and not wrong or time.monotonic() > deadline:
            break
    check(len(scene) == len(reference) and not wrong, what, "%d of %d pixels differ" % (wrong, len(reference) // 3),
          "none")


def play(game, sheet, reference=None):
    expect(game, START, "start-up lines")
    if reference:
        while not game.run("return held.length"):
            time.sleep(0.01)
        check_scene(game, reference[0], "first frame as on the desktop")
        for _ in range(FRAMES[1] - FRAMES[0]):
            game.run("return step()")
        check_scene(game, reference[1], "frame %d, the sky's tint stepped, as on the desktop" % FRAMES[1])
        game.run("release()")
    block = wait_for(game, lambda block: block[1] == 630)
    check(block == (540, 630, 80), "debug block at rest after the first frame", block, (540, 630, 80))

    # Walks at least ten frames and a second; a busy machine or wine may leave many frame periods unused.
    # The key is down from some time in the first press's call until some time in the release's; a
    # whole second of it keeps the driver's delays small beside the periods, so a doubled step shows.
    started = time.monotonic()
    game.keys("keydown", "d")
    wait_for(game, lambda block: block[0] >= 540 + 8 * 10)
    time.sleep(max(0.0, WALK_SECONDS - (time.monotonic() - started)))
    game.keys("keyup", "d")
    seconds = time.monotonic() - started
    x, y, _ = debug_block(game)
    frames = (x - 540) // 8
    check(x > 540 and (x - 540) % 8 == 0 and y == 630, "walking right 8 pixels a frame", x, "540 + 8n")
    check(frames <= seconds / FRAME_SECONDS + 2, "frames in %.2f s" % seconds, frames, "one a period")
    check_sprite(game, sheet, True)

    # A slow build may run one frame for several presses; each press waits for its frame.
    for speed in range(81, 86):
        game.keys("key", "=")
        block = wait_for(game, lambda block: block[2] >= speed)
        check(block[2] == speed, "speed after a press of =", block[2], speed)

    game.keys("keydown", "a")
    wait_for(game, lambda block: block[0] == 495)
    game.keys("keyup", "a")
    block = debug_block(game)
    check(block[:2] == (495, 630), "walking left stops at the edge", block, (495, 630, 85))
    check_sprite(game, sheet, False)
    game.close()


def main():
    global ENGINE
    binary = os.path.abspath(sys.argv[-1])
    with tempfile.TemporaryDirectory() as folder:
        if "--web" in sys.argv:
            site = sys.argv[-2]
            # Pictures that cannot be read: the same site with the packed files zeroed.
            shutil.copytree(site, folder, dirs_exist_ok=True)
            data = os.path.join(folder, "hollowmere.data")
            with open(data, "r+b") as packed:
                packed.write(bytes(os.path.getsize(data)))
            reference = desktop_frames(binary)
            for name in ENGINES:
                ENGINE = "[%s] " % name
                game = Page(browser.ENGINES[name], folder)
                expect(game, FAILED_START, "start with unreadable pictures")
                game.finish(1, "Images/Player.png: ")
                play(Page(browser.ENGINES[name], site), first_cell(IMAGES), reference)
                print("PASS [%s]" % name, flush=True)
            # Then the page around the game, in Chromium: touch, full screen, offline, manifest, policy.
            if "chromium" in ENGINES:
                import page_checks
                page_checks.run(site)
                print("PASS [chromium] the page around the game", flush=True)
        else:
            game = Desktop(binary, folder, {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"})
            expect(game, FAILED_START, "start with no Images")
            game.finish(1, "Images/Player.png: ")
            make_images(folder)
            play(Desktop(binary, folder), first_cell(os.path.join(folder, "Images")))
    print("PASS")


if __name__ == "__main__":
    main()
