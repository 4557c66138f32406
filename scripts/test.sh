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
