#!/bin/bash
# The layer check finds what breaks the order and passes what keeps it:
#   layers_test.sh LAYERS_SH
# A small tree of one-line files, each including one thing, and the exact
# list of complaints the check must print about it: our own headers out of
# order, and systems' headers outside their devices.
set -u
layers=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-layers.XXXXXX")
trap 'rm -rf "$dir"' EXIT
put() { mkdir -p "$dir/$(dirname "$1")" && printf '#include "%s"\n' "$2" > "$dir/$1"; }
put platform/Time.h "platform/Numbers.h"          # same folder
put platform/Numbers.h "Time.h"                   # same folder, by its name alone
put platform/sdl/Sdl.cpp "platform/Time.h"        # a backend uses the core's platform
put platform/sdl/Pads.cpp "Sdl.h"                 # and its own folder
put gfx/Surface.cpp "platform/Time.h"             # to the left
put scene/Maze.cpp "math3d/Pose.h"
put app/main.cpp "platform/sdl/Sdl.h"             # the one place that picks a backend
put app/Frame.cpp "res/ResourceIds.h"             # res/ is open to all but gfx
put tests/Any.cpp "app/Frame.h"                   # tests include anything
put gfx/Blit.cpp "scene/Maze.h"                   # to the right: wrong
put platform/Display.cpp "../gfx/Surface.h"       # to the right through ../
put world/World.cpp "app/MainFrame.h"
put gfx/Digits.cpp "res/ResourceIds.h"            # gfx and res
put platform/Platform.cpp "platform/sdl/Sdl.h"    # the core and a backend
put app/MainFrame.cpp "platform/web/Web.h"
touch "$dir/gfx/Surface.h"
sys() { mkdir -p "$dir/$(dirname "$1")" && printf '#include <%s>\n' "$2" > "$dir/$1"; }
sys platform/win32/Device.cpp windows.h           # each system in its device
sys platform/win32/Sound.cpp mmsystem.h
sys platform/sdl/Window.cpp SDL.h
sys tests/platform/sdl/PadTest.cpp SDL2/SDL.h
sys platform/web/Canvas.cpp emscripten/html5.h
sys app/web/Exports.cpp emscripten.h              # the page's calls into the game
sys tools/leveledit/LevelEdit.h emscripten/emscripten.h
sys app/Options.cpp string                        # any other system header anywhere
sys build-win/Gen.cpp windows.h                   # build trees are not looked in
sys web/node_modules/x/y.h emscripten.h
sys app/Planted.cpp windows.h                     # a system outside its device: wrong
sys platform/Files.cpp Windows.h
sys tests/win/Shim.h direct.h
sys bench/Bench.cpp SDL.h
sys platform/sdl/Pad.cpp xinput.h
sys tools/leveledit/LevelSwatch.cpp emscripten.h
expected='app/MainFrame.cpp:1: the core includes the backend'"'"'s platform/web/Web.h
app/Planted.cpp:1: <windows.h> belongs in platform/win32/
bench/Bench.cpp:1: <SDL.h> belongs in platform/sdl/ or tests/platform/sdl/
gfx/Blit.cpp:1: gfx/ includes scene/Maze.h
gfx/Digits.cpp:1: gfx/ includes res/ResourceIds.h
platform/Display.cpp:1: platform/ includes gfx/Surface.h
platform/Files.cpp:1: <Windows.h> belongs in platform/win32/
platform/Platform.cpp:1: the core includes the backend'"'"'s platform/sdl/Sdl.h
platform/sdl/Pad.cpp:1: <xinput.h> belongs in platform/win32/
tests/win/Shim.h:1: <direct.h> belongs in platform/win32/
tools/leveledit/LevelSwatch.cpp:1: <emscripten.h> belongs in platform/web/ or app/web/ or tools/leveledit/LevelEdit.h
world/World.cpp:1: world/ includes app/MainFrame.h'
out=$(bash "$layers" "$dir")
status=$?
said=$(printf '%s\n' "$out" | grep -v '^layers:' | sort)
if [ "$status" -ne 1 ] || [ "$said" != "$expected" ]; then
    printf 'status %s; the check said:\n%s\nexpected:\n%s\n' "$status" "$out" "$expected"
    exit 1
fi
# With the wrong includes gone it passes.
rm "$dir/gfx/Blit.cpp" "$dir/platform/Display.cpp" "$dir/world/World.cpp" "$dir/gfx/Digits.cpp" \
    "$dir/platform/Platform.cpp" "$dir/app/MainFrame.cpp" "$dir/app/Planted.cpp" \
    "$dir/platform/Files.cpp" "$dir/tests/win/Shim.h" "$dir/bench/Bench.cpp" \
    "$dir/platform/sdl/Pad.cpp" "$dir/tools/leveledit/LevelSwatch.cpp"
bash "$layers" "$dir" || exit 1
