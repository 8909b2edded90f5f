#!/bin/sh
# Installs the build ($1) into a scratch prefix, moves the tree, and starts the
# game from / through a link to the installed launcher; SIGTERM must end it with 0.
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Naming the (only) component leaves build/install_manifest.txt, the README's uninstall list, alone.
cmake --install "$1" --prefix "$scratch/installed" --component Unspecified >/dev/null
# A tree that still works after moving has no install path baked into it.
mv "$scratch/installed" "$scratch/tree"
ln -s "$scratch/tree/bin/hollowmere" "$scratch/link"
desktop-file-validate "$scratch/tree/share/applications/hollowmere.desktop"
test -s "$scratch/tree/share/icons/hicolor/128x128/apps/hollowmere.png"

cd /
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$scratch/link" >"$scratch/log" 2>&1 &
game=$!
start_up_limit=300  # tenths of a second
tenths=0
until grep -qsx 'player init' "$scratch/log" || ! kill -0 "$game" 2>/dev/null || [ "$tenths" -ge "$start_up_limit" ]; do
    sleep 0.1
    tenths=$((tenths + 1))
done
kill -TERM "$game" 2>/dev/null || true
status=0
wait "$game" || status=$?
cat "$scratch/log"

expected='SDL init success
Window creation successful
renderer creation success
Loaded Parallax Images
init success
Player ts init
player init'
seen=$(printf '%s\n' "$expected" | grep -xF -f - "$scratch/log" || true)
[ "$seen" = "$expected" ] || { echo "FAIL: start-up sequence missing or out of order" >&2; exit 1; }
! grep -x '.* fail' "$scratch/log" || { echo "FAIL: a start-up step failed" >&2; exit 1; }
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status after SIGTERM, expected 0" >&2; exit 1; }
