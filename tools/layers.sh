#!/usr/bin/env bash
# Includes run one way: platform <- gfx <- math3d <- scene <- world <- app.
# A file includes from its own folder or from folders to its left. A backend
# (platform/NAME/) is platform too: it may include the core's platform files,
# but nothing else of the core includes a backend, save app/main.cpp, which
# picks one, and app/RunFileIo.cpp, which includes zlib's raw deflate
# (platform/zlib) and is built into quibbo_runio, not the core. gfx includes
# nothing from res/: its pictures come as parameters.
# tools/, tests/, bench/ and fuzz/ may include anything of ours.
# A system's own headers stay in its device, in every folder of the tree
# (build trees and node_modules aside):
#   windows.h, mmsystem.h, xinput.h, direct.h   platform/win32/
#   SDL*                                        platform/sdl/, tests/platform/sdl/
#   emscripten*                                 platform/web/, app/web/ and the
#                                               level editor's tools/leveledit/LevelEdit.h
#   layers.sh [ROOT]   (ROOT: the project, by default this script's parent)
# Prints every include that breaks a rule; exit status 1 if there is one.
set -u
cd "${1:-$(dirname "$0")/..}" || exit 2
rank() { case $1 in platform) echo 0 ;; gfx) echo 1 ;; math3d) echo 2 ;; scene) echo 3 ;;
  world) echo 4 ;; app) echo 5 ;; *) echo -1 ;; esac; }
bad=0
while IFS= read -r f; do
  top=${f%%/*}
  r=$(rank "$top")
  while IFS=: read -r n inc; do
    # "Name.h" or "../x/Name.h" next to the file; anything else from the root.
    [ -e "$(dirname "$f")/$inc" ] && inc=$(realpath -m --relative-to=. "$(dirname "$f")/$inc")
    it=${inc%%/*}
    why=
    if [ "$(rank "$it")" -gt "$r" ]; then why="$top/ includes $inc"
    elif [ "$top" = gfx ] && [ "$it" = res ]; then why="gfx/ includes $inc"
    elif [[ $inc == platform/*/* && $f != platform/*/* && $f != app/main.cpp &&
      $f != app/RunFileIo.cpp ]]; then
      why="the core includes the backend's $inc"
    fi
    [ -z "$why" ] || { echo "$f:$n: $why"; bad=$((bad + 1)); }
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$f" | sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
done < <(find platform gfx math3d scene world app -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)

# Where a system header may be included: its device's folders, or a file.
device_of() {
  local name=${1,,} # Windows' file names know no case
  case $name in
    windows.h | mmsystem.h | xinput.h | direct.h) echo "platform/win32/" ;;
    *) case $1 in
      SDL*) echo "platform/sdl/ tests/platform/sdl/" ;;
      emscripten*) echo "platform/web/ app/web/ tools/leveledit/LevelEdit.h" ;;
    esac ;;
  esac
}
while IFS= read -r f; do
  while IFS=: read -r n inc; do
    places=$(device_of "$inc")
    [ -n "$places" ] || continue
    ok=
    for place in $places; do
      [[ $f == "$place"* ]] && ok=1
    done
    [ -n "$ok" ] || { echo "$f:$n: <$inc> belongs in ${places// / or }"; bad=$((bad + 1)); }
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' "$f" | sed -E 's/^([0-9]+):[^<]*<([^>]+)>.*/\1:\2/')
done < <(find . \( -name '.git' -o -name 'node_modules' -o -path './build*' \) -prune -o \
  -type f \( -name '*.cpp' -o -name '*.cc' -o -name '*.c' -o -name '*.h' -o -name '*.hpp' \) \
  -print 2>/dev/null | sed 's|^\./||' | sort)
[ "$bad" -eq 0 ] && { echo "layers: every include runs with the order"; exit 0; }
echo "layers: $bad include(s) break the order or leave a system's headers outside its device"
exit 1
