#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers with clang (in build-fuzz/)
# and runs each for a bounded time on its seed corpus (fuzz/corpus/<name>/).
# Fails when any target finds a crash, a leak, undefined behaviour or a hang;
# the input that did it is left in build-fuzz/artifacts/<name>/.
#
# Usage: fuzz.sh [SECONDS [NAME...]]   (default 30 s each, every target)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORAE_FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${1:-${SORAE_FUZZ_SECONDS:-30}}
shift || true

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSORAE_FUZZ=ON >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; echo "fuzzing: FAILED (configure)"; exit 1; }
fi
cmake --build "$build" -j "$(nproc)" >"$build/fuzz-build.log" 2>&1 ||
  { tail -n 40 "$build/fuzz-build.log"; echo "fuzzing: FAILED (build)"; exit 1; }

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for d in "$top"/fuzz/corpus/*/; do names+=("$(basename "$d")"); done
fi

failed=()
for name in "${names[@]}"; do
  program=$build/fuzz/fuzz_$name
  seeds=$top/fuzz/corpus/$name
  work=$build/corpus/$name   # grows between runs; the seeds stay as committed
  artifacts=$build/artifacts/$name
  log=$build/logs/$name.log
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  if [ ! -x "$program" ]; then
    echo "fuzz_$name: no such target"; failed+=("$name"); continue
  fi
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$program" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ $status -eq 0 ]; then
    echo "fuzz_$name: ${runs:-?} inputs in ${seconds} s, no crash"
  else
    echo "fuzz_$name: CRASH (exit $status) - last lines of $log:"
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written|deadly signal|Timeout' "$log" | head -n 20
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzzing: ${#names[@]} targets, ${seconds} s each, no crash"
