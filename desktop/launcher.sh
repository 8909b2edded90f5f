#!/bin/sh
# Installed as bin/hollowmere: the game reads Images/ from its working directory,
# so it starts in the data folder found beside this script, wherever the tree was put.
set -e
prefix=$(dirname "$(dirname "$(readlink -f "$0")")")
cd "$prefix/share/hollowmere"
exec "$prefix/libexec/hollowmere/hollowmere" "$@"
