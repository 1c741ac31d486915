#!/usr/bin/env bash
# Packs the Windows build into its zip and plays the zip under Wine (zip_e2e.py).
#   run_zip_e2e.sh CPACK BUILD_DIR ARTIFACTS
set -euo pipefail
cpack=$1 build=$2 artifacts=$3
here=$(cd "$(dirname "$0")" && pwd)
(cd "$build" && "$cpack" -G ZIP >/dev/null)
zip=$(ls "$build"/qor-flipper-*-win64.zip)
echo "== $(basename "$zip"):"
unzip -Z1 "$zip"
# The run makes its own prefix, display and window manager.
env -u WINEPREFIX -u WINEPATH -u DISPLAY python3 "$here/zip_e2e.py" "$zip" "$artifacts"
