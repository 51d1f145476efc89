#!/usr/bin/env bash
# Checks what a player gets: builds the Debian package from a finished build,
# has lintian (when installed) find no error in it, unpacks it into a scratch
# root, and checks the tree (every file in place, the desktop entry and the
# metainfo valid, the manual pages gzipped and complete, the copyright file
# in Debian's format, the campaign's levels in place) and that the game runs from there as the menu
# entry starts it, and plays the campaign installed with it. `cmake --install`
# into a scratch prefix must lay out the same files.
# Usage: tests/install/check_install.sh BUILD-FOLDER [sdl|headless]
#   (headless: the game was built without its SDL backend)
# Exit status 77 (skipped) when the Debian tools it needs are missing.
set -euo pipefail
build=$(cd "${1:?usage: check_install.sh BUILD-FOLDER}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
backend=${2:-sdl}
app=com.vornack.quibbo

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (tools/deps.sh installs it)"
        exit 77
    fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The package, built from the same build without building anything again.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$scratch"/pkg/*.deb)
echo "package: $(basename "$deb") (made in ${SECONDS} s)"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
libs=(libc6 libstdc++6)
[ "$backend" = sdl ] && libs+=(libsdl2-2.0-0)
for lib in "${libs[@]}"; do
    [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib"
done
root="$scratch/root"
dpkg -x "$deb" "$root"

expected=(
    usr/bin/quibbo
    usr/games/quibbo
    usr/bin/leveltool
    "usr/share/applications/$app.desktop"
    "usr/share/metainfo/$app.metainfo.xml"
    usr/share/man/man6/quibbo.6.gz
    usr/share/man/man6/leveltool.6.gz
    usr/share/doc/quibbo/copyright
    usr/share/doc/quibbo/changelog.Debian.gz
)
for size in 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
done
# The campaign: a level file for each text map the build was given.
maps=$(sed -n 's/^QUIBBO_CAMPAIGN_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
campaign=()
for map in "$maps"/QB[0-9][0-9]*.txt; do
    [ -e "$map" ] || continue
    name=$(basename "$map" .txt)
    campaign+=("$name")
    expected+=("usr/share/quibbo/levels/$name.BMP")
done
echo "campaign: ${#campaign[@]} level(s) from $maps"
for f in "${expected[@]}"; do
    [ -s "$root/$f" ] || fail "$f is missing from the package"
done
[ -x "$root/usr/bin/quibbo" ] && [ -x "$root/usr/bin/leveltool" ] || fail "programs not executable"
[ "$(readlink "$root/usr/games/quibbo")" = ../bin/quibbo ] || fail "usr/games/quibbo is not a link to ../bin/quibbo"
[ -z "$(find "$root/usr/share/man" -type f ! -name '*.gz')" ] || fail "a manual page is not gzipped"
for gz in "$root"/usr/share/man/man6/*.gz "$root/usr/share/doc/quibbo/changelog.Debian.gz"; do
    gzip -t "$gz" 2>/dev/null || fail "${gz#"$root"/} is not gzip"
done
copyright="$root/usr/share/doc/quibbo/copyright"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$copyright" &&
    grep -q '^Files: \*$' "$copyright" && grep -q '^License: ' "$copyright" ||
    fail "the copyright file is not in Debian's machine-readable format"
[[ "$(dpkg-deb -f "$deb" Maintainer)" == *' <'*'@'*'>' ]] || fail "the Maintainer has no address"
if command -v lintian >/dev/null; then
    # Errors fail; warnings are known and explained in the README.
    said=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    [ -n "$said" ] && echo "lintian: $said"
    if grep -q '^E: ' <<<"$said"; then fail "lintian finds errors"; fi
else
    echo "note: lintian is not installed; the package was not checked by it"
fi

# Each icon is a PNG of the size its folder names (width and height sit at
# bytes 16 to 23 of the file).
for size in 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png"
    [ -s "$png" ] || continue
    magic=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    wh=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$magic" = 89504e470d0a1a0a ] || fail "$size icon is not a PNG"
    [ "$wh" = "${size}x${size}" ] || fail "$size icon is $wh"
done

# ... and each is still the game's window icon (res/icon.bmp), drawn larger.
if command -v python3 >/dev/null; then
    python3 "$source/tools/art/icons.py" --check "$root"/usr/share/icons/hicolor/*/apps/$app.png ||
        fail "the theme's icons are not the window icon (run tools/art/icons.py)"
else
    echo "note: python3 is not installed; the icons were not compared with the window icon"
fi

desktop="$root/usr/share/applications/$app.desktop"
if command -v desktop-file-validate >/dev/null; then
    # Its hints count too: one names, for instance, a menu entry without a
    # main category, which menus then file under "other".
    if ! said=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$said" ]; then
        fail "desktop-file-validate: $said"
    fi
else
    echo "note: desktop-file-validate is not installed; the desktop entry was not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "note: appstreamcli is not installed; the metainfo was not validated"
fi
grep -q "^Icon=$app$" "$desktop" || fail "the desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" \
    "$root/usr/share/metainfo/$app.metainfo.xml" || fail "the metainfo names another desktop entry"
grep -q '<image>https\?://' "$root/usr/share/metainfo/$app.metainfo.xml" ||
    fail "the metainfo has no screenshot address"

# The manual pages render without a warning, and every option the installed
# program lists is on its page.
for prog in quibbo leveltool; do
    [ -s "$root/usr/share/man/man6/$prog.6.gz" ] || continue
    page="$scratch/$prog.6"
    gzip -dc "$root/usr/share/man/man6/$prog.6.gz" >"$page"
    if command -v groff >/dev/null; then
        warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
        [ -z "$warnings" ] || fail "$prog.6: $warnings"
        text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)
    else
        text=$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$page")
    fi
    rm "$page"
    help=$("$root/usr/bin/$prog" --help)
    for opt in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -qF -- "$opt" <<<"$text" || fail "$prog.6 lacks $opt"
    done
    first=$(head -n1 <<<"$help" | sed 's/^[Uu]sage: //')
    grep -qF -- "$first" <<<"$text" || fail "$prog.6 lacks its usage line: $first"
done

# The game, started as the menu entry starts it, from the unpacked root.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
command=${exec_line%% *}
[ "$command" = quibbo ] || fail "the desktop entry runs '$exec_line'"
if stats=$(cd "$scratch" && PATH="$root/usr/games:$PATH" "$command" --headless --frames 10 --stats); then
    echo "installed run: $stats"
    [[ "$stats" == *'"frames": 10'* && "$stats" == *'"exit_code": 0'* ]] ||
        fail "the installed game's figures: $stats"
else
    fail "the installed game ended with status $?"
fi
# ... and it finds the campaign it was installed with: level 1 is QB01.BMP
# of share/quibbo/levels/, not of the player's data folder (an empty one
# here) nor of the build.
if [[ " ${campaign[*]} " == *" QB01 "* ]]; then
    if stats=$(cd "$scratch" && XDG_DATA_HOME="$scratch/no-data" PATH="$root/usr/games:$PATH" \
            "$command" --headless --level 1 --frames 10 --stats); then
        echo "installed run of level 1: $stats"
        [[ "$stats" == *'"level": 1,'* && "$stats" == *'"frames": 10'* ]] ||
            fail "the installed game did not play the campaign's level 1: $stats"
    else
        fail "the installed game could not start the campaign's level 1 (status $?)"
    fi
else
    echo "note: no levels/QB01.txt; the installed game's campaign was not played"
fi
[ -z "$(ls -A "$scratch" | grep -v -x -e pkg -e root -e cpack.log)" ] ||
    fail "the installed game left files in its working folder"

# cmake --install lays out the same tree as the package.
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
diff <(cd "$scratch/prefix" && find . -type f | sort) <(cd "$root/usr" && find . -type f | sort) ||
    fail "cmake --install and the package install different files"

echo "checked in ${SECONDS} s"
if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "the package and the installed tree are as they should be"
