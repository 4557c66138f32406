#!/usr/bin/env bash
# Builds the program and its whole test suite with AddressSanitizer and
# UBSan (in build-asan/) and runs it with ctest against its own test
# services. Any memory error, leak or undefined behaviour fails the test
# that caused it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORAE_ASAN_BUILD_DIR:-$top/build-asan}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSORAE_SANITIZE=ON -DSORAE_BUILD_BENCH=OFF
fi
cmake --build "$build" -j "$(nproc)"

svc=$(mktemp -d /tmp/sorae-asan.XXXXXX)
cleanup() { "$top/scripts/test-services.sh" stop "$svc"; rm -rf "$svc"; }
trap cleanup EXIT
"$top/scripts/test-services.sh" start "$svc"
export XDG_RUNTIME_DIR=$svc/runtime
export SORAE_PULSE_AVAILABLE=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/scripts/lsan-suppressions.txt:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j 2 --timeout 1800
