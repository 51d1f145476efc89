#!/usr/bin/env bash
# Builds Quibbo and starts the game. Arguments go to the game (see --help).
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quibbo
exec build/quibbo "$@"
