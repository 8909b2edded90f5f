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
timeout 30 sh -c "until grep -qx 'player init' '$scratch/log'; do sleep 0.1; done" || true
game=$!
kill -TERM $game
# A game that ignores SIGTERM fails the test rather than outliving it.
timeout 10 tail --pid=$game -f /dev/null || { kill -KILL $game; echo "FAIL: running after SIGTERM" >&2; exit 1; }
status=0
wait $game || status=$?
printf '%s\n' "SDL init success" "Window creation successful" "renderer creation success" \
    "Loaded Parallax Images" "init success" "Player ts init" "player init" >"$scratch/expected"
diff "$scratch/expected" "$scratch/log"
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status after SIGTERM, expected 0" >&2; exit 1; }
