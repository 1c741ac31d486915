#!/usr/bin/env bash
# Records what the real sound player plays: starts a private PulseAudio with a null sink,
# records its monitor while cue_probe plays, stops everything it started, then measures
# the recording with cue_listen.py.   bench/cue_probe.sh <build folder> [output folder]
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mkdir -p "${2:-$build/cue_probe_out}" && cd "${2:-$build/cue_probe_out}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

export XDG_RUNTIME_DIR=$(mktemp -d); chmod 700 "$XDG_RUNTIME_DIR"
export DBUS_SESSION_BUS_ADDRESS=disabled:
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    pactl exit 2>/dev/null || true
    rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

pulseaudio -D --exit-idle-time=-1 --system=false -n --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=cap" --load=module-always-sink \
    --log-target=file:"$XDG_RUNTIME_DIR/pa.log"
pactl set-default-sink cap
# A quiet keep-alive stream: without it the null sink hands audio over in ~2 s blocks.
sox -q -n -t raw -r 44100 -c 2 -b 16 -e signed - synth 600 sine 100 vol 0.002 |
    pacat --latency-msec=20 --playback --raw --format=s16le --rate=44100 --channels=2 \
        --device=cap & pids+=($!)
parecord --device=cap.monitor --latency-msec=20 --rate=44100 --channels=1 --format=s16le \
    "$out/rec.wav" & rec=$!
sleep 1.5 # the first ~0.4 s of a recording is lost: warm up

"$build/bench/cue_probe" "$build" | tee "$out/probe.log"
pactl list sinks | grep -E '^\s*Latency' | head -1 | tee -a "$out/probe.log"
sleep 0.5
kill -INT "$rec"; wait "$rec" || true
python3 "$here/cue_listen.py" "$out/rec.wav" "$out/probe.log" "$build"
