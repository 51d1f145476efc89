#!/usr/bin/env bash
# Builds the game and its level editor for the browser into build-web/ and
# serves them on this machine: open the printed address. Installs Emscripten
# first when it is missing. The folder it serves (the files listed at the
# end of the build) is all a static web host needs; the page installs as an
# app and plays offline after one visit.
#
#   ./web.sh            build and serve on port 8000 (PORT=... for another)
#   ./web.sh --build    build only
set -euo pipefail
cd "$(dirname "$0")"

if ! command -v em++ >/dev/null; then
    echo "web.sh: installing Emscripten (apt-get)"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q emscripten
fi
# Debian's Emscripten finds its JavaScript parser among Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# The tree keeps whether it builds the tests too (tests/web/run.sh turns
# them on): the page's files are the same either way. A new tree has none.
tests=()
[ -f build-web/CMakeCache.txt ] || tests=(-DQUIBBO_TESTS=OFF)
# emcmake names node as the tests' runner unless it is named here, and its
# choice does not start them: the same runner as tests/web/run.sh names.
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release "${tests[@]}" \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node;--no-experimental-fetch" >/dev/null
# webapp comes after the game (quibbo) and the editor (leveledit): it
# writes the service worker, whose cache is named for the built files.
cmake --build build-web -j"$(nproc)" --target webapp

# What a first visit to the game loads, then what the editor adds when it is
# opened: the rest of the service worker's list but the icons. The worker
# fetches them all once.
game=(index.html page.css page.js words.js levelcode.js runs.js quibbo.js quibbo.wasm manifest.webmanifest sw.js)
editor=()
for f in $(sed -n "s/^const FILES = \[\(.*\)\];/\1/p" build-web/sw.js | tr -d "',"); do
    case " ${game[*]} " in *" $f "*) continue ;; esac
    [[ $f == icons/* ]] || editor+=("$f")
done
gzipped() {
    local total=0 f
    for f in "$@"; do
        [ -f "build-web/$f" ] && total=$((total + $(gzip -9c "build-web/$f" | wc -c)))
    done
    echo $((total / 1024))
}
icons=(build-web/icons/*)
echo "web.sh: build-web/ holds the page: ${game[*]} icons/ (${#icons[@]} files), and the editor: ${editor[*]}"
echo "web.sh: the game loads $(gzipped "${game[@]}") KB gzipped; with the editor $(gzipped "${game[@]}" "${editor[@]}") KB"
[ "${1:-}" = "--build" ] && exit 0

port=${PORT:-8000}
echo "web.sh: play at http://127.0.0.1:$port/   (Ctrl+C stops the server)"
cd build-web
exec python3 -m http.server "$port" --bind 127.0.0.1
