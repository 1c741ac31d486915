#!/usr/bin/env bash
# Packs the Windows build into its setup program and plays it under Wine (setup_e2e.py).
#   run_setup_e2e.sh CPACK BUILD_DIR ARTIFACTS
set -euo pipefail
cpack=$1 build=$2 artifacts=$3
here=$(cd "$(dirname "$0")" && pwd)
(cd "$build" && "$cpack" -G NSIS >/dev/null)
setup=$(ls "$build"/qor-flipper-*-win64-setup.exe)
# The tree cpack packed, which the install must reproduce.
tree="$build/_CPack_Packages/win64/NSIS/$(basename "$setup" .exe)"
echo "== $(basename "$setup"): $(stat -c %s "$setup") bytes, $(find "$tree" -type f | wc -l) files"
# The run makes its own prefix, display and window manager.
env -u WINEPREFIX -u WINEPATH -u DISPLAY python3 "$here/setup_e2e.py" "$setup" "$tree" "$artifacts"
