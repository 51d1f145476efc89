# Sourced by the tests that drive a game's window under Xvfb.

# Prints the id of the first window named exactly Quibbo, waiting up to 15 s;
# fails (with `fail`, which the sourcing script defines) when none comes.
quibbo_window() {
    local window=""
    for _ in $(seq 150); do
        window=$(xdotool search --name '^Quibbo$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window named Quibbo within 15 s"
    echo "$window"
}
