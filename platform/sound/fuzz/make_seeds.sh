#!/usr/bin/env bash
# Writes the cue fuzzer's seeds into DIR: a tiny wave file of every encoding a cue may have,
# made by sox from one 20 ms chord (none is kept in the repository).   make_seeds.sh DIR
set -euo pipefail
dir=$1
src="$dir/source.wav"
sox -q -n -r 8000 -c 1 -b 16 "$src" synth 0.02 sine 440 sine 1250 remix - vol 0.4
n=0
seed() { n=$((n + 1)); sox -q "$src" "$@" "$dir/seed$n.wav"; }
seed -b 8
seed -b 16
seed -b 24
seed -b 32
seed -c 2 -b 16
seed -c 6 -b 16
seed -e floating-point -b 32
seed -e floating-point -b 64
seed -e u-law
seed -e a-law
seed -e ima-adpcm
seed -e ms-adpcm
seed -e gsm-full-rate
seed -B -b 16
seed -r 44100 -b 16
