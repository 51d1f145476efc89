#!/usr/bin/env bash
# Builds Quibbo for 64-bit Windows into build-win/ with mingw-w64 and packs
# build-win/quibbo-VERSION-windows-x64.zip: quibbo.exe, leveltool.exe, the
# campaign's levels, README.txt and LICENSE.txt. The programs need no DLL
# beyond Windows' own. The campaign is made with the Windows level tool
# under Wine. Installs what is missing first (apt-get).
#
#   ./win.sh                    build the programs and the zip
#   QUIBBO_TESTS=ON ./win.sh    also the unit tests (quibbo_tests.exe)
set -euo pipefail
cd "$(dirname "$0")"

tools/deps.sh g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev zip
tests=${QUIBBO_TESTS:-OFF}
[ "$tests" = ON ] && tools/deps.sh googletest
out=build-win
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUIBBO_TESTS="$tests" >/dev/null
# The campaign's levels come with the game (cmake/Campaign.cmake); the level
# tool runs under Wine in the build's own prefix, made here once.
export WINEDEBUG=-all
[ -d "$out/wine" ] || WINEPREFIX="$PWD/$out/wine" wine wineboot -i >/dev/null 2>&1 || true
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
