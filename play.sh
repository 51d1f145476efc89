#!/usr/bin/env bash
# Builds Quibbo and starts the game. Arguments go to the game (see --help).
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The build's progress would stand before the game's own words (--help);
# it is shown only when the build fails.
log=build/play-build.log
if ! cmake --build build -j"$(nproc)" --target quibbo >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "play.sh: the build failed; all of it is in $log" >&2
    exit 1
fi
exec build/quibbo "$@"
