#!/bin/bash
# A level through a link and back, with the level tool as a player uses it:
#   link_round_trip.sh LEVELTOOL MAP.txt LEVEL.BMP
# `leveltool link MAP.txt` then `leveltool unlink` must write exactly
# LEVEL.BMP (the file the build made of the map); the link cut short must be
# refused with status 1 and write nothing. Prints the links' lengths, and
# that of the built-in level's.
set -u
tool=$1
map=$2
want=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

link=$("$tool" link "$map") || { echo "leveltool link $map failed"; exit 1; }
case $link in
    http://127.0.0.1:8000/#level=1*) ;;
    *) echo "not a level link: ${link:0:80}"; exit 1 ;;
esac
"$tool" unlink "$link" "$work/back.BMP" > "$work/out" || { cat "$work/out"; exit 1; }
cmp "$want" "$work/back.BMP" || exit 1
# The code alone, pasted without the address, is as good as the link.
"$tool" unlink "${link#*#level=}" "$work/code.BMP" > /dev/null && cmp "$want" "$work/code.BMP" || exit 1

"$tool" unlink "${link:0:${#link}-7}" "$work/cut.BMP" 2> "$work/err"
status=$?
if [ $status -ne 1 ] || [ -e "$work/cut.BMP" ] || [ "$(wc -l < "$work/err")" -ne 1 ]; then
    echo "a cut link: status $status (1 wanted), file written: $([ -e "$work/cut.BMP" ] && echo yes || echo no)"
    cat "$work/err"
    exit 1
fi
echo "$(basename "$map"): link of ${#link} characters; cut: $(cat "$work/err")"

"$tool" show --resource 130 | sed '/^$/q' > "$work/builtin.txt"
builtin=$("$tool" link "$work/builtin.txt") || exit 1
echo "built-in level 130: link of ${#builtin} characters"
