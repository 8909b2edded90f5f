"""The game as the project's Python checks and benches meet it from outside, each fact once: its numbers and
window (game.geometry), what it prints (game.console) and the pictures it reads (game.pictures). src/ holds
the same facts in C++."""

import pathlib

# The repository's root: its Images/, scripts/ and docs/.
ROOT = pathlib.Path(__file__).resolve().parents[1]
