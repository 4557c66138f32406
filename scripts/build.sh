#!/usr/bin/env bash
# Configures (once) and builds the program, its tests and benchmarks in build/
# (SORAE_BUILD_DIR sets another folder, SORAE_JOBS the number of jobs,
# SORAE_BUILD_TARGETS builds only the targets named, e.g. "sorae-apt").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORAE_BUILD_DIR:-$top/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
fi
targets=()
for t in ${SORAE_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j "${SORAE_JOBS:-$(nproc)}" "${targets[@]}"
