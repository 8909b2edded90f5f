"""What the game prints: its start-up lines and the debug block E prints."""

import re

from game.geometry import SPRITE_AT

START = ["SDL init success", "Window creation successful", "renderer creation success",
         "Loaded Parallax Images", "init success", "Player ts init", "player init"]
# A start without the sprite sheet: the cause goes to standard error, or on the page.
FAILED_START = START[:3] + ["player load fail"] + START[5:]
# How many lines E prints: the player's x and y, the sprite's place on screen, the speed, a blank line.
DEBUG_LINES = 4


def debug_block(lines):
    """The debug block's lines, with or without their line ends, as (x, y, speed); None if they are not one."""
    text = "\n".join(str(line).rstrip("\n") for line in lines)
    match = re.fullmatch(r"(\d+) (\d+)\n%d %d\n(\d+)\n" % SPRITE_AT, text)
    return match and tuple(map(int, match.groups()))
