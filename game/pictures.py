"""The pictures the game reads, as Images/ holds them, and what a PNG's header says."""

import pathlib
import struct

from game import ROOT

IMAGES = ROOT / "Images"
# Below Images/: the sprite sheet, whose absence fails the start, and the sky; the rest are parallax layers.
PLAYER = "Player.png"
SKY = "Background/Sky.png"


def pictures():
    """Every picture's path below Images/, in order."""
    return sorted(path.relative_to(IMAGES).as_posix() for path in IMAGES.rglob("*.png"))


def png_header(path):
    """A PNG's width, height, bit depth and colour type, from its header."""
    return struct.unpack(">IIBB", pathlib.Path(path).read_bytes()[16:26])
