#!/usr/bin/env bash
# What the tests share with the tools, benchmarks and fuzzers lives in the
# kit (testkit/), and the includes say so:
#  - no file of tools/, bench/, fuzz/ or testkit/ includes one under tests/,
#    whatever the form ("tests/...", "../tests/...", or a path that only the
#    tests' include folder finds);
#  - the kit includes no GoogleTest, so what links it needs none;
#  - the game's own folders include nothing of the kit;
#  - every include of a kit header is written "testkit/NAME.h".
#   kit_includes.sh ROOT
# Prints every include that breaks a rule; exit status 1 if there is one.
set -u
cd "$1" || exit 2
bad=0
say() { echo "$1"; bad=$((bad + 1)); }
while IFS= read -r f; do
  top=${f%%/*}
  while IFS=: read -r n inc; do
    # Next to the file, else from the root, else through the tests' folder.
    if [ -e "$(dirname "$f")/$inc" ]; then at=$(realpath -m --relative-to=. "$(dirname "$f")/$inc")
    elif [ -e "$inc" ]; then at=$inc
    elif [ -e "tests/$inc" ]; then at=tests/$inc
    else at=$inc; fi
    case $top in
    tests) ;;
    tools | bench | fuzz | testkit)
      [[ $at == tests/* ]] && say "$f:$n: $top/ includes $at"
      [[ $top == testkit && $inc =~ ^(gtest|gmock)/ ]] && say "$f:$n: the kit includes $inc" ;;
    *) [[ $at == testkit/* ]] && say "$f:$n: the game includes the kit's $at" ;;
    esac
    [[ $at == testkit/* && $inc != "$at" ]] && say "$f:$n: the kit's $at as \"$inc\""
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$f" |
    sed -E 's/^([0-9]+):[^"<]*["<]([^">]+)[">].*/\1:\2/')
done < <(find . -path ./build\* -prune -o -path ./.git -prune -o \( -name '*.cpp' -o -name '*.h' \) \
  -print 2>/dev/null | sed 's|^\./||' | sort)
[ "$bad" -eq 0 ] && { echo "kit_includes: the kit's includes are in order"; exit 0; }
echo "kit_includes: $bad include(s) break the kit's rules"
exit 1
