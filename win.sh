#!/usr/bin/env bash
# Builds Quibbo for 64-bit Windows into build-win/ with mingw-w64 and packs
# build-win/quibbo-VERSION-windows-x64.zip: quibbo.exe, leveltool.exe, the
# campaign's levels, README.txt and LICENSE.txt. The programs need no DLL
# beyond Windows' own. The campaign is made with the level tool built for
# this machine (in build/). Installs what is missing first (apt-get).
#
#   ./win.sh                    build the programs and the zip
#   QUIBBO_TESTS=ON ./win.sh    also the unit tests (quibbo_tests.exe)
set -euo pipefail
cd "$(dirname "$0")"

tools/deps.sh g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev zip
tests=${QUIBBO_TESTS:-OFF}
[ "$tests" = ON ] && tools/deps.sh googletest
out=build-win
# The campaign's levels come with the game (cmake/Campaign.cmake), made by
# this machine's own level tool: the same bytes as the Windows one makes,
# without a Wine prefix to run it in.
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target leveltool >/dev/null
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUIBBO_TESTS="$tests" \
    -DQUIBBO_HOST_LEVELTOOL="$PWD/build/leveltool" >/dev/null
targets=(quibbo leveltool)
[ "$tests" = ON ] && targets+=(quibbo_tests)
cmake --build "$out" -j"$(nproc)" --target "${targets[@]}"

version=$(sed -n 's/^project(quibbo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=quibbo-$version-windows-x64
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"
cp "$out/quibbo.exe" "$out/leveltool.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
for level in "$out"/QB[0-9][0-9]*.BMP; do
    [ -e "$level" ] && cp "$level" "$stage/"
done
# Windows' own line ends for the two text files.
for f in README.txt LICENSE.txt; do
    sed 's/$/\r/' "dist/windows/$f" >"$stage/$f"
done
(cd "$out" && zip -qr "$name.zip" "$name")
echo "win.sh: $out/$name.zip ($(du -k "$out/$name.zip" | cut -f1) KB)"
