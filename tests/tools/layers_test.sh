#!/bin/bash
# The layer check finds what breaks the order and passes what keeps it:
#   layers_test.sh LAYERS_SH
# A small tree of one-line files, each including one thing, and the exact
# list of complaints the check must print about it.
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
expected='app/MainFrame.cpp:1: the core includes the backend'"'"'s platform/web/Web.h
gfx/Blit.cpp:1: gfx/ includes scene/Maze.h
gfx/Digits.cpp:1: gfx/ includes res/ResourceIds.h
platform/Display.cpp:1: platform/ includes gfx/Surface.h
platform/Platform.cpp:1: the core includes the backend'"'"'s platform/sdl/Sdl.h
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
    "$dir/platform/Platform.cpp" "$dir/app/MainFrame.cpp"
bash "$layers" "$dir" || exit 1
