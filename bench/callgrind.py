# Instructions a frame, counted by callgrind: deterministic, whatever else the machine does.
import glob
import os
import re
import subprocess

# Targets, as fractions of the floor: instructions a frame at rest, and anywhere in the world.
REST_TARGET, WORST_TARGET = 0.30, 0.35


# The table's rows from the instructions of game and floor frames, by (kind, camera x), with `env`'s renderer;
# callgrind's files are left in `build`.
def measure(bench, env, build):
    out = os.path.join(build, "callgrind.out")
    for old in glob.glob(out + "*"):
        os.remove(old)
    subprocess.run(["valgrind", "--tool=callgrind", "--instr-atstart=no", "--collect-atstart=no",
                    f"--callgrind-out-file={out}", bench, "instructions"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    counts = {}
    for path in glob.glob(out + ".*"):
        text = open(path).read()
        kind, x = re.search(r"^desc: Trigger: Client Request: (\S+) (\d+)$", text, re.M).groups()
        counts[kind, int(x)] = int(re.search(r"^summary: (\d+)$", text, re.M).group(1))
    # At rest, the worst camera position against its floor, and one screen drawn once.
    ratio = {x: game / counts["floor", x] for (kind, x), game in counts.items() if kind == "game"}
    rest, worst = next(x for kind, x in counts if kind == "rest_game"), max(ratio, key=ratio.get)

    def row(what, game, floor, target):
        met = target if isinstance(target, str) else f"≤ {target}: {'met' if game / floor <= target else 'missed'}"
        return [what, f"{game:,}", f"{floor:,}", f"{game / floor:.3f}", met]
    return [row(f"at rest, camera x {rest}", counts["rest_game", rest], counts["rest_floor", rest], REST_TARGET),
            row(f"worst of {len(ratio)} across the world, camera x {worst}", counts["game", worst],
                counts["floor", worst], WORST_TARGET),
            row(f"one screen drawn once, camera x {rest}", counts["rest_screen", rest], counts["rest_floor", rest],
                "where trimming ends")]
