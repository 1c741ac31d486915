#!/usr/bin/env bash
# Measures the figures of docs/FIGURES.md in one run, each beside its yardstick:
#   start-up to the title window and to the game window, and peak memory: beside a bare Qt
#     Widgets program started the same way (bench_startup), with the title window's ratios
#     to the bare window under the same menu bar held against the start-up goal (1.10x);
#   a flip from the button's release to the window painted: beside a bare window whose button
#     writes a label (bench_game, on the X server);
#   sound onset from a click to the cue leaving the sound server: beside a bare window that
#     plays the same file with QSoundEffect, and the sink's own latency (the sound run of the
#     end-to-end test and bench/bare_sound, recorded from a PulseAudio null sink, then timed
#     by bench/sound_onset.py).
#   with QOR_BASELINE=<git revision>, the same start-up, memory and sound onset figures of that
#     revision too, built from an export of it in build-baseline, so a change is measured
#     against the code before it in one run, on one machine load;
#   how long each bundled cue, and each encoding a cue may have, takes to decode (cue_decode).
# Release build in build-rel; starts its own Xvfb, openbox and PulseAudio and stops them by PID
# (tests/e2e/xdesk.py, tools/with_sound_server.sh).
#   [QOR_BASELINE=<rev>] bash bench/figures.sh [start-up runs, default 21] [startup]
# With "startup" it builds and measures the start-up and memory figures only.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
only=${2:-}
bash tools/deps.sh test >&2

cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
if [ "$only" = startup ]; then
  cmake --build build-rel -j "$(nproc)" --target bench_startup >&2
else
  cmake --build build-rel -j "$(nproc)" >&2
fi
work=$(mktemp -d)
[ "$only" = startup ] || cmake --install build-rel --prefix "$work/prefix" >/dev/null
if [ -n "${QOR_BASELINE:-}" ]; then
    rm -rf build-baseline/src && mkdir -p build-baseline/src
    git archive "$QOR_BASELINE" | tar -x -C build-baseline/src
    cmake -S build-baseline/src -B build-baseline/rel -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQOR_BUILD_TESTS=OFF >&2
    if [ "$only" = startup ]; then
        cmake --build build-baseline/rel -j "$(nproc)" --target bench_startup >&2
    else
        cmake --build build-baseline/rel -j "$(nproc)" >&2
        cmake --install build-baseline/rel --prefix "$work/base-prefix" >/dev/null
    fi
fi

export DBUS_SESSION_BUS_ADDRESS=disabled:
trap 'rm -rf "$work"' EXIT
# An X server with a window manager, as a desktop has; a sound server for the start-up runs,
# which start the real sound system.
on_x() { /usr/bin/python3 tests/e2e/xdesk.py "$@"; }

echo "== start-up and memory ($runs starts of each)" >&2
on_x bash tools/with_sound_server.sh build-rel/bench/bench_startup "$runs" 2>/dev/null
if [ -n "${QOR_BASELINE:-}" ]; then
    echo "== the same, $QOR_BASELINE" >&2
    on_x bash tools/with_sound_server.sh build-baseline/rel/bench/bench_startup "$runs" 2>/dev/null
fi
[ "$only" != startup ] || exit 0
echo "== flip, release to painted, on the X server" >&2
QT_QPA_PLATFORM=xcb on_x build-rel/bench/bench_game 2>/dev/null | tail -3

echo "== sound onset (the game's sound run, then the bare window)" >&2
bash tests/e2e/run_e2e.sh "$work/prefix" "$work/art" sound 2>&1 | grep -v dbus-daemon >&2
dbus-run-session -- /usr/bin/python3 tests/e2e/e2e.py --prefix "$work/prefix" \
    --artifacts "$work/art" --bare build-rel/bench/bare_sound bare-sound 2>&1 |
    grep -v dbus-daemon >&2
base_runs=()
if [ -n "${QOR_BASELINE:-}" ]; then
    echo "== sound onset, $QOR_BASELINE" >&2
    bash tests/e2e/run_e2e.sh "$work/base-prefix" "$work/art-base" sound 2>&1 |
        grep -v dbus-daemon >&2
    mkdir -p "$work/art/baseline" && cp -r "$work/art-base/sound/." "$work/art/baseline/"
    base_runs=("$work/art/baseline")
fi
/usr/bin/python3 bench/sound_onset.py "$work/art/sound" "$work/art/bare-sound" "${base_runs[@]}"

figure() { awk -v k="$2" '$1 == k { print $2 }' "$work/art/$1/figures.txt"; }
echo
echo "Sound onset, click to the cue's first sample leaving the sink (medians):"
printf '  %-40s %6s ms (max %s ms)\n' "QOR Flipper, $(figure sound clicks) clicks" \
    "$(figure sound onset_median_ms)" "$(figure sound onset_max_ms)"
printf '  %-40s %6s ms\n' "QOR Flipper, New Game to the opening cue" \
    "$(figure sound onset_new_game_ms)"
if [ -n "${QOR_BASELINE:-}" ]; then
    printf '  %-40s %6s ms (max %s ms)\n' "QOR Flipper at $QOR_BASELINE" \
        "$(figure baseline onset_median_ms)" "$(figure baseline onset_max_ms)"
fi
printf '  %-40s %6s ms\n' "bare window with QSoundEffect" "$(figure bare-sound onset_median_ms)"
printf '  %-40s %6s ms\n' "the sink's own latency" "$(figure sound sink_latency_ms)"
printf '  %-40s %6s of %s\n' "QOR Flipper clicks left out (sending held up)" \
    "$(figure sound clicks_held_up)" "$(figure sound clicks_recorded)"

echo
echo "Decoding, each bundled cue and each encoding (median of 15 decodes):"
bash bench/cue_decode.sh build-rel
