#!/bin/bash
# The settings as the program meets them, with HOME and the XDG folders in a
# scratch folder: --set turn_speed=90 turns 43.2 degrees in 30 frames of Left
# at 16 ms; the run recorded so replays to the same heading with no setting,
# and with --set volume=3 to the same figures; settings.ini saying
# turn_speed = 90 does what --set does, a bad line beside it said in one
# line and skipped, and its turn speed does not reach a replay.
#   settings_run.sh QUIBBO
set -u
quibbo=$(realpath "$1")
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-settings.XXXXXX")
trap 'rm -rf "$dir"' EXIT
export HOME="$dir" XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/config"
mkdir -p "$dir/levels" "$XDG_CONFIG_HOME/quibbo"
fail() {
    echo "settings_run.sh: $*"
    exit 1
}
heading() { sed -n 's/.*"heading": \([0-9.e-]*\).*/\1/p' <<<"$1"; }
figures() { sed 's/"fps": [^,}]*//' <<<"$1"; } # all but the machine's speed
play=(--headless --levels "$dir/levels" --frames 30 --keys 1:+left --stats)
replay=(--headless --levels "$dir/levels" --replay "$dir/fast.qrun" --stats)

fast=$("$quibbo" "${play[@]}" --set turn_speed=90 --record "$dir/fast.qrun") || fail "$fast"
turned=$(awk -v h="$(heading "$fast")" 'BEGIN { printf "%.6f", 360 - h }')
[ "$turned" = "43.200000" ] || fail "--set turn_speed=90 turned $turned degrees"
again=$("$quibbo" "${replay[@]}") || fail "the replay: $again"
[ "$(heading "$again")" = "$(heading "$fast")" ] || fail "replayed to $(heading "$again")"
louder=$("$quibbo" "${replay[@]}" --set volume=3) || fail "--set volume=3: $louder"
[ "$(figures "$louder")" = "$(figures "$again")" ] || fail "--set volume=3 changed: $louder"

printf '# mine\nturn_speed = 90\nvolume = loud\n' >"$XDG_CONFIG_HOME/quibbo/settings.ini"
kept=$("$quibbo" "${play[@]}" 2>"$dir/said") || fail "settings.ini: $kept"
[ "$(heading "$kept")" = "$(heading "$fast")" ] || fail "settings.ini turned to $(heading "$kept")"
[ "$(wc -l <"$dir/said")" = 1 ] && grep -q "settings.ini line 3: volume takes" "$dir/said" ||
    fail "the bad line was not said in one line: $(cat "$dir/said")"
printf 'turn_speed = 40\n' >"$XDG_CONFIG_HOME/quibbo/settings.ini"
again=$("$quibbo" "${replay[@]}") || fail "the replay: $again"
[ "$(heading "$again")" = "$(heading "$fast")" ] || fail "the file's turn speed reached the replay"
echo "turned $turned degrees in 30 frames at 90 a second"
