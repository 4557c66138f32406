#!/usr/bin/env bash
# The soak through the real capture path: a private PulseAudio server whose
# default recording device is a pipe source reading a FIFO, which the driver
# fills faster than real time (two simulated hours unless told otherwise).
# Usage: pipe-soak.sh BUILD_DIR [HOURS] [OUT_DIR]
set -uo pipefail
build=${1:?usage: pipe-soak.sh BUILD_DIR [HOURS] [OUT_DIR]}
hours=${2:-2}
out=${3:-$(mktemp -d /tmp/sorae-pipe-soak.XXXXXX)}
driver=$build/bench/soak/sorae-soak
[ -x "$driver" ] || { echo "no driver at $driver (build the sorae-soak target)"; exit 1; }
mkdir -p "$out/server/runtime" "$out/data"
chmod 700 "$out/server/runtime"
export XDG_RUNTIME_DIR=$out/server/runtime
unset PULSE_SERVER
fifo=$out/server/capture.fifo
cat > "$out/server/pulse.pa" <<PA
load-module module-native-protocol-unix
load-module module-null-sink sink_name=soak_sink rate=48000 channels=2
load-module module-pipe-source source_name=soak_pipe file=$fifo format=s16le rate=48000 channels=2
set-default-sink soak_sink
set-default-source soak_pipe
PA
HOME=$out/server pulseaudio --daemonize=yes -n -F "$out/server/pulse.pa" --exit-idle-time=-1 \
  --log-target=file:"$out/server/pulse.log" || { echo "pulseaudio did not start"; cat "$out/server/pulse.log"; exit 1; }
trap 'HOME=$out/server pulseaudio --kill >/dev/null 2>&1 || true' EXIT
for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.2; done
[ -p "$fifo" ] || { echo "the pipe source made no FIFO"; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$driver" --hours "$hours" --data-dir "$out/data" --pipe "$fifo" --verbose --check | tee "$out/soak-summary.txt"
status=${PIPESTATUS[0]}
echo "pictures, sound and summary in $out"
exit "$status"
