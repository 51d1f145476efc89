#!/usr/bin/env bash
# A game played in a real window under Xvfb, with keys sent by xdotool, is
# recorded with --record; the run then replays headless to the same figures
# and the same last picture, and watched in a window it stops, goes four
# times as fast and ends where the game did. Installs what is missing first.
#
#   tests/run/window.sh [QUIBBO] [SECONDS]   (default build/quibbo, 60 s)
#   SHOTS=DIR keeps a screenshot of the window in DIR, and the run there.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${2:-60}
source tests/xwindow.sh
window_test_start tests/run/window.sh "${1:-}"

(cd "$work" && exec "$game" --nosound --seed 11 --record run.qrun --stats \
    --screenshot live.bmp >live.json) &
pid=$!
window=$(quibbo_window)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 1

# A player's afternoon: walking in bursts, turning, shooting, now and then
# a pause; the same every time, but held for times a script would not pick.
RANDOM=25
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
    case $((RANDOM % 10)) in
    0 | 1 | 2 | 3) key=Up hold=$((RANDOM % 12 + 3)) ;;
    4 | 5) key=Left hold=$((RANDOM % 5 + 1)) ;;
    6) key=Right hold=$((RANDOM % 5 + 1)) ;;
    7) key=Down hold=$((RANDOM % 4 + 1)) ;;
    8) key=space hold=1 ;;
    9) key=p hold=$((RANDOM % 6 + 2)) ;; # paused for a moment, then on again
    esac
    xdotool keydown "$key"
    sleep "0.$hold"
    xdotool keyup "$key"
    [ "$key" = p ] && xdotool key p
    sleep 0.0$((RANDOM % 9 + 1))
done
if [ -n "${SHOTS:-}" ]; then
    mkdir -p "$SHOTS"
    import -window "$window" "$SHOTS/window-live.png"
fi
# Escape asks whether to quit; Escape again says yes.
xdotool key Escape
sleep 1
xdotool key Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Escape, Escape did not end the game"
wait "$pid" || fail "the game failed (status $?)"
pid=""

[ -s "$work/run.qrun" ] || fail "no run was written"
[ -n "${SHOTS:-}" ] && cp "$work/run.qrun" "$SHOTS/window.qrun"
(cd "$work" && "$game" --replay run.qrun --headless --stats --screenshot replay.bmp >replay.json) ||
    fail "the replay failed"
# fps is the one figure that depends on the machine.
figures() { sed 's/"fps": [^,]*, //' "$1"; }
echo "lived:    $(figures "$work/live.json")"
echo "replayed: $(figures "$work/replay.json")"
[ "$(figures "$work/live.json")" = "$(figures "$work/replay.json")" ] || fail "the figures differ"
cmp "$work/live.bmp" "$work/replay.bmp" || fail "the last pictures differ"

# Watched in the window: P stops it under the sign, 4 plays it four times
# as fast, and it still ends where the game did.
started=$SECONDS
(cd "$work" && exec "$game" --nosound --replay run.qrun --stats >watched.json) &
pid=$!
window=$(quibbo_window)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 2
xdotool key p
sleep 1
import -window "$window" "$work/held.png"
[ -n "${SHOTS:-}" ] && cp "$work/held.png" "$SHOTS/window-replay-held.png"
# The sign's yellow letters in the middle of the window, where the sign
# stands centred.
eval "$(xdotool getwindowgeometry --shell "$window")"
yellow=$(convert "$work/held.png" -gravity center -crop "$((WIDTH / 2))x$((HEIGHT / 8))+0+0" \
    -fuzz 10% -fill black +opaque '#ffff00' -fill white -opaque '#ffff00' \
    -format '%[fx:int(mean*w*h)]' info:)
[ "$yellow" -gt 100 ] || fail "P did not stop the replay under the sign ($yellow yellow pixels)"
xdotool key p
xdotool key 4
for _ in $(seq $((seconds * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the replay at 4x did not end within $seconds s"
wait "$pid" || fail "the watched replay failed"
pid=""
watched=$((SECONDS - started))
echo "watched:  $(figures "$work/watched.json") in $watched s"
[ "$(figures "$work/live.json")" = "$(figures "$work/watched.json")" ] ||
    fail "the replay watched in a window ends otherwise"
# Four times as fast where the machine can draw that many frames; on a
# loaded one at least well ahead of the game's own pace.
[ "$watched" -lt $((seconds * 3 / 4 + 5)) ] || fail "4 did not speed the replay up ($watched s)"
frames=$(sed 's/.*"frames": \([0-9]*\).*/\1/' "$work/live.json")
echo "tests/run/window.sh: $seconds s in a window, $frames frames, a run file of $(stat -c %s "$work/run.qrun") bytes, replayed to the same figures and picture"
