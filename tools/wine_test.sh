#!/usr/bin/env bash
# Runs one cross-built QtTest executable under Wine and prints its results. Wine does not
# pass a console program's output on to a Unix pipe, so QtTest writes them to a file.
# tools/windows-test.sh sets WINEPREFIX, WINEPATH and DISPLAY for a whole run.
#   wine_test.sh test.exe [QtTest arguments]
set -uo pipefail
exe=$1; shift
wine=${QOR_WINE:-/usr/lib/wine/wine64}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/winpath.sh"
"$wine" "$exe" -o "$(winpath "$out/result.txt"),txt" "$@" >"$out/console.txt" 2>&1
rc=$?
if [ -n "${QOR_WINE_RESULTS:-}" ] && [ -s "$out/result.txt" ]; then
  mkdir -p "$QOR_WINE_RESULTS"
  tr -d '\r' <"$out/result.txt" >"$QOR_WINE_RESULTS/$(basename "$exe" .exe).txt"
fi
if [ -s "$out/result.txt" ]; then
  # Wine's own notes aside, the results as QtTest wrote them.
  tr -d '\r' <"$out/result.txt"
else
  echo "no results from $exe (exit $rc):"
  cat "$out/console.txt"
  [ "$rc" -eq 0 ] && rc=1
fi
exit "$rc"
