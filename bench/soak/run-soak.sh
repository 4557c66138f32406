#!/usr/bin/env bash
# Runs the soak driver for a full simulated day (or the hours given) and
# keeps its summary beside the run's pictures.
# Usage: run-soak.sh BUILD_DIR [HOURS] [OUT_DIR]
set -euo pipefail
build=${1:?usage: run-soak.sh BUILD_DIR [HOURS] [OUT_DIR]}
hours=${2:-24}
out=${3:-$(mktemp -d /tmp/sorae-soak.XXXXXX)}
driver=$build/bench/soak/sorae-soak
[ -x "$driver" ] || { echo "no driver at $driver (build the sorae-soak target)"; exit 1; }
mkdir -p "$out"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
start=$(date +%s)
status=0
"$driver" --hours "$hours" --data-dir "$out" --verbose --check | tee "$out/soak-summary.txt" || status=$?
echo "wall clock of the script: $(( $(date +%s) - start )) s" | tee -a "$out/soak-summary.txt"
echo "pictures, sound and summary in $out"
exit "$status"
