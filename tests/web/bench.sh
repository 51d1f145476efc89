#!/usr/bin/env bash
# The browser build's frame time beside the native game's: the same scripted
# walk through the built-in level, timed by the game itself (--stats' fps
# counts the frames it runs, the world timing each one), natively, under
# node and in headless Chromium. Run tests/web/run.sh (or web.sh --build and
# a native build) first.
#
#   tests/web/bench.sh [NATIVE_QUIBBO] [BUILD_WEB_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
native=${1:-build/quibbo}
web=${2:-build-web}
# Long enough for the browser's compiler to have finished with the hot code;
# walking and turning all the way, as a player does.
frames=12000
keys=""
for ((f = 30; f < frames; f += 200)); do
    keys+="$f:+up,$((f + 150)):-up,$((f + 155)):+right,$((f + 185)):-right,"
done
keys=${keys%,}
args=(--headless --frames "$frames" --seed 1 --keys "$keys" --stats)

fps() { grep -o '"fps": [0-9.]*' | head -n1 | cut -d' ' -f2; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms() { awk -v f="$1" 'BEGIN { printf "%.3f", 1000 / f }'; }

run5() { for _ in 1 2 3 4 5; do "$@" | fps; done | median; }

n=$(run5 "$native" "${args[@]}")
w=$(cd "$web" && run5 node --no-experimental-fetch quibbo.js "${args[@]}")
c=$(for _ in 1 2 3 4 5; do node tests/web/frame-time.js "$web" "${args[*]}"; done | median)
echo "frame time, median of 5 runs of $frames frames:"
echo "  native    $(ms "$n") ms"
echo "  node      $(ms "$w") ms  ($(awk -v a="$n" -v b="$w" 'BEGIN { printf "%.2f", a / b }') x native)"
echo "  chromium  $(ms "$c") ms  ($(awk -v a="$n" -v b="$c" 'BEGIN { printf "%.2f", a / b }') x native)"
