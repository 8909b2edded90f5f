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
    failures.extend([] if ok else ["%s: got %r, expected %r" % (what, got, expected)])


def zip_tree(root, names, umask, zone):
    """Makes the files in the order given under `umask`, each with its own time, and zips them in `zone`."""
    old = os.umask(umask)
    for name in names:
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(FILES[name])
        path.chmod(0o777 & ~umask if name.endswith(".exe") else 0o666 & ~umask)
        os.utime(path, (time.time() - len(name) * 1000,) * 2)
    os.umask(old)
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(EPOCH), TZ=zone)
    subprocess.run([SOURCE / "scripts" / "zip-tree", root.with_suffix(".zip"), root], env=env, check=True)
    return root.with_suffix(".zip")


with tempfile.TemporaryDirectory() as scratch:
    scratch = pathlib.Path(scratch)
    first = zip_tree(scratch / "one", sorted(FILES), 0o022, "UTC")
    second = zip_tree(scratch / "other", sorted(FILES, reverse=True), 0o077, "Pacific/Chatham")
    check(first.read_bytes() == second.read_bytes(), "two zips of the same files", "different bytes", "the same")
    with zipfile.ZipFile(first) as archive:
        got = [(e.filename, e.date_time, oct(e.external_attr >> 16), archive.read(e)) for e in archive.infolist()]
    expected = [(name, time.gmtime(EPOCH)[:6], oct(0o100755 if name.endswith(".exe") else 0o100644), FILES[name])
                for name in sorted(FILES)]
    check(got == expected, "entries: names in order, times, modes, contents", got, expected)

    # A clone with a changed file and a new one: dist names both and builds nothing.
    clone = scratch / "clone"
    subprocess.run(["git", "clone", "-q", SOURCE, clone], check=True)
    (clone / "README.md").write_text("changed\n")
    (clone / "stray.txt").write_text("new\n")
    run = subprocess.run([clone / "scripts" / "dist"], cwd=clone, capture_output=True, text=True)
    made = [folder for folder in ("build-dist", "dist") if (clone / folder).exists()]
    check(run.returncode == 1 and "README.md" in run.stderr and "stray.txt" in run.stderr and not made,
          "dist on a changed tree", (run.returncode, run.stderr, made), (1, "names README.md and stray.txt", []))

print("".join("FAIL %s\n" % failure for failure in failures) + ("FAIL" if failures else "PASS"))
sys.exit(1 if failures else 0)
