#!/bin/bash
# The settings as the program meets them, with HOME and the XDG folders in a
# scratch folder: --set turn_speed=90 turns 43.2 degrees in 30 frames of Left
# at 16 ms; the run recorded so replays to the same heading with no setting;
# a replay takes --set volume=3 and ends with the same figures; settings.ini
# saying turn_speed = 90 does what --set does, and a bad line beside it is
# said in one line and skipped.
#   settings_run.sh QUIBBO
set -u
quibbo=$(realpath "$1")
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-settings.XXXXXX")
trap 'rm -rf "$dir"' EXIT
export HOME="$dir/home" XDG_DATA_HOME="$dir/home/data" XDG_CONFIG_HOME="$dir/home/config"
mkdir -p "$HOME" "$dir/levels"
fail() {
    echo "settings_run.sh: $*"
    exit 1
}
heading() { sed -n 's/.*"heading": \([0-9.e-]*\).*/\1/p' <<<"$1"; }
turned() { awk -v h="$(heading "$1")" 'BEGIN { printf "%.6f", 360 - h }'; }
# Every figure but the machine's own speed.
figures() { sed 's/"fps": [^,}]*//' <<<"$1"; }
play=(--headless --levels "$dir/levels" --frames 30 --keys 1:+left --stats)

fast=$("$quibbo" "${play[@]}" --set turn_speed=90 --record "$dir/fast.qrun") || fail "--set: $fast"
[ "$(turned "$fast")" = "43.200000" ] || fail "--set turn_speed=90 turned $(turned "$fast"): $fast"
design=$("$quibbo" "${play[@]}") || fail "$design"
[ "$(turned "$design")" = "19.200000" ] || fail "the design's speed turned $(turned "$design")"

replay=(--headless --levels "$dir/levels" --replay "$dir/fast.qrun" --stats)
again=$("$quibbo" "${replay[@]}") || fail "the replay: $again"
[ "$(heading "$again")" = "$(heading "$fast")" ] || fail "replayed to $(heading "$again")"
louder=$("$quibbo" "${replay[@]}" --set volume=3 --set map_colours=high-contrast) ||
    fail "--replay --set volume=3: $louder"
[ "$(figures "$louder")" = "$(figures "$again")" ] || fail "other figures: $louder"

mkdir -p "$XDG_CONFIG_HOME/quibbo"
printf '# mine\nturn_speed = 90\nvolume = loud\n' >"$XDG_CONFIG_HOME/quibbo/settings.ini"
kept=$("$quibbo" "${play[@]}" 2>"$dir/said") || fail "settings.ini: $kept"
[ "$(heading "$kept")" = "$(heading "$fast")" ] || fail "settings.ini turned $(turned "$kept")"
[ "$(wc -l <"$dir/said")" = 1 ] && grep -q "settings.ini line 3: volume takes" "$dir/said" ||
    fail "the bad line was not said in one line: $(cat "$dir/said")"
# The run holds its own turn speed: the file's is not taken by its replay,
# and a --set of it is refused.
"$quibbo" "${replay[@]}" --set turn_speed=40 2>"$dir/said" >/dev/null
[ $? = 2 ] && grep -q "the run holds its own turn_speed" "$dir/said" ||
    fail "--replay took --set turn_speed: $(cat "$dir/said")"
printf 'turn_speed = 40\n' >"$XDG_CONFIG_HOME/quibbo/settings.ini"
again=$("$quibbo" "${replay[@]}") || fail "the replay: $again"
[ "$(heading "$again")" = "$(heading "$fast")" ] || fail "the file's speed reached the replay"
echo "turned $(turned "$fast") degrees at 90 a second, $(turned "$design") at the design's 40"
exit 0
