#!/usr/bin/env bash
# Starts or stops the services the tests need: a PulseAudio server without
# sound hardware, with null sinks for 48 kHz audio and 96 kHz I/Q and remap
# sources on their monitors (Qt lists those as recording devices).
# Usage: test-services.sh start DIR | stop DIR
set -uo pipefail
cmd=$1
dir=$2
export XDG_RUNTIME_DIR=$dir/runtime
case "$cmd" in
start)
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  cat > "$dir/pulse.pa" <<'PA'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=test_sink rate=48000 channels=2 sink_properties=device.description=TestSink
load-module module-remap-source source_name=test_mic master=test_sink.monitor source_properties=device.description=TestMic
load-module module-null-sink sink_name=iq_sink rate=96000 channels=2 sink_properties=device.description=IQSink
load-module module-remap-source source_name=iq_in master=iq_sink.monitor source_properties=device.description=IQIn
set-default-sink test_sink
set-default-source test_mic
PA
  HOME=$dir pulseaudio --daemonize=yes -n -F "$dir/pulse.pa" --exit-idle-time=-1 \
    --log-target=file:"$dir/pulse.log" || { echo "pulseaudio did not start"; cat "$dir/pulse.log"; exit 1; }
  for _ in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && { echo "PulseAudio test server ready"; exit 0; }
    sleep 0.2
  done
  echo "PulseAudio test server did not answer"; exit 1
  ;;
stop)
  HOME=$dir pulseaudio --kill >/dev/null 2>&1 || true
  ;;
esac
