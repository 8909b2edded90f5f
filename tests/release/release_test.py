#!/usr/bin/env python3
"""Releases: zip-tree writes the same bytes for the same files whatever the umask, time zone, file
times or order of making, with the last commit's time and fixed modes; dist refuses a tree with
uncommitted changes and names them. usage: release_test.py SOURCE_DIR"""

import os
import pathlib
import subprocess
import sys
import tempfile
import time
import zipfile

SOURCE = pathlib.Path(sys.argv[1])
EPOCH = 1765000000
FILES = {"Hollowmere/b.txt": b"bee\n", "Hollowmere/a.exe": b"MZ" * 300, "Hollowmere/Images/sky.png": b"\x89PNG"}
failures = []


def check(ok, what, got, expected):
    if not ok:
        failures.append("%s: got %r, expected %r" % (what, got, expected))


def make_tree(root, names, umask):
    old = os.umask(umask)
    for name in names:
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(FILES[name])
        if name.endswith(".exe"):
            path.chmod(0o777 & ~umask)
        os.utime(path, (time.time() - len(name) * 1000,) * 2)
    os.umask(old)


def zip_tree(root, zone):
    out = root.parent / (root.name + ".zip")
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(EPOCH), TZ=zone)
    subprocess.run([SOURCE / "scripts" / "zip-tree", out, root], env=env, check=True)
    return out


with tempfile.TemporaryDirectory() as scratch:
    scratch = pathlib.Path(scratch)
    one, other = scratch / "one", scratch / "other"
    make_tree(one, sorted(FILES), 0o022)
    make_tree(other, sorted(FILES, reverse=True), 0o077)
    first, second = zip_tree(one, "UTC"), zip_tree(other, "Pacific/Chatham")
    check(first.read_bytes() == second.read_bytes(), "two zips of the same files", "different bytes", "the same")
    with zipfile.ZipFile(first) as archive:
        entries = archive.infolist()
        names = [entry.filename for entry in entries]
        check(names == sorted(FILES), "entry order", names, sorted(FILES))
        times = {entry.date_time for entry in entries}
        check(times == {time.gmtime(EPOCH)[:6]}, "entry times", times, time.gmtime(EPOCH)[:6])
        modes = {entry.filename: oct(entry.external_attr >> 16) for entry in entries}
        expected = {name: oct(0o100755 if name.endswith(".exe") else 0o100644) for name in FILES}
        check(modes == expected, "entry modes", modes, expected)
        check(all(archive.read(name) == FILES[name] for name in FILES), "entry contents", "changed", "as written")

    # A clone with a changed file and a new one: dist names both and builds nothing.
    clone = scratch / "clone"
    subprocess.run(["git", "clone", "-q", SOURCE, clone], check=True)
    (clone / "README.md").write_text("changed\n")
    (clone / "stray.txt").write_text("new\n")
    run = subprocess.run([clone / "scripts" / "dist"], cwd=clone, capture_output=True, text=True)
    said = run.stderr
    check(run.returncode == 1 and "README.md" in said and "stray.txt" in said, "dist on a changed tree",
          (run.returncode, said), (1, "names README.md and stray.txt"))
    check(not (clone / "build-dist").exists() and not (clone / "dist").exists(), "dist's folders after refusing",
          "made", "none")

for failure in failures:
    print("FAIL " + failure)
print("FAIL" if failures else "PASS")
sys.exit(1 if failures else 0)
