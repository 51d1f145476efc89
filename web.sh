#!/usr/bin/env bash
# Builds the game for the browser into build-web/ and serves it on this
# machine: open the printed address. Installs Emscripten first when it is
# missing. The folder it serves (index.html, page.css, page.js, quibbo.js,
# quibbo.wasm) is all a static web host needs.
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

emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DQUIBBO_TESTS=OFF >/dev/null
cmake --build build-web -j"$(nproc)" --target quibbo

files=(index.html page.css page.js quibbo.js quibbo.wasm)
size=0
for f in "${files[@]}"; do size=$((size + $(gzip -9c "build-web/$f" | wc -c))); done
echo "web.sh: build-web/ holds the page: ${files[*]} ($((size / 1024)) KB gzipped)"
[ "${1:-}" = "--build" ] && exit 0

port=${PORT:-8000}
echo "web.sh: play at http://127.0.0.1:$port/   (Ctrl+C stops the server)"
cd build-web
exec python3 -m http.server "$port" --bind 127.0.0.1
