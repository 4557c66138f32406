#!/usr/bin/env bash
# Installs what is needed, builds, starts the test services, runs the whole
# test suite with ctest and stops the services again, also on failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
svc=$(mktemp -d /tmp/sorae-test.XXXXXX)
cleanup() { "$top/scripts/test-services.sh" stop "$svc"; rm -rf "$svc"; }
trap cleanup EXIT
"$top/scripts/test-services.sh" start "$svc"
export XDG_RUNTIME_DIR=$svc/runtime
export SORAE_PULSE_AVAILABLE=1
cd "${SORAE_BUILD_DIR:-$top/build}"
ctest --output-on-failure -j 2 --timeout 900

# In CI (or with SORAE_FULL_TESTS=1): fuzz every file reader for a bounded
# time, then the whole suite once more under AddressSanitizer and UBSan, so
# that ctest's summary stays the closing lines. Any failing stage fails the run.
if [ -n "${CI:-}" ] || [ "${SORAE_FULL_TESTS:-0}" = 1 ]; then
  fuzz_status=0
  # 10 s a target keeps the whole CI run under 35 minutes on two cores;
  # longer runs by hand: scripts/fuzz.sh 300
  "$top/scripts/fuzz.sh" "${SORAE_FUZZ_SECONDS:-10}" || fuzz_status=$?
  "$top/scripts/test-sanitizers.sh"
  if [ "$fuzz_status" -ne 0 ]; then
    echo "FAILED: fuzzing found a crash (see the fuzz_* lines above)"
    exit 1
  fi
fi
