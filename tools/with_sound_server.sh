#!/usr/bin/env bash
# Runs a command with a private PulseAudio server of its own (one null sink), stopped by PID
# when the command ends, however it ends.   with_sound_server.sh COMMAND [ARGS...]
set -euo pipefail
runtime=$(mktemp -d); chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$runtime/pulse/native"
unset PULSE_CLIENTCONFIG
pa=
cleanup() {
  if [ -n "$pa" ]; then kill "$pa" 2>/dev/null || true; wait "$pa" 2>/dev/null || true; fi
  rm -rf "$runtime"
}
trap cleanup EXIT
pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n \
  --load=module-native-protocol-unix --load="module-null-sink sink_name=cap" \
  --load=module-always-sink --log-target=file:"$runtime/pa.log" & pa=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { echo "the sound server did not start" >&2; exit 1; }
"$@"
