#!/usr/bin/env bash
# Installs what is needed, builds in Release and runs the program's main job on
# the built-in example.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${SORAE_BUILD_DIR:-$top/build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
exec "$build/src/app/sorae-apt" "$@"
