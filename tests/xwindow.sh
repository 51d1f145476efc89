# Sourced by the tests that drive a game's window under Xvfb.

# Prints the id of the first window named exactly Quibbo (or matching the
# pattern given), waiting up to 15 s;
# fails (with `fail`, which the sourcing script defines) when none comes.
quibbo_window() {
    local window="" name=${1:-^Quibbo\$}
    for _ in $(seq 150); do
        window=$(xdotool search --name "$name" 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window named $name within 15 s"
    echo "$window"
}

# Starts Xvfb (800 x 800) on a display of its own and waits until it
# answers; exports DISPLAY and leaves its pid in `xvfb` for the caller's
# cleanup.
start_xvfb() {
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 800x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
}

# A window manager gives the game the keyboard as a desktop would; its pid
# is left in `wm`.
start_openbox() {
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
}

# The start every window test shares, called from the top of the
# repository with the script's name and its first argument: `game` (the
# program, default build/quibbo, made absolute), what the test needs
# installed, a scratch folder `work`, `fail`, and the cleanup of the game
# (`pid`), the window manager and Xvfb on exit; then Xvfb and openbox.
window_test_start() {
    script=$1
    game=${2:-build/quibbo}
    [ -x "$game" ] || { echo "$script: no game at $game (./test.sh makes it)" >&2; exit 1; }
    game=$(realpath "$game")
    tools/deps.sh xvfb xdotool openbox imagemagick
    work=$(mktemp -d)
    # The game keeps progress in the home it is given: a scratch one, never
    # the player's.
    export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
    mkdir -p "$HOME"
    xvfb="" wm="" pid=""
    trap 'window_test_cleanup' EXIT
    start_xvfb
    start_openbox
}
window_test_cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
fail() { echo "$script: $*" >&2; exit 1; }
