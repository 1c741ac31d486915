#!/usr/bin/env bash
# Decode time of each bundled cue, and of the opening cue (the longest, 2.2 s of stereo)
# re-encoded by sox in every encoding a cue may have.   bench/cue_decode.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
sounds="$here/resources/sounds"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src="$sounds/Start.wav"
enc() { name=$1; shift; sox -q "$src" "$@" "$work/Start-$name.wav"; }
enc pcm8 -b 8
enc pcm24 -b 24
enc pcm32 -b 32
enc float32 -e floating-point -b 32
enc float64 -e floating-point -b 64
enc ulaw -e u-law
enc alaw -e a-law
enc ima-adpcm -e ima-adpcm
enc ms-adpcm -e ms-adpcm
enc gsm -e gsm-full-rate
enc rifx -B -b 16
"$build/bench/cue_decode" "$sounds/Start.wav" "$sounds/Fac.wav" "$sounds/BoxingBell2.wav" \
    "$sounds/BoxingBell.wav" "$work"/Start-*.wav
