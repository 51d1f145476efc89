#!/usr/bin/env bash
# The browser build's checks, for CI: every unit test compiled with em++ and
# run under node through CTest, then the page and the level editor in
# headless Chromium (tests/web/page.js, which runs the parts in
# tests/web/page/, one a feature) against the native game's pictures and
# the level tool's links and files. One tree, build-web/, holds the tests
# and the page (./web.sh builds the page's files there, the same bytes as
# without the tests). Installs Emscripten, Chromium, GoogleTest's
# sources and playwright-core (into web/node_modules) when they are missing.
# Needs the native game and level tool in build/ (./test.sh builds them);
# NATIVE=path/to/quibbo for another game, with its leveltool beside it.
#
#   tests/web/run.sh [--unit | --page] [PICTURES]
# --unit builds the tree and the page and runs the node tests only, --page
# only the page test (CI runs that beside another build); PICTURES keeps
# the page's pictures in that folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
mode=all
case ${1:-} in
--unit | --page) mode=${1#--} && shift ;;
esac

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

if [ "$mode" != page ]; then
    echo "--- unit tests under node"
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DQUIBBO_TESTS=ON \
        "-DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node;--no-experimental-fetch" >/dev/null
    cmake --build build-web -j"$jobs"
    # A test program is one node process, or two for quibbo_tests
    # (tests/CMakeLists.txt): the soak runs, which name their scratch level
    # folders by a pid that is the same in every node process, run one after
    # another in a process of their own.
    ctest --test-dir build-web --output-on-failure -j"$jobs"
    ./web.sh --build
fi
[ "$mode" = unit ] && exit 0

echo "--- the page in Chromium"
native=${NATIVE:-build/quibbo}
for tool in "$native" "$(dirname "$native")/leveltool"; do
    [ -x "$tool" ] || { echo "run.sh: no $tool (run ./test.sh first)" >&2; exit 1; }
done
node tests/web/page.js build-web "$native" "${1:-}"
