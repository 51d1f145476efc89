#!/usr/bin/env bash
# Includes run one way: platform <- gfx <- math3d <- scene <- world <- app.
# A file includes from its own folder or from folders to its left. A backend
# (platform/NAME/) is platform too: it may include the core's platform files,
# but nothing else of the core includes a backend, save app/main.cpp, which
# picks one, and app/RunFileIo.cpp, which is built with zlib (platform/zlib)
# and not into the core. gfx includes nothing from res/: its pictures come
# as parameters.
# tools/, tests/, bench/ and fuzz/ may include anything.
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
[ "$bad" -eq 0 ] && { echo "layers: every include runs with the order"; exit 0; }
echo "layers: $bad include(s) break the order platform <- gfx <- math3d <- scene <- world <- app"
exit 1
