#!/usr/bin/env bash
# Runs one end-to-end scenario in a D-Bus session of its own and a private runtime folder;
# whatever it started is stopped when it ends, however it ends.
#   run_e2e.sh INSTALL_PREFIX ARTIFACTS_FOLDER SCENARIO
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
dbus-run-session -- /usr/bin/python3 "$here/e2e.py" --prefix "$1" --artifacts "$2" "$3" &
pid=$!
wait "$pid"
