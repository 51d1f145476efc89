#!/usr/bin/env bash
# Builds Quibbo and runs every test. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
