#!/usr/bin/env bash
# The image figure: a 1 kHz sine stored at 8 kHz as Fac.wav, played by the real sound player
# into a private PulseAudio's null sink and recorded from its monitor at 44.1 kHz; prints how
# far below the tone its strongest image (7, 9, 15, 17 kHz) lies (bench/image_figure.py).
# The server keeps the system's daemon.conf (Debian's default resampler, speex-float-1);
# extra arguments go to pulseaudio, e.g. --resample-method=trivial. SINK_RATE (default 44100)
# sets the null sink's rate, and the recording's.
#   [SINK_RATE=48000] bench/image_figure.sh <build folder> [pulseaudio options...]
set -euo pipefail
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
export XDG_RUNTIME_DIR=$(mktemp -d); chmod 700 "$XDG_RUNTIME_DIR"
export DBUS_SESSION_BUS_ADDRESS=disabled: PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
work=$XDG_RUNTIME_DIR
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n "$@" \
    --load=module-native-protocol-unix --load="module-null-sink sink_name=cap rate=${SINK_RATE:-44100}" \
    --load=module-always-sink --log-target=file:"$work/pa.log" & pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink cap
sox -q -n -r 8000 -c 1 -b 16 "$work/Fac.wav" synth 2.5 sine 1000 vol 0.5
# A quiet keep-alive stream (100 Hz, far from every frequency measured): without it the
# null sink hands audio over in ~2 s blocks.
sox -q -n -t raw -r 44100 -c 2 -b 16 -e signed - synth 600 sine 100 vol 0.002 |
    pacat --latency-msec=20 --playback --raw --format=s16le --rate=44100 --channels=2 \
        --device=cap & pids+=($!)
parecord --device=cap.monitor --latency-msec=20 --rate="${SINK_RATE:-44100}" --channels=1 --format=s16le \
    "$work/rec.wav" & rec=$!
sleep 1.5 # the first ~0.4 s of a recording is lost: warm up
"$build/bench/cue_play" "$work/Fac.wav" 2.5
kill -INT "$rec"; wait "$rec" || true
echo "sink rate ${SINK_RATE:-44100} Hz; server options: ${*:-none} (daemon.conf:" \
    "$(grep -h '^ *resample-method' /etc/pulse/daemon.conf 2>/dev/null || echo 'resampler not set, speex-float-1')"")"
python3 "$here/image_figure.py" "$work/rec.wav"
