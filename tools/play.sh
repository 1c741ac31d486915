#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game with the bundled deck.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_TESTS=OFF -DQOR_BUILD_BENCH=OFF
cmake --build build
# The program reads fac_data.txt from the folder it starts in; the build put the sample there.
cd build
exec ./qor-flipper
