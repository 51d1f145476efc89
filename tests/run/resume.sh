#!/usr/bin/env bash
# The resume, as a player feels it in a real window under Xvfb: P, P, then
# Left held for half a second turns the player about 20 degrees (40 a
# second), where a wait on the resume once ate most of the turn.
#
#   tests/run/resume.sh [QUIBBO]   (default build/quibbo)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/xwindow.sh
window_test_start tests/run/resume.sh "${1:-}"

(cd "$work" && HOME="$work" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    exec "$game" --nosound --no-confirm --levels "$work" --stats >stats.json) &
pid=$!
window=$(quibbo_window)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 1
xdotool key p
sleep 0.5
xdotool key p keydown Left
sleep 0.5
xdotool keyup Left
sleep 0.3
xdotool key Escape
wait "$pid" || fail "the game did not end cleanly"
pid=""
heading=$(sed -n 's/.*"heading": \([0-9.e-]*\).*/\1/p' "$work/stats.json")
[ -n "$heading" ] || fail "no heading in the figures: $(cat "$work/stats.json")"
turned=$(awk -v h="$heading" 'BEGIN { t = 360 - h; if (h == 0) t = 0; printf "%.1f", t }')
echo "tests/run/resume.sh: Left held 0.5 s right after P, P turned $turned degrees"
awk -v t="$turned" 'BEGIN { exit !(t >= 15 && t <= 25) }' ||
    fail "turned $turned degrees, not about 20: the resume held the keys back"
