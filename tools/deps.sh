#!/usr/bin/env bash
# Installs what building and testing Quibbo needs on Debian 12, when it can
# (as root or through sudo); otherwise says exactly what to install.
# Usage: tools/deps.sh [extra Debian packages...]
set -euo pipefail

# Beyond the compiler and libraries: dpkg-dev for the package's dependency
# line (cpack), desktop-file-utils and appstream for the install test's
# validators, groff-base to check the manual pages render.
need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in g++ cmake make pkg-config libsdl2-dev zlib1g-dev libgtest-dev \
           dpkg-dev desktop-file-utils appstream groff-base "$@"; do
    have_pkg "$pkg" || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    runas=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    runas=(sudo)
else
    echo "Quibbo needs these Debian packages: ${need[*]}" >&2
    echo "Install them with:  sudo apt-get install -y ${need[*]}" >&2
    exit 1
fi
echo "Installing ${need[*]} ..." >&2
export DEBIAN_FRONTEND=noninteractive
"${runas[@]}" apt-get update -qq
"${runas[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >&2
