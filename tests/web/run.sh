#!/usr/bin/env bash
# The browser build's checks, for CI: every unit test compiled with em++ and
# run under node through CTest (build-web-tests/), then the page and the
# level editor in headless Chromium (tests/web/page.js, which runs the parts
# in tests/web/page/, one a feature) against the native game's pictures and
# the level tool's links and files. Installs Emscripten, Chromium, GoogleTest's
# sources and playwright-core (into web/node_modules) when they are missing.
# Needs the native game and level tool in build/ (./test.sh builds them);
# NATIVE=path/to/quibbo for another game, with its leveltool beside it.
set -euo pipefail
cd "$(dirname "$0")/../.."

missing=()
command -v em++ >/dev/null || missing+=(emscripten)
[ -x /usr/bin/chromium ] || missing+=(chromium)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
if [ ! -d web/node_modules/playwright-core ]; then
    (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
jobs=$(nproc)

echo "--- unit tests under node"
emcmake cmake -S . -B build-web-tests -DCMAKE_BUILD_TYPE=Release -DQUIBBO_TESTS=ON \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node;--no-experimental-fetch" >/dev/null
cmake --build build-web-tests -j"$jobs"
# Under node every process has the same pid, and the soak runs name their
# scratch level folders by it: those run one at a time.
ctest --test-dir build-web-tests --output-on-failure -j"$jobs" -E '^Soak\.'
ctest --test-dir build-web-tests --output-on-failure -R '^Soak\.'

echo "--- the page in Chromium"
native=${NATIVE:-build/quibbo}
for tool in "$native" "$(dirname "$native")/leveltool"; do
    [ -x "$tool" ] || { echo "run.sh: no $tool (run ./test.sh first)" >&2; exit 1; }
done
./web.sh --build
node tests/web/page.js build-web "$native" "${1:-}"
