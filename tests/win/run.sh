#!/usr/bin/env bash
# Quibbo for Windows under Wine: builds with ./win.sh (the unit tests too),
# runs the unit tests, checks that quibbo.exe --headless plays a key script
# to the same figures and the same last picture as the Linux build, that a
# run recorded on either replays on the other to them, and that
# under Xvfb the game's window shows the game and walks when keys are sent.
# Installs what is missing first.
#
#   tests/win/run.sh [LINUX_QUIBBO]     (default build/quibbo)
#   SHOTS=DIR keeps the window's screenshots in DIR.
set -euo pipefail
cd "$(dirname "$0")/../.."
native=${1:-build/quibbo}
[ -x "$native" ] || { echo "tests/win/run.sh: no Linux build at $native (./test.sh makes it)" >&2; exit 1; }

tools/deps.sh g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev zip googletest \
    xvfb xdotool imagemagick unzip python3 x11-utils
QUIBBO_TESTS=ON ./win.sh
native=$(realpath "$native")
win=$PWD/build-win

work=$(mktemp -d)
xvfb=""
game=""
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    WINEPREFIX="$work/wine" wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all
# The Linux game keeps its settings and progress in a home of the test's own,
# as the Windows one does in the fresh prefix: neither sees the player's.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$HOME"
source tests/xwindow.sh
fail() { echo "tests/win/run.sh: $*" >&2; exit 1; }
# One X display for the whole run: Wine's programs share the desktop of the
# first one started, so it must start with the display there.
start_xvfb
echo "--- the zip's programs need nothing but Windows"
version=$(sed -n 's/^project(quibbo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
unzip -q "$win/quibbo-$version-windows-x64.zip" -d "$work/zip"
tests/win/imports.sh "$work"/zip/*/*.exe || fail "a program of the zip needs a DLL it does not ship"
echo "--- the game's icon and version, and what the zip's README tells"
python3 tools/art/icons.py --check platform/win32/quibbo.ico || fail "quibbo.ico is not the window icon"
# The version resource holds its names and the version in UTF-16; each of
# the icon's pictures is there as the icon file has it.
python3 - "$work"/zip/*/quibbo.exe "$version" <<'PY' || fail "quibbo.exe has no icon or version"
import struct, sys
exe = open(sys.argv[1], "rb").read()
ico = open("platform/win32/quibbo.ico", "rb").read()
wanted = [b".rsrc\0", "VS_VERSION_INFO".encode("utf-16-le"),
          ("ProductVersion\0" + sys.argv[2] + "\0").encode("utf-16-le")]
for i in range(struct.unpack_from("<H", ico, 4)[0]):
    size, at = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
    wanted.append(ico[at:at + size])
for what in wanted:
    if what not in exe:
        sys.exit("quibbo.exe lacks %r" % what[:40])
PY
readme=$(cat "$work"/zip/*/README.txt)
for words in "--record FILE" "--replay FILE" "Windows protected your PC" "Run anyway"; do
    [[ "$readme" == *"$words"* ]] || fail "README.txt does not mention $words"
done

echo "--- making a Wine prefix"
wine wineboot -i >/dev/null 2>&1 || true

echo "--- the unit tests under Wine"
# From the build folder, where the tests' paths are worked out.
(cd "$win/tests" && wine ./quibbo_tests.exe --gtest_brief=1) || fail "unit tests failed under Wine"

echo "--- the same figures and picture as Linux"
keys=""
for ((f = 30; f < 6000; f += 200)); do
    keys+="$f:+up,$((f + 150)):-up,$((f + 155)):+right,$((f + 185)):-right,$((f + 190)):fire,"
done
echo "${keys%,}" >"$work/route.keys"
mkdir -p "$work/levels"
cp "$win"/QB0[1-3].BMP "$work/levels/"
args=(--headless --frames 6000 --seed 7 --keys @route.keys --stats --levels levels --no-confirm)
# fps is the one figure that depends on the machine.
figures() { sed 's/"fps": [^,]*, //'; }
(cd "$work" && "$native" "${args[@]}" --screenshot linux.bmp | figures >linux.json)
(cd "$work" && wine "$win/quibbo.exe" "${args[@]}" --screenshot windows.bmp | tr -d '\r' |
    figures >windows.json)
cat "$work/windows.json"
cmp "$work/linux.json" "$work/windows.json" || fail "--stats differ: $(cat "$work/linux.json")"
cmp "$work/linux.bmp" "$work/windows.bmp" || fail "the last pictures differ"
echo "--- runs recorded on one replay on the other"
(cd "$work" && "$native" "${args[@]}" --record linux.qrun >/dev/null)
(cd "$work" && wine "$win/quibbo.exe" --replay linux.qrun --headless --levels levels --stats \
    --screenshot linux-on-windows.bmp | tr -d '\r' | figures >linux-on-windows.json)
cmp "$work/linux.json" "$work/linux-on-windows.json" || fail "a Linux run replays otherwise on Windows"
cmp "$work/linux.bmp" "$work/linux-on-windows.bmp" || fail "a Linux run ends on another picture on Windows"
(cd "$work" && wine "$win/quibbo.exe" "${args[@]}" --record windows.qrun >/dev/null)
(cd "$work" && "$native" --replay windows.qrun --headless --levels levels --stats \
    --screenshot windows-on-linux.bmp | figures >windows-on-linux.json)
cmp "$work/windows.json" "$work/windows-on-linux.json" || fail "a Windows run replays otherwise on Linux"
cmp "$work/windows.bmp" "$work/windows-on-linux.bmp" || fail "a Windows run ends on another picture on Linux"
cmp "$win/QB03.BMP" "$(dirname "$native")/QB03.BMP" ||
    fail "leveltool.exe made another QB03.BMP than Linux's"

echo "--- --help started without a console shows a window"
# start runs it as Explorer does, with no standard handles.
wine start /unix "$win/quibbo.exe" --help
help=$(quibbo_window '^Quibbo: help$')
# Keys reach it once it has the focus, which Wine gives it a moment after
# it shows.
for _ in $(seq 5); do
    sleep 1
    xdotool windowfocus --sync "$help" key Escape 2>/dev/null || true
    sleep 0.5
    [ -z "$(xdotool search --name '^Quibbo: help$' 2>/dev/null || true)" ] && help="" && break
done
[ -z "$help" ] || fail "Escape did not close the help"

echo "--- the window under Xvfb"
(cd "$work" && exec wine "$win/quibbo.exe" --nosound --scale 2 --levels levels) &
game=$!
window=$(quibbo_window)
# Wine hands the window class's icon to X.
xprop -id "$window" _NET_WM_ICON | grep -q '=' || fail "the window has no icon"
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $WIDTH x $HEIGHT at $X,$Y"
[ "$WIDTH" -eq 480 ] && [ "$HEIGHT" -eq 640 ] || fail "the window is $WIDTH x $HEIGHT, not 480 x 640"
shots=${SHOTS:-$work}
mkdir -p "$shots"
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$shots/$1"; }
sleep 3
shot win-title.png
# The title picture, a game's worth of colours (an empty window has one).
colours=$(convert "$shots/win-title.png" -format '%k' info:)
echo "title picture: $colours colours"
[ "$colours" -gt 16 ] || fail "the window shows no picture ($colours colours)"
# Keys go through the X server's test extension to the window with the
# focus, the game's (Wine ignores keys sent to a window by other means).
xdotool keydown Up
sleep 1.5
xdotool keyup Up
sleep 0.5
shot win-walked.png
changed=$(compare -metric AE "$shots/win-title.png" "$shots/win-walked.png" null: 2>&1 || true)
echo "pixels changed by walking: $changed of $((WIDTH * HEIGHT))"
[ "${changed%%.*}" -gt $((WIDTH * HEIGHT / 10)) ] || fail "Up did not walk (only $changed pixels changed)"
# F12 says where the screenshot went in the title bar, for a few seconds.
xdotool key F12
sleep 0.5
title=$(xdotool getwindowname "$window")
echo "title after F12: $title"
[[ "$title" == "Quibbo - screenshot saved as "*quibbo-[0-9][0-9][0-9].bmp ]] || fail "F12 said nothing in the title"
sleep 4
[ "$(xdotool getwindowname "$window")" = Quibbo ] || fail "F12's note stayed in the title"
# Escape asks "Quit Quibbo?" in Windows' own box; Escape again says Yes.
xdotool key Escape
sleep 1
shot win-quit.png
xdotool key Escape
for _ in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "Escape, Escape did not end the game"
game=""
echo "tests/win/run.sh: all passed"
