#!/usr/bin/env bash
# The Windows leg of the tests. Cross-builds the program and its tests with MinGW-w64 against
# our own Qt for Windows (tools/windows-qt.sh makes it once and then reuses it), runs the
# QtTest suites under Wine with the offscreen platform, packs the zip with cpack and plays it
# under Wine with the real windows platform (tests/wine). Runs the Wine part on a private Xvfb
# of its own (tests/e2e/xdesk.py), since Wine needs a display even for offscreen programs, and
# stops it and Wine by PID.
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [ "${1:-}" != --on-display ]; then
  bash tools/deps.sh windows
  qt=$(bash tools/windows-qt.sh | tail -n1)
  echo "== cross-build for Windows against $qt"
  "$qt/bin/qt-cmake" -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$qt/mingw.cmake" -DQOR_BUILD_BENCH=OFF >/dev/null
  cmake --build build-win -j "$jobs"
  # The rest once more on a private X server (tests/e2e/xdesk.py stops it when that ends).
  exec /usr/bin/python3 tests/e2e/xdesk.py --no-wm bash "$self" --on-display "$qt" "$@"
fi
qt=$2
shift 2

work=$(mktemp -d)
cleanup() {
  WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. tools/winpath.sh
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
