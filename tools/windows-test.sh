#!/usr/bin/env bash
# The Windows leg of the tests. Cross-builds the program and its tests with MinGW-w64 against
# our own Qt for Windows (tools/windows-qt.sh makes it once and then reuses it), runs the
# QtTest suites under Wine with the offscreen platform, packs the zip with cpack and plays it
# under Wine with the real windows platform (tests/wine). Starts its own Xvfb, since Wine
# needs a display even for offscreen programs, and stops it and Wine by PID.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh windows
qt=$(bash tools/windows-qt.sh | tail -n1)
jobs=$(nproc)

echo "== cross-build for Windows against $qt"
"$qt/bin/qt-cmake" -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$qt/mingw.cmake" -DQOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-win -j "$jobs"

work=$(mktemp -d)
pids=()
cleanup() {
  WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k 2>/dev/null || true
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
export WINEPATH="$(winpath "$qt/bin");$(winpath "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")");$(winpath /usr/x86_64-w64-mingw32/lib)"
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# Wine hands a Windows program no Unix variable whose name starts with QT_, so the test
# platform goes into the prefix's own environment instead.
/usr/lib/wine/wine64 reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /t REG_SZ /d offscreen /f \
  >/dev/null 2>&1

echo "== the tests under Wine"
export QOR_WINE_RESULTS="$work/results"
status=0
ctest --test-dir build-win --output-on-failure -j "$jobs" "$@" || status=$?
# What each suite said, and why anything was skipped.
for r in "$QOR_WINE_RESULTS"/*.txt; do
  [ -e "$r" ] || continue
  printf '%-22s %s\n' "$(basename "$r" .txt)" "$(grep '^Totals:' "$r" | cut -d, -f1-3)"
  { grep '^SKIP' "$r" || true; } | sed 's/^/    /' | sort -u
done
exit "$status"
