#!/bin/bash
# The campaign's text maps can each be finished and play fair:
#   check_levels.sh LEVELTOOL LEVELS_DIR
# runs `leveltool check` on every QB*.txt in LEVELS_DIR. Exit status 77 (a
# skip) when the folder holds none yet.
tool=$1
dir=$2
shopt -s nullglob
maps=("$dir"/QB*.txt)
if [ ${#maps[@]} -eq 0 ]; then
    echo "no QB*.txt in $dir: nothing to check"
    exit 77
fi
exec "$tool" check "${maps[@]}"
