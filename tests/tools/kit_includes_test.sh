#!/bin/bash
# The kit's include check finds each wrong form and passes the right ones:
#   kit_includes_test.sh KIT_INCLUDES_SH
set -u
check=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-kit.XXXXXX")
trap 'rm -rf "$dir"' EXIT
put() { mkdir -p "$dir/$(dirname "$1")" && printf '#include %s\n' "$2" > "$dir/$1"; }
put testkit/SoakRun.h '"scene/Maze.h"'
put testkit/SoakRun.cpp '"testkit/SoakRun.h"'  # the one form
put tests/soak/SoakTest.cpp '"testkit/SoakRun.h"'
put tests/soak/Helper.h '<gtest/gtest.h>'     # the tests may have GoogleTest
put tests/Other.cpp '"soak/Helper.h"'           # and their own helpers
put scene/Maze.h '<vector>'
put tools/soak.cpp '"tests/soak/Helper.h"'      # wrong: from tests/
put fuzz/FuzzGame.h '"../tests/soak/Helper.h"'  # wrong: through ../
put bench/FrameBench.cpp '"soak/Helper.h"'      # wrong: through the tests' folder
put testkit/Pictures.cpp '<gtest/gtest.h>'      # wrong: the kit with GoogleTest
put tools/levelbot.cpp '"../testkit/SoakRun.h"' # wrong form
put fuzz/MakeSeeds.cpp '"SoakRun.h"'            # not the kit's: no such file beside it
put testkit/RouteBot.cpp '"SoakRun.h"'          # wrong form, beside it
put scene/Bad.cpp '"testkit/SoakRun.h"'         # wrong: the game with the kit
expected='bench/FrameBench.cpp:1: bench/ includes tests/soak/Helper.h
fuzz/FuzzGame.h:1: fuzz/ includes tests/soak/Helper.h
scene/Bad.cpp:1: the game includes the kit'"'"'s testkit/SoakRun.h
testkit/Pictures.cpp:1: the kit includes gtest/gtest.h
testkit/RouteBot.cpp:1: the kit'"'"'s testkit/SoakRun.h as "SoakRun.h"
tools/levelbot.cpp:1: the kit'"'"'s testkit/SoakRun.h as "../testkit/SoakRun.h"
tools/soak.cpp:1: tools/ includes tests/soak/Helper.h'
out=$(bash "$check" "$dir")
status=$?
said=$(printf '%s\n' "$out" | grep -v '^kit_includes:' | sort)
if [ "$status" -ne 1 ] || [ "$said" != "$expected" ]; then
    printf 'status %s; the check said:\n%s\nexpected:\n%s\n' "$status" "$out" "$expected"
    exit 1
fi
rm "$dir/tools/soak.cpp" "$dir/fuzz/FuzzGame.h" "$dir/bench/FrameBench.cpp" \
    "$dir/testkit/Pictures.cpp" "$dir/tools/levelbot.cpp" "$dir/testkit/RouteBot.cpp" \
    "$dir/scene/Bad.cpp"
bash "$check" "$dir" || exit 1
