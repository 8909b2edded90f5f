#!/usr/bin/env python3
# The real game with the pictures but a Player.png whose tRNS chunk claims more bytes than the
# file has, as the picture fuzz target found: libpng alone rereads that chunk forever.
# Start-up must end with status 1 and the cause, and quickly. usage: damaged_player.py GAME
import os, shutil, subprocess, sys, tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")

with tempfile.TemporaryDirectory() as folder:
    shutil.copytree(os.path.join(ROOT, "Images"), os.path.join(folder, "Images"))
    path = os.path.join(folder, "Images", "Player.png")
    data = bytearray(open(path, "rb").read())
    at = data.index(b"tRNS") - 4
    data[at:at + 4] = len(data).to_bytes(4, "big")
    open(path, "wb").write(data)
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    game = subprocess.run([os.path.abspath(sys.argv[1])], cwd=folder, env=env, capture_output=True,
                          text=True, timeout=30)
    expected = (1, "player load fail", "Images/Player.png: PNG chunk tRNS at byte %d runs past the end of the file" % at)
    got = (game.returncode, (game.stdout.splitlines() + [""] * 4)[3], game.stderr.strip())
    print("got", got, "\nexpected", expected)
    sys.exit(0 if got == expected else 1)
