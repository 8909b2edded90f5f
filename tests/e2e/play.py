"""The game as a player meets it: the console, real key events, the scene's
pixels and how it ends; also a start that fails. One set of checks, three drivers, run from the repository root:
  python3 -m tests.e2e.play GAME             the desktop build in the X server xvfb-run provides, keys from xdotool
  python3 -m tests.e2e.play --wine GAME      the Windows build under wine: lines end in CRLF, Alt+F4 closes,
                                             "pause" prints last
  python3 -m tests.e2e.play --web SITE GAME  the page in Chromium, Firefox and WebKit in turn (browsers/), keys
                                             from their automation (--engine=NAME for one); GAME, the desktop
                                             build, draws the first frame the page's must equal. WebKit needs
                                             the X server xvfb-run provides"""

import atexit
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

import browsers
from game.console import FAILED_START, START
from game.geometry import (CELL, GROUND_Y, LEFT_EDGE, PERIOD_US, SCALE, SCENE, SPRITE_AT, START_SPEED, START_X,
                           STRIDE, TITLE, WORLD)
from game.pictures import IMAGES, PLAYER, SKY, pictures
from tests.e2e.checks import PROMPT, check, debug_block, expect, failing_as, wait_for, wait_until

# Seconds D is held at least in the walk whose frames are counted against the periods.
WALK_SECONDS = 1.0
WINE = "--wine" in sys.argv
PAUSE = ["Press any key to continue... "] if WINE else []
# The browser engines the page is played in.
ENGINES = [a.split("=")[1] for a in sys.argv if a.startswith("--engine=")] or list(browsers.ENGINES)
# Lets the page's first display frame through and holds every later pass, on a display frame or on the timer a
# pass sets for the next, until the test steps or releases them; counts the passes of each kind. step() resolves
# once it has run the held pass in a display frame more than a frame period after the last pass's clock, so that
# the pass runs a frame.
HOLD_FRAMES = """window.held = []; window.framesLeft = 1; window.passes = {display: 0, timer: 0};
let ranAt = -Infinity, inPass = false;
const native = requestAnimationFrame.bind(window), nativeTimeout = setTimeout.bind(window);
const pass = (f, t) => {
  passes[t === undefined ? "timer" : "display"]++;
  inPass = true;
  try { f(t); } finally { inPass = false; ranAt = t ?? performance.now(); }
};
window.requestAnimationFrame = f => framesLeft-- > 0 ? native(t => pass(f, t)) : held.push(t => pass(f, t));
window.setTimeout = (f, ...rest) => !inPass ? nativeTimeout(f, ...rest) :
  framesLeft <= 0 ? held.push(() => pass(f)) : nativeTimeout(() => pass(f), ...rest);
window.step = () => new Promise(done => native(function wait(t) {
  if (!held.length || t - ranAt <= %s) return native(wait);
  held.splice(0).forEach(f => f(t));
  done();
}));
window.release = () => { framesLeft = Infinity; native(t => held.splice(0).forEach(f => f(t))); };
""" % (PERIOD_US / 1000)
# The frames compared with the desktop's: the first; the fifth, the last of those at rest that draw the same
# as the one before; the sixth, the first the sky's tint has stepped in; the seventh, the same again.
FRAMES = (1, 5, 6, 7)


def damage_player(data):
    """The packed pictures with the player's tRNS chunk claiming more bytes than its file has, as the fuzzers
    found; returns the cause the game gives."""
    start = next(at for at in range(len(data)) if data.startswith(b"\x89PNG", at) and
                 int.from_bytes(data[at + 16:at + 20], "big") != WORLD[0])
    at = data.index(b"tRNS", start) - 4
    data[at:at + 4] = len(data).to_bytes(4, "big")
    return "Images/%s: PNG chunk tRNS at byte %d runs past the end of the file" % (PLAYER, at - start)


def make_images(folder):
    """The game's pictures drawn anew: an opaque white sky, clear layers, and a sprite red in its first 8
    columns, blue after."""
    for name in pictures():
        sprite = ["%dx%d" % (CELL, CELL), "xc:blue", "-fill", "red", "-draw", "rectangle 0,0 7,%d" % (CELL - 1)]
        drawing = {PLAYER: sprite, SKY: ["%dx%d" % WORLD, "xc:white"]}.get(name, ["1x1", "xc:none"])
        path = os.path.join(folder, "Images", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["convert", "-size"] + drawing + ["PNG32:" + path], check=True)


def pixels(data, kind, channels="rgb", *edits):
    """A picture's bytes, decoded by ImageMagick, 8 bits a channel."""
    return subprocess.run(["convert", kind + ":-"] + list(edits) + ["-depth", "8", channels + ":-"], input=data,
                          stdout=subprocess.PIPE, check=True, timeout=PROMPT).stdout


def first_cell(folder):
    """The sprite sheet's first cell: RGBA bytes."""
    with open(os.path.join(folder, PLAYER), "rb") as sheet:
        return pixels(sheet.read(), "png", "rgba", "-crop", "%dx%d+0+0" % (CELL, CELL))


class DesktopGame:
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
            self.window = subprocess.run(["xdotool", "search", "--sync", "--name", "^%s$" % TITLE],
                                         timeout=PROMPT, stdout=subprocess.PIPE, text=True).stdout.split()[0]
            self.keys("windowfocus", self.window)
        subprocess.run(["xdotool", action, {"=": "equal"}.get(key, key)], check=True, timeout=PROMPT)

    def passes(self):
        """The frames SDL has handed to the canvas, and the passes run so far on display frames and on timers."""
        return self.run("return [Module.SDL2.handed, passes.display, passes.timer]")

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


class PageGame:
    """The page served on loopback in one browser engine; the canvas as the browser shows it."""

    def __init__(self, engine, site):
        self.browser = engine()
        self.browser.open(browsers.serve(site, HOLD_FRAMES))
        self.keys, self.run = self.browser.keys, self.browser.run

    def line(self):
        return (self.browser.console(PROMPT) or [None])[0]

    def passes(self):
        """The frames SDL has handed to the canvas, and the passes run so far on display frames and on timers."""
        return self.run("return [Module.SDL2.handed, passes.display, passes.timer]")

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


def check_sprite(game, sheet, facing_right):
    """Every opaque pixel of the sheet's first cell is on screen at twice its size, mirrored facing left."""
    scene, wrong, side = game.scene(), [], CELL * SCALE
    for y, x in ((y, x) for y in range(side) for x in range(side)):
        cell = 4 * (y // SCALE * CELL + (x // SCALE if facing_right else CELL - 1 - x // SCALE))
        at = 3 * ((SPRITE_AT[1] + y) * SCENE[0] + SPRITE_AT[0] + x)
        if sheet[cell + 3] == 255 and scene[at:at + 3] != sheet[cell:cell + 3]:
            wrong.append((x, y, tuple(scene[at:at + 3]), tuple(sheet[cell:cell + 3])))
    what = "sprite facing " + ("right" if facing_right else "left, mirrored")
    check(not wrong, what, "%d pixels wrong, first (x, y, got, expected) %s" % (len(wrong), wrong[:2]), "none")


def desktop_frames(binary):
    """The desktop game's FRAMES, drawn in memory by SDL's dummy driver: RGB bytes each."""
    with tempfile.TemporaryDirectory() as folder:
        os.symlink(os.path.abspath(IMAGES), os.path.join(folder, "Images"))
        game = DesktopGame(binary, folder, {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy",
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
        check(reference[0] == reference[1] != reference[2] == reference[3], "the desktop's frames %s" % (FRAMES,),
              "not so", "at rest, then the sky's step, then at rest")
        check_scene(game, reference[0], "first frame as on the desktop")
        for at, frame, what in zip(FRAMES, FRAMES[1:], ("at rest", "the sky's tint stepped", "at rest again")):
            for _ in range(frame - at):
                game.run("return step()")
            check_scene(game, reference[FRAMES.index(frame)], "frame %d, %s, as on the desktop" % (frame, what))
        game.run("release()")
        # At rest a new picture comes only with the sky's step, every fifth frame: every pass waits on a
        # timer, which costs a page less than a display frame.
        handed, display, timer = game.passes()
        now = wait_until(game.passes, lambda now: now[0] >= handed + 3)
        counts = [now[1] - display, now[2] - timer]
        check(now[0] >= handed + 3 and counts[0] == 0 and counts[1] >= 10, "passes at rest over three of the "
              "sky's steps, on display frames and on timers", counts, "none and at least 10")
    block = wait_for(game, lambda block: block[1] == GROUND_Y)
    at_rest = (START_X, GROUND_Y, START_SPEED)
    check(block == at_rest, "debug block at rest after the first frame", block, at_rest)

    # Walks at least ten frames and a second; a busy machine or wine may leave many frame periods unused.
    # The key is down from some time in the first press's call until some time in the release's; a
    # whole second of it keeps the driver's delays small beside the periods, so a doubled step shows.
    started = time.monotonic()
    game.keys("keydown", "d")
    wait_for(game, lambda block: block[0] >= START_X + STRIDE * 10)
    if reference:
        # Walking, every frame moves the picture: once the walk is under way, passes keep to display frames.
        walking = game.passes()
        now = wait_until(game.passes, lambda now: now[1] >= walking[1] + 10)
        counts = [after - at for at, after in zip(walking[1:], now[1:])]
        check(counts[0] >= 10 and counts[1] == 0, "passes walking, on display frames and on timers", counts,
              "at least 10 and none")
    time.sleep(max(0.0, WALK_SECONDS - (time.monotonic() - started)))
    game.keys("keyup", "d")
    seconds = time.monotonic() - started
    x, y, _ = debug_block(game)
    frames = (x - START_X) // STRIDE
    check(x > START_X and (x - START_X) % STRIDE == 0 and y == GROUND_Y, "walking right %d pixels a frame" % STRIDE,
          x, "%d + %dn" % (START_X, STRIDE))
    check(frames <= seconds * 1e6 / PERIOD_US + 2, "frames in %.2f s" % seconds, frames, "one a period")
    check_sprite(game, sheet, True)

    # A slow build may run one frame for several presses; each press waits for its frame.
    for speed in range(START_SPEED + 1, START_SPEED + 6):
        game.keys("key", "=")
        block = wait_for(game, lambda block: block[2] >= speed)
        check(block[2] == speed, "speed after a press of =", block[2], speed)

    game.keys("keydown", "a")
    wait_for(game, lambda block: block[0] == LEFT_EDGE)
    game.keys("keyup", "a")
    block = debug_block(game)
    check(block[:2] == (LEFT_EDGE, GROUND_Y), "walking left stops at the edge", block,
          (LEFT_EDGE, GROUND_Y, START_SPEED + 5))
    check_sprite(game, sheet, False)
    game.close()


def main():
    binary = os.path.abspath(sys.argv[-1])
    no_player = "Images/%s: " % PLAYER
    with tempfile.TemporaryDirectory() as folder:
        if "--web" in sys.argv:
            site = sys.argv[-2]
            # Pictures that cannot be read: the same site with the packed files zeroed; and with the player's damaged.
            damaged = os.path.join(folder, "damaged")
            for copy in (folder, damaged):
                shutil.copytree(site, copy, dirs_exist_ok=True)
            data = os.path.join(folder, "hollowmere.data")
            with open(data, "r+b") as packed:
                packed.write(bytes(os.path.getsize(data)))
            packed = bytearray(open(os.path.join(damaged, "hollowmere.data"), "rb").read())
            cause = damage_player(packed)
            open(os.path.join(damaged, "hollowmere.data"), "wb").write(packed)
            reference = desktop_frames(binary)
            for name in ENGINES:
                with failing_as(name):
                    for copy, why in ((folder, no_player), (damaged, cause)):
                        game = PageGame(browsers.ENGINES[name], copy)
                        expect(game, FAILED_START, "start with unreadable pictures")
                        game.finish(1, why)
                    play(PageGame(browsers.ENGINES[name], site), first_cell(IMAGES), reference)
                print("PASS [%s]" % name, flush=True)
        else:
            with failing_as():
                game = DesktopGame(binary, folder, {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"})
                expect(game, FAILED_START, "start with no Images")
                game.finish(1, no_player)
                make_images(folder)
                play(DesktopGame(binary, folder), first_cell(os.path.join(folder, "Images")))
    print("PASS")


if __name__ == "__main__":
    main()
