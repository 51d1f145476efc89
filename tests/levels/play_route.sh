#!/bin/bash
# A level can be won in the game itself by walking a planned route:
#   play_route.sh QUIBBO LEVELBOT LEVELTOOL LEVEL [builtin]
# LEVEL is a text map (made into QB00.BMP with the level tool) or "builtin".
# The bot plays the level in-process with the access word and records its
# keys; the game program then replays them on its own, and must eat the
# level's last dot (event 4) exactly once. With "builtin" after a map that
# is the built-in level cell for cell, the same keys win the built-in level
# too (played with no level files): its route is planned once for both.
set -u
quibbo=$1
levelbot=$2
leveltool=$3
level=$4
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-route.XXXXXX")
trap 'rm -rf "$dir"' EXIT
staged=builtin
if [ "$level" != builtin ]; then
    "$leveltool" make "$level" "$dir/QB00.BMP" > /dev/null || exit 1
    staged=$dir/QB00.BMP
fi
summary=$("$levelbot" route "$staged" "$dir/route.keys") || {
    echo "the bot did not clear $level"
    exit 1
}
echo "$summary"
frames=$(echo "$summary" | sed -n 's/^frames: //p')
# A little past the last dot: the game-over box that follows ends the run.
replay() {
    stats=$("$quibbo" --headless --levels "$1" --keys @"$dir/route.keys" --stats \
        --frames $((frames + 50)) AlwaysTheWalrus) || {
        echo "quibbo failed: $stats"
        exit 1
    }
    echo "$stats"
    case "$stats" in
    *'"4": 1,'*) ;;
    *)
        echo "the replayed route did not eat the last dot of $2"
        exit 1
        ;;
    esac
}
replay "$dir" "$level"
if [ "${5:-}" = builtin ]; then
    mkdir "$dir/none"
    replay "$dir/none" "the built-in level"
fi
