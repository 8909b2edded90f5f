"""Shared pieces of the end-to-end tests: test pictures with known colours,
a private X server, and the game as a child process whose console is read
line by line. Python standard library only."""

import ctypes
import os
import queue
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

# The world and every background picture are this wide and high, in pixels.
WORLD_WIDTH = 8192
WORLD_HEIGHT = 768
WINDOW_WIDTH = 1024
WINDOW_HEIGHT = 768
# One cell of the player's sprite sheet, in pixels.
CELL = 32
# The sprite's screen rectangle: x, y, width, height in pixels.
SPRITE_RECT = (540, 540, 64, 64)

# Every test picture layer: file name, rows covered (first, last), colour.
# Everything outside the band is transparent, so the sky shows around it.
LAYER_BANDS = {
    "Clouds": (40, 79, (255, 128, 0)),
    "Background2": (160, 239, (255, 255, 0)),
    "Background1": (300, 379, (0, 255, 255)),
    "Ground": (660, 767, (0, 160, 0)),
}
# A black marker this wide starts every MARKER_SPACING world pixels in each band.
MARKER_SPACING = 256
MARKER_WIDTH = 4
MARKER_COLOUR = (0, 0, 0)
SKY_COLOUR = (255, 255, 255)
# Sprite sheet: the first columns are red, the rest blue, so mirroring shows.
SPRITE_LEFT_COLUMNS = 8
SPRITE_LEFT_COLOUR = (255, 0, 0)
SPRITE_RIGHT_COLOUR = (0, 0, 255)
# Rows of the screen where only the sky is drawn, first and last.
SKY_ROWS = (100, 150)

LAYER_FILES = ["Background1", "Background2", "Ground", "Sky", "Clouds"]
START_LINES = [
    "SDL init success",
    "Window creation successful",
    "renderer creation success",
    "Loaded Parallax Images",
    "init success",
    "Player ts init",
    "player init",
]

# Seconds to wait for anything the game or X should do promptly.
PROMPT_SECONDS = 10
# Seconds the game may take to end after SIGTERM.
CLOSE_SECONDS = 1.0

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_header(width, height):
    """Signature and IHDR of an 8-bit RGBA picture: all a header check reads."""
    return PNG_SIGNATURE + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))


def png_bytes(width, height, row_for):
    """An RGBA PNG whose row y is the bytes row_for(y) returns (width * 4 bytes)."""
    compressor = zlib.compressobj(1)
    parts = []
    for y in range(height):
        parts.append(compressor.compress(b"\x00" + row_for(y)))
    parts.append(compressor.flush())
    return png_header(width, height) + png_chunk(b"IDAT", b"".join(parts)) + png_chunk(b"IEND", b"")


def rgba(colour, alpha=255):
    return bytes(colour) + bytes([alpha])


def solid_png(width, height, colour):
    row = rgba(colour) * width
    return png_bytes(width, height, lambda y: row)


def band_png(first_row, last_row, colour):
    """A world-sized layer: transparent but for one band with markers."""
    clear = bytes(4 * WORLD_WIDTH)
    band = bytearray(rgba(colour) * WORLD_WIDTH)
    for x in range(0, WORLD_WIDTH, MARKER_SPACING):
        band[4 * x:4 * (x + MARKER_WIDTH)] = rgba(MARKER_COLOUR) * MARKER_WIDTH
    band = bytes(band)
    return png_bytes(WORLD_WIDTH, WORLD_HEIGHT,
                     lambda y: band if first_row <= y <= last_row else clear)


def sprite_png():
    row = rgba(SPRITE_LEFT_COLOUR) * SPRITE_LEFT_COLUMNS + \
        rgba(SPRITE_RIGHT_COLOUR) * (CELL - SPRITE_LEFT_COLUMNS)
    return png_bytes(CELL, CELL, lambda y: row)


_picture_cache = {}


def picture_bytes(name):
    """The test picture for "Player" or a layer name, made once per process."""
    if name not in _picture_cache:
        if name == "Player":
            data = sprite_png()
        elif name == "Sky":
            data = solid_png(WORLD_WIDTH, WORLD_HEIGHT, SKY_COLOUR)
        else:
            data = band_png(*LAYER_BANDS[name])
        _picture_cache[name] = data
    return _picture_cache[name]


def picture_path(name):
    if name == "Player":
        return "Images/Player.png"
    return "Images/Background/%s.png" % name


def make_images(folder):
    """Writes the full set of test pictures under folder/Images."""
    os.makedirs(os.path.join(folder, "Images", "Background"), exist_ok=True)
    for name in ["Player"] + LAYER_FILES:
        with open(os.path.join(folder, picture_path(name)), "wb") as out:
            out.write(picture_bytes(name))


def die_with_parent():
    """Run in each child: the kernel kills it if this script dies, so nothing outlives a test."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Failure(Exception):
    pass


def check(condition, what, got, expected):
    if not condition:
        raise Failure("%s\n  got:      %r\n  expected: %r" % (what, got, expected))


class Xvfb:
    """A private X server on a free display, for the length of a with-block."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + PROMPT_SECONDS
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or self.process.poll() is not None:
                os.close(read_end)
                self.__exit__(None, None, None)
                raise Failure("Xvfb did not report a display number")
            import select
            ready, _, _ = select.select([read_end], [], [], remaining)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        stop(self.process)
        return False


def stop(process):
    """Ends a child started by these tests, forcefully if it does not go."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=PROMPT_SECONDS)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Game:
    """The game as a child process; its standard output is read line by line."""

    def __init__(self, binary, folder, env_extra, prefix=(), preexec=None):
        env = dict(os.environ)
        env.update(env_extra)
        self.stderr_path = os.path.join(folder, "stderr.txt")
        self.stderr_file = open(self.stderr_path, "wb")

        def child_setup():
            die_with_parent()
            if preexec:
                preexec()

        self.process = subprocess.Popen(
            list(prefix) + [binary], cwd=folder, env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=self.stderr_file, preexec_fn=child_setup)
        self.lines = queue.Queue()
        self.seen = []
        self.rusage = None
        self.status = None
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.process.stdout:
            self.lines.put(raw.decode(errors="replace").rstrip("\n"))
        self.lines.put(None)

    def next_line(self, timeout=PROMPT_SECONDS):
        """The next console line, or None once the console has closed."""
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise Failure("no console line within %s s; lines so far: %r" % (timeout, self.seen))
        if line is not None:
            self.seen.append(line)
        else:
            self.lines.put(None)
        return line

    def expect_lines(self, expected, what, timeout=PROMPT_SECONDS):
        got = []
        for _ in expected:
            line = self.next_line(timeout)
            if line is None:
                break
            got.append(line)
        check(got == list(expected), what, got, list(expected))

    def wait(self, timeout):
        """Waits for the end of the process; returns its status (negative: killed by
        that signal). Keeps its resource use, whose ru_maxrss is the peak memory in KiB."""
        deadline = time.monotonic() + timeout
        while True:
            pid, raw, usage = os.wait4(self.process.pid, os.WNOHANG)
            if pid != 0:
                self.rusage = usage
                self.status = os.waitstatus_to_exitcode(raw)
                self.process.returncode = self.status
                return self.status
            if time.monotonic() > deadline:
                raise Failure("the game did not end within %s s" % timeout)
            time.sleep(0.01)

    def alive(self):
        if self.status is None:
            try:
                self.wait(0)
            except Failure:
                return True
        return False

    def close(self, timeout=CLOSE_SECONDS):
        """SIGTERM, as a desktop does on logout; returns the status and the seconds it took."""
        started = time.monotonic()
        self.process.send_signal(signal.SIGTERM)
        status = self.wait(timeout)
        return status, time.monotonic() - started

    def rest_of_console(self, timeout=PROMPT_SECONDS):
        """All lines still to come once the process has ended."""
        rest = []
        while True:
            line = self.next_line(timeout)
            if line is None:
                return rest
            rest.append(line)

    def stderr_lines(self):
        self.stderr_file.flush()
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace").splitlines()

    def cleanup(self):
        if self.status is None:
            stop(self.process)
        self.stderr_file.close()


def run_cases(cases, args):
    """Command line of a case script after its binary: --list names the cases
    (a CMake list), NAMEs run those, no argument runs them all. Returns the exit status."""
    if args[:1] == ["--list"]:
        print(";".join(cases))
        return 0
    names = args or list(cases)
    failed = []
    for name in names:
        if name not in cases:
            print("unknown case %s" % name)
            return 2
        started = time.monotonic()
        try:
            cases[name]()
            print("PASS %s (%.2f s)" % (name, time.monotonic() - started))
        except Failure as failure:
            print("FAIL %s: %s" % (name, failure))
            failed.append(name)
        sys.stdout.flush()
    return 1 if failed else 0


class TempFolder:
    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="hollowmere-e2e-")
        return self.path

    def __exit__(self, *exc):
        # Undo any permission removal a case made, so the folder can go.
        for root, dirs, files in os.walk(self.path):
            for name in dirs + files:
                try:
                    os.chmod(os.path.join(root, name), 0o755, follow_symlinks=False)
                except OSError:
                    pass
        shutil.rmtree(self.path, ignore_errors=True)
        return False
