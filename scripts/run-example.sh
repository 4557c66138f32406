#!/usr/bin/env bash
# Installs what is needed, builds in Release and runs the program's main job on
# the built-in example: a four-minute recording of a NOAA-19 pass made by the
# test transmitter at build time is decoded into the two channel pictures.
# With --window the main window is started instead (on the offscreen platform
# when there is no display).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
# Only the program and the example recording (with its generator): the
# tests, benchmarks and soak tools are built by scripts/test.sh.
SORAE_BUILD_TARGETS="sorae-apt sorae_example" "$top/scripts/build.sh"
build=${SORAE_BUILD_DIR:-$top/build}
program="$build/src/app/sorae-apt"

if [ "${1:-}" = "--window" ]; then
  shift
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
  fi
  exec "$program" "$@"
fi

example="$build/data/example/example-pass.flac"
station="$build/example-station"
mkdir -p "$station"
echo "Decoding the built-in example $example"
"$program" decode "$example" --data-dir "$station" --satellite NOAA-19 \
  --frequency 137.1 --max-elevation 62.4 --time 202501151023 --direction 'N>S'
echo
echo "The pictures are in $station/pics (the true pictures beside the recording:"
echo "${example%.flac}_A.png and _B.png)."
