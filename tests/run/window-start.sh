#!/usr/bin/env bash
# Keys that go down as the window appears, before the game has drawn much or
# been handed the keyboard, are recorded where they came: three such runs,
# played in a real window under Xvfb, replay headless to the same figures and
# the same last picture.
#
#   tests/run/window-start.sh [QUIBBO]   (default build/quibbo)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/xwindow.sh
window_test_start tests/run/window-start.sh "${1:-}"

figures() { sed 's/"fps": [^,]*, //' "$1"; }
for trial in 1 2 3; do
    (cd "$work" && exec "$game" --nosound --seed $((trial + 20)) --record run$trial.qrun --stats \
        --screenshot live$trial.bmp >live$trial.json) &
    pid=$!
    window=$(quibbo_window)
    # No wait for the focus: the first key goes down at once, and turns
    # and walks while the window is still settling.
    xdotool keydown Left
    sleep 0.$((trial * 2))
    xdotool keydown Up
    sleep 0.3
    xdotool keyup Left
    sleep 0.$((trial + 3))
    xdotool keyup Up
    xdotool keydown Right
    sleep 0.2
    xdotool keyup Right
    sleep 0.5
    xdotool key Escape
    sleep 0.5
    xdotool key Escape
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "run $trial: Escape, Escape did not end the game"
    wait "$pid" || fail "run $trial: the game failed (status $?)"
    pid=""
    (cd "$work" && "$game" --replay run$trial.qrun --headless --stats \
        --screenshot replay$trial.bmp >replay$trial.json) || fail "run $trial: the replay failed"
    echo "lived:    $(figures "$work/live$trial.json")"
    echo "replayed: $(figures "$work/replay$trial.json")"
    [ "$(figures "$work/live$trial.json")" = "$(figures "$work/replay$trial.json")" ] ||
        fail "run $trial: the figures differ"
    cmp "$work/live$trial.bmp" "$work/replay$trial.bmp" || fail "run $trial: the last pictures differ"
done
echo "tests/run/window-start.sh: three runs with keys from the window's first moment replay exactly"

# The other way: a run recorded headless (where the game has the keyboard
# from the start) replays in a window that comes up without it, to the same
# figures and picture.
(cd "$work" && "$game" --headless --seed 7 --frames 600 --record headless.qrun --stats \
    --screenshot headless.bmp --keys "320:+up,400:-up,401:+left,450:-left,460:+up,560:-up" \
    >headless.json) || fail "the headless run failed"
(cd "$work" && timeout 60 "$game" --nosound --replay headless.qrun --stats \
    --screenshot windowed.bmp >windowed.json) || fail "the headless run did not replay in a window"
echo "headless: $(figures "$work/headless.json")"
echo "windowed: $(figures "$work/windowed.json")"
[ "$(figures "$work/headless.json")" = "$(figures "$work/windowed.json")" ] ||
    fail "a headless run replays differently in a window"
cmp "$work/headless.bmp" "$work/windowed.bmp" || fail "a headless run's last picture differs in a window"
echo "tests/run/window-start.sh: a headless run replays in a window to the same figures and picture"
