"""What the game's checks (play.py) and the page's (page_checks.py) share: checking, naming the engine a
failure came from, and reading the game's console, from any driver that gives keys(action, key) and line()."""

import contextlib
import sys
import time

from game.console import DEBUG_LINES, debug_block as parse_debug_block
from game.geometry import SPRITE_AT

# Seconds anything the game, X or the browser should do promptly may take.
PROMPT = 30


class Failure(Exception):
    """A check that did not hold."""


def check(ok, what, got, expected):
    if not ok:
        raise Failure("%s\n  got:      %r\n  expected: %r" % (what, got, expected))


@contextlib.contextmanager
def failing_as(engine=None):
    """Ends the script at a failed check, with what failed, named for `engine` when one plays."""
    try:
        yield
    except Failure as failure:
        sys.exit("FAIL %s%s" % ("[%s] " % engine if engine else "", failure))


def expect(game, expected, what):
    got = [game.line() for _ in expected]
    check(got == expected, what, got, expected)


def debug_block(game):
    """Presses E; returns x, y and speed from the block it prints."""
    game.keys("key", "e")
    lines = [game.line() for _ in range(DEBUG_LINES)]
    block = parse_debug_block(lines)
    check(block, "debug block", lines, ["x y", "%d %d" % SPRITE_AT, "speed", ""])
    return block


def wait_until(read, done):
    """Readings of `read()` until one satisfies `done`, or the prompt time is out; returns the last."""
    deadline = time.monotonic() + PROMPT
    value = read()
    while not done(value) and time.monotonic() < deadline:
        time.sleep(0.1)
        value = read()
    return value


def wait_for(game, done):
    """Debug blocks until one satisfies `done`, or the prompt time is out; returns the last."""
    return wait_until(lambda: debug_block(game), done)
