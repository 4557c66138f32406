#!/usr/bin/env bash
# Builds the Debian package of the program: installs what is needed, builds
# the program in build/ (SORAE_BUILD_DIR sets another folder) and leaves
# sorae-apt_<version>_<arch>.deb in build/package/ (or the folder given).
# Install it with `sudo apt install ./build/package/sorae-apt_*.deb`.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORAE_BUILD_DIR:-$top/build}
out=${1:-$build/package}
"$top/scripts/install-deps.sh"
SORAE_BUILD_TARGETS="sorae-apt" "$top/scripts/build.sh"
mkdir -p "$out"
rm -f "$out"/sorae-apt_*.deb
(cd "$build" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out")
rm -rf "$out/_CPack_Packages"
ls "$out"/sorae-apt_*.deb
