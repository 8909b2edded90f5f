#!/usr/bin/env python3
"""Bad input: broken, missing or outsized pictures and no display. Each case
checks the exact console lines, the causes on standard error, the exit
status, and that nothing hangs. The game runs on SDL's dummy video driver.

Usage: bad_input.py BINARY [--list | CASE...]  (no CASE: all of them)"""

import os
import random
import struct
import sys
import time

import e2e_support as e2e

DUMMY = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"}
FIRST_LINES = e2e.START_LINES[:3]
# A picture refused by its header may raise peak memory by no more than this, in KiB,
# over the same start with good pictures; decoding the claimed 30000 x 30000 would take 3.4 GiB.
PEAK_MARGIN_KIB = 48 * 1024
# An unprivileged user, for files that root could read whatever their permissions.
NOBODY = 65534
# The game must still be running this long after its start-up lines, in seconds.
SETTLE_SECONDS = 0.3

BINARY = None
LIBRARY_NOTE = ("libpng error: ", "libpng warning: ")


def small_bmp():
    """A valid 2 x 2 BMP: a real picture, but not a PNG."""
    pixels = b"\x00\x00\xff\x00\xff\x00\x00\x00" * 2
    info = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def huge_claim(width, height):
    """A ~100-byte PNG whose header claims width x height; its data is a few bytes."""
    data = e2e.png_chunk(b"IDAT", b"\x78\x9c\x03\x00\x00\x00\x00\x01")
    return e2e.png_header(width, height) + data + e2e.png_chunk(b"IEND", b"")


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def break_picture(folder, name, how):
    """Spoils the picture `name` in folder's Images as `how` says. Returns the reason
    text that must appear on standard error, or None when any reason will do, or
    False when the picture must still load."""
    path = os.path.join(folder, e2e.picture_path(name))
    good = e2e.picture_bytes(name)
    if how == "missing":
        os.remove(path)
    elif how == "empty":
        write(path, b"")
    elif how == "truncated":
        write(path, good[:len(good) // 2])
    elif how == "random":
        write(path, random.Random(name).randbytes(4096))
        return "not a PNG picture"
    elif how == "not_png":
        write(path, small_bmp())
        return "not a PNG picture"
    elif how == "directory":
        os.remove(path)
        os.mkdir(path)
    elif how == "unreadable":
        os.chmod(path, 0)
    elif how == "tiny":
        write(path, e2e.solid_png(1, 1, (10, 20, 30)))
        return False
    elif how == "wide":
        write(path, e2e.solid_png(16384, e2e.WORLD_HEIGHT, (10, 20, 30)))
        return False
    elif how == "huge":
        write(path, huge_claim(30000, 30000))
        return "claims 30000 x 30000 pixels"
    elif how == "side_limit":
        write(path, huge_claim(16385, 1))
        return "claims 16385 x 1 pixels"
    elif how == "pixel_limit":
        write(path, huge_claim(5658, 5658))
        return "claims 5658 x 5658 pixels"
    else:
        raise ValueError(how)
    return None


def drop_privileges():
    if os.geteuid() == 0:
        os.setgroups([])
        os.setgid(NOBODY)
        os.setuid(NOBODY)


def check_causes(game, expected):
    """expected: (what, reason part or None) pairs, one stderr line each, in order."""
    # The PNG decoder library writes its own diagnostics; they are not the game's lines.
    got = [line for line in game.stderr_lines() if not line.startswith(LIBRARY_NOTE)]
    ok = len(got) == len(expected)
    for line, (what, part) in zip(got, expected):
        ok = ok and line.startswith(what + ": ") and len(line) > len(what) + 2
        ok = ok and (part is None or part in line)
    e2e.check(ok, "standard error", got, ["%s: ...%s..." % (w, p or "") for w, p in expected])


def start(folder, env=DUMMY, preexec=None):
    return e2e.Game(BINARY, folder, env, preexec=preexec)


def run_good_start(folder, preexec=None):
    """Starts with good pictures, checks the normal console, closes; returns the peak memory in KiB."""
    game = start(folder, preexec=preexec)
    try:
        game.expect_lines(e2e.START_LINES, "start-up lines")
        status, _ = game.close(e2e.PROMPT_SECONDS)
        e2e.check(status == 0, "exit status", status, 0)
        return game.rusage.ru_maxrss
    finally:
        game.cleanup()


_baseline = {}


def baseline_peak(kind):
    """Peak memory of a start with good pictures ("good") or with no Images ("none"), in KiB."""
    if kind not in _baseline:
        with e2e.TempFolder() as folder:
            if kind == "good":
                e2e.make_images(folder)
                _baseline[kind] = run_good_start(folder)
            else:
                game = start(folder)
                try:
                    game.wait(e2e.PROMPT_SECONDS)
                    _baseline[kind] = game.rusage.ru_maxrss
                finally:
                    game.cleanup()
    return _baseline[kind]


def check_peak(game, kind):
    peak = game.rusage.ru_maxrss
    limit = baseline_peak(kind) + PEAK_MARGIN_KIB
    e2e.check(peak <= limit, "peak memory in KiB", peak, "at most %d" % limit)
    print("peak memory %d KiB, with good pictures %d KiB" % (peak, baseline_peak(kind)))


def layer_case(layer, how):
    def run():
        with e2e.TempFolder() as folder:
            os.chmod(folder, 0o755)
            e2e.make_images(folder)
            reason = break_picture(folder, layer, how)
            expected = list(e2e.START_LINES)
            causes = []
            if reason is not False:
                expected.insert(3, "%s load fail" % layer)
                causes = [(e2e.picture_path(layer), reason)]
            game = start(folder, preexec=drop_privileges if how == "unreadable" else None)
            try:
                game.expect_lines(expected, "console")
                # The loop must keep running with the layer missing or odd-sized.
                time.sleep(SETTLE_SECONDS)
                e2e.check(game.alive(), "game running after start-up", game.status, "running")
                status, seconds = game.close()
                e2e.check(status == 0, "exit status after SIGTERM", status, 0)
                e2e.check(game.rest_of_console() == [], "console after close", game.seen, expected)
                check_causes(game, causes)
                if how in ("huge", "pixel_limit"):
                    check_peak(game, "good")
            finally:
                game.cleanup()
    return run


def failed_start_case(prepare, env, first_lines, cause, part=None, peak=None):
    """A start that stops early: the loop never runs and the game ends by itself with status 1."""
    def run():
        with e2e.TempFolder() as folder:
            os.chmod(folder, 0o755)
            preexec = prepare(folder)
            game = start(folder, env, preexec)
            try:
                status = game.wait(e2e.PROMPT_SECONDS)
                expected = first_lines + ["Player ts init", "player init"]
                got = game.rest_of_console()
                e2e.check(got == expected, "console", got, expected)
                e2e.check(status == 1, "exit status", status, 1)
                check_causes(game, [(cause, part)])
                if peak:
                    check_peak(game, peak)
            finally:
                game.cleanup()
    return run


def player_case(how):
    def prepare(folder):
        e2e.make_images(folder)
        break_picture(folder, "Player", how)
        return drop_privileges if how == "unreadable" else None
    part = {"random": "not a PNG picture", "huge": "claims 30000 x 30000 pixels"}.get(how)
    return failed_start_case(prepare, DUMMY, FIRST_LINES + ["player load fail"],
                             "Images/Player.png", part, "none" if how == "huge" else None)


def all_layers_missing():
    with e2e.TempFolder() as folder:
        e2e.make_images(folder)
        for layer in e2e.LAYER_FILES:
            os.remove(os.path.join(folder, e2e.picture_path(layer)))
        expected = FIRST_LINES + ["%s load fail" % l for l in e2e.LAYER_FILES] + e2e.START_LINES[3:]
        game = start(folder)
        try:
            game.expect_lines(expected, "console")
            status, _ = game.close()
            e2e.check(status == 0, "exit status after SIGTERM", status, 0)
            check_causes(game, [(e2e.picture_path(l), None) for l in e2e.LAYER_FILES])
        finally:
            game.cleanup()


def cases():
    found = {
        "no_images_folder": failed_start_case(
            lambda folder: None, DUMMY, FIRST_LINES + ["player load fail"], "Images/Player.png"),
        "no_display": failed_start_case(
            lambda folder: e2e.make_images(folder),
            {"SDL_VIDEODRIVER": "x11", "DISPLAY": ":65000", "SDL_AUDIODRIVER": "dummy"},
            ["SDL init fail"], "SDL_Init"),
        "all_layers_missing": all_layers_missing,
    }
    for how in ["missing", "empty", "truncated", "random", "directory", "unreadable", "huge"]:
        found["player_" + how] = player_case(how)
    for layer in e2e.LAYER_FILES:
        for how in ["missing", "empty", "truncated", "random", "not_png", "directory",
                    "unreadable", "tiny", "wide", "huge", "side_limit", "pixel_limit"]:
            found["%s_%s" % (layer.lower(), how)] = layer_case(layer, how)
    return found


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv[1])
    sys.exit(e2e.run_cases(cases(), sys.argv[2:]))
