#!/usr/bin/env bash
# Runs end-to-end scenarios one after the other, each in a D-Bus session of its own, in a
# private runtime folder; whatever a run started is stopped when it ends, however it ends.
# Stops at the first that fails.
#   run_e2e.sh INSTALL_PREFIX ARTIFACTS_FOLDER SCENARIO [SCENARIO...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
runtime=$(mktemp -d); chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -TERM "$pid"; wait "$pid" || true; fi
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
# Debian's python3: it has gi and pyatspi, whatever else is first on PATH.
prefix=$1 artifacts=$2
shift 2
for scenario in "$@"; do
  dbus-run-session -- /usr/bin/python3 "$here/e2e.py" --prefix "$prefix" --artifacts "$artifacts" \
    "$scenario" &
  pid=$!
  wait "$pid"
  pid=
done
