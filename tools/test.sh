#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build, the same tests
# under AddressSanitizer + UndefinedBehaviorSanitizer, the Windows build under Wine (its Qt
# made once and cached outside the checkout), and the fuzzers of the data-file reader and
# the cue decoder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh test
jobs=$(nproc)
export DBUS_SESSION_BUS_ADDRESS=disabled:
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"; chmod 700 "$XDG_RUNTIME_DIR"

echo "== format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror

echo "== the deb-src entry windows-qt.sh makes from the system's sources"
bash tools/debian-sources-test.sh

echo "== build and test"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

echo "== sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQOR_SANITIZE=ON -DQOR_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE 'slow|e2e|deb'

echo "== Windows: cross-built, tested under Wine, the zip and the setup program played under Wine"
bash tools/windows-test.sh

echo "== fuzz the data-file reader for ${QOR_FUZZ_SECONDS:=60} s"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_FUZZ=ON \
  -DQOR_BUILD_TESTS=OFF -DQOR_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz --target fuzz_facreader fuzz_cueloader -j "$jobs"
work=$(mktemp -d); cp cards/fuzz/corpus/* "$work"/
./build-fuzz/cards/fuzz/fuzz_facreader -max_total_time="$QOR_FUZZ_SECONDS" -rss_limit_mb=2048 \
  -print_final_stats=1 "$work"
rm -rf "$work"

echo "== fuzz the cue decoder for $QOR_FUZZ_SECONDS s"
work=$(mktemp -d)
bash platform/sound/fuzz/make_seeds.sh "$work"
./build-fuzz/platform/sound/fuzz/fuzz_cueloader -max_total_time="$QOR_FUZZ_SECONDS" -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 "$work"
rm -rf "$work"
echo "== all tests passed"
