#!/usr/bin/env bash
# Makes the game's four sound cues from nothing but sox synthesis:
#   Start.wav        the opening: a crowd roar under a short brass fanfare
#   Fac.wav          a card flicked off the deck
#   BoxingBell2.wav  end of round: a bright bell rung four times
#   BoxingBell.wav   next round: a deeper bell rung twice
# All 16-bit PCM, 44.1 kHz. -R keeps noise and dither repeatable, so a rerun gives the same
# files. Usage: bash make_sounds.sh [output folder, default: this script's folder]
set -euo pipefail

out=$(cd "${1:-$(dirname "$0")}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

S="sox -R -q"
R=44100

# One bell strike: inharmonic partials (ratios of a struck bell), each dying away on its own
# time, mixed. $1 = file, $2 = fundamental Hz, $3 = length s, $4 = loudness.
bell_strike() {
    local f=$1 base=$2 len=$3 vol=$4 i=0 parts=()
    # ratio : relative level : decay share of len
    for p in "1.0:1.0:1.0" "2.0:0.55:0.7" "2.76:0.5:0.55" "5.40:0.28:0.35" "8.93:0.15:0.2"; do
        IFS=: read -r ratio level share <<<"$p"
        local hz dl
        hz=$(echo "$base * $ratio" | bc -l)
        dl=$(echo "$len * $share" | bc -l)
        $S -n -r $R -c 1 -b 16 "p$i.wav" synth "$dl" sine "$hz" vol "$level" \
            fade l 0.001 "$dl" "$(echo "$dl - 0.002" | bc -l)" pad 0 "$(echo "$len - $dl" | bc -l)"
        parts+=("p$i.wav")
        i=$((i + 1))
    done
    $S -m "${parts[@]}" -b 16 "$f" vol "$vol" trim 0 "$len"
    rm -f "${parts[@]}"
}

# --- Fac.wav: a short bright noise burst (the card edge) over a soft low thump (the card
# landing), sharp attack, gone in about 0.15 s.
$S -n -r $R -c 1 -b 16 flick.wav synth 0.14 whitenoise vol 0.5 highpass 1800 lowpass 9000 \
    fade l 0.001 0.14 0.135 vol 0.8
$S -n -r $R -c 1 -b 16 thump.wav synth 0.14 sine 190 fade l 0.001 0.14 0.13 vol 0.5
$S -m flick.wav thump.wav -b 16 fac_mix.wav
$S fac_mix.wav -b 16 "$out/Fac.wav" norm -3 fade t 0 0.14 0.01

# --- BoxingBell2.wav: end of the round, four quick strikes of a bright bell, ~2 s.
bell_strike bright.wav 1320 1.1 0.9
$S -n -r $R -c 1 -b 16 gap.wav trim 0 0
parts=()
for k in 0 1 2 3; do
    $S bright.wav -b 16 "ring$k.wav" pad "$(echo "$k * 0.3" | bc -l)" 0
    parts+=("ring$k.wav")
done
$S -m "${parts[@]}" -b 16 end_mix.wav
$S end_mix.wav -b 16 "$out/BoxingBell2.wav" norm -3 trim 0 2.0 fade t 0 2.0 0.15

# --- BoxingBell.wav: next round, two strikes of a deeper, longer bell, ~1.5 s.
bell_strike deep.wav 740 1.2 0.9
$S deep.wav -b 16 deep2.wav pad 0.35 0
$S -m deep.wav deep2.wav -b 16 next_mix.wav
$S next_mix.wav -b 16 "$out/BoxingBell.wav" norm -3 trim 0 1.5 fade t 0 1.5 0.12

# --- Start.wav: a crowd roar swelling and falling (pink noise, band-limited, slow tremolo)
# under a brass-like fanfare (bright sawtooth notes through a low-pass): G C E, G held.
$S -n -r $R -c 2 -b 16 crowd.wav synth 2.2 pinknoise pinknoise \
    bandpass 900 1.6q tremolo 5.5 25 fade q 0.5 2.2 0.8 vol 0.45
notes=("0.16:392" "0.16:523.25" "0.16:659.25" "0.9:783.99")
parts=()
t=0.15
i=0
for n in "${notes[@]}"; do
    IFS=: read -r len hz <<<"$n"
    $S -n -r $R -c 1 -b 16 "n$i.wav" synth "$len" sawtooth "$hz" sawtooth "$(echo "$hz * 1.004" | bc -l)" \
        remix - lowpass 2600 fade q 0.015 "$len" 0.06 vol 0.35 pad "$t" 0
    parts+=("n$i.wav")
    t=$(echo "$t + $len + 0.02" | bc -l)
    i=$((i + 1))
done
$S -m "${parts[@]}" -b 16 fanfare_mono.wav
$S fanfare_mono.wav -b 16 -c 2 fanfare.wav reverb 30 50 60 pad 0 1
$S -m crowd.wav fanfare.wav -b 16 start_mix.wav
$S start_mix.wav -b 16 "$out/Start.wav" trim 0 2.2 norm -3 fade t 0 2.2 0.3

for f in Start Fac BoxingBell2 BoxingBell; do
    printf '%-16s %s s\n' "$f.wav" "$(soxi -D "$out/$f.wav")"
done
