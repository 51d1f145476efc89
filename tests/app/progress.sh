#!/bin/bash
# Progress as a player's shell sees it, in a home of its own: a level won
# headless keeps nothing without --keep-progress; with it progress.json
# holds the set and --continue starts on the next level; a replay of that
# run writes nothing; a damaged file is said in one line, the game plays a
# new game and the damaged bytes stay on disk, set aside at the next write.
#   progress.sh QUIBBO LEVELTOOL
set -u
quibbo=$(realpath "$1")
leveltool=$(realpath "$2")
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-progress.XXXXXX")
trap 'rm -rf "$dir"' EXIT
fail() { echo "progress.sh: $*"; exit 1; }
export HOME="$dir/home" XDG_DATA_HOME="$dir/home/data" XDG_CONFIG_HOME="$dir/home/config"
kept="$XDG_DATA_HOME/quibbo/progress.json"
mkdir -p "$HOME" "$dir/levels"
printf '#####\n#...#\n#.o.#\n#.P.#\n#####\n' >"$dir/one.txt"
for n in 00 01; do
    "$leveltool" make "$dir/one.txt" "$dir/levels/QB$n.BMP" >/dev/null || fail "leveltool make"
done
# The title and the level's card are over by frame 440; 31 frames up eat the dot.
win=(--headless --levels "$dir/levels" --keys 440:+up --frames 480)

"$quibbo" "${win[@]}" >/dev/null || fail "the first game failed"
[ -e "$kept" ] && fail "a headless run without --keep-progress wrote $kept"
"$quibbo" "${win[@]}" --keep-progress >/dev/null || fail "the kept game failed"
[ -s "$kept" ] || fail "no $kept after a level won with --keep-progress"
grep -q '"furthest": "QB01.BMP"' "$kept" || fail "progress.json does not name QB01.BMP: $(cat "$kept")"

stats=$(cd "$dir" && "$quibbo" --continue --headless --levels "$dir/levels" --frames 5 --stats \
    --record "$dir/continued.qrun") || fail "--continue failed"
[[ "$stats" == *'"level": 1,'* ]] || fail "--continue did not start on level 1: $stats"
before=$(md5sum "$kept")
stats=$("$quibbo" --replay "$dir/continued.qrun" --headless --levels "$dir/levels" --stats \
    --keep-progress) || fail "the replay failed"
[[ "$stats" == *'"level": 1,'* ]] || fail "the replay did not play level 1: $stats"
[ "$(md5sum "$kept")" = "$before" ] || fail "the replay wrote progress"

printf '{"version": 1, "sets": [{"set": ' >"$kept"
cp "$kept" "$dir/damaged"
said=$("$quibbo" --continue --headless --levels "$dir/levels" --frames 5 --stats 2>&1 >"$dir/stats")
[ "$(echo "$said" | wc -l)" = 1 ] && [[ "$said" == *damaged* ]] ||
    fail "a damaged file was not said in one line: $said"
grep -q '"level": 0,' "$dir/stats" || fail "a damaged file did not give a new game: $(cat "$dir/stats")"
cmp -s "$kept" "$dir/damaged" || fail "the damaged bytes were touched by a run that keeps nothing"
"$quibbo" "${win[@]}" --keep-progress >/dev/null 2>&1 || fail "the game after the damage failed"
cmp -s "$XDG_DATA_HOME/quibbo/progress-damaged-1.json" "$dir/damaged" ||
    fail "the damaged bytes were not kept aside"
grep -q '"furthest": "QB01.BMP"' "$kept" || fail "no fresh progress.json after the damage"
echo "progress.sh: kept only when asked, continued, never by a replay, damage kept aside"
