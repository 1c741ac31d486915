#!/usr/bin/env bash
# Remakes docs/game-*.png: starts a private Xvfb and openbox, opens the game window from the
# title window, plays a few clicks on it with xdotool and photographs it after each. Needs a build in ../build and the test
# packages (bash tools/deps.sh test). Stops everything it started.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
# On a private X server with openbox (tests/e2e/xdesk.py), which stops both when this ends.
if [ -z "${QOR_ON_XDESK:-}" ]; then
  QOR_ON_XDESK=1 exec /usr/bin/python3 "$here/../tests/e2e/xdesk.py" bash "$0" "$@"
fi
export DBUS_SESSION_BUS_ADDRESS=disabled:
export XDG_RUNTIME_DIR=$(mktemp -d); chmod 700 "$XDG_RUNTIME_DIR"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$XDG_RUNTIME_DIR"; }
trap cleanup EXIT

(cd "$build" && exec ./qor-flipper) & pids+=($!)
# The title window first; its File > New Game opens the game window under the same caption.
caption='^Korvane II - QOR Flipper$'
title=$(timeout 20 xdotool search --sync --onlyvisible --name "$caption" | head -1)
sleep 1
xdotool mousemove --window "$title" 20 10 click 1       # File
sleep 0.5
xdotool mousemove --window "$title" 50 36 click 1       # New Game
for _ in $(seq 50); do
  wid=$(xdotool search --onlyvisible --name "$caption" | grep -vx "$title" | head -1 || true)
  [ -n "$wid" ] && break
  sleep 0.2
done
[ -n "$wid" ] || { echo "no game window after File > New Game" >&2; exit 1; }
sleep 1

# The window with its title bar: the client window grown by the frame extents, and by $2
# pixels more at the bottom for a list that drops out of the window.
# (xwininfo, not xdotool: this xdotool adds the frame offset to the position twice.)
shot() {
    local x y w h l r t b
    x=$(xwininfo -id "$wid" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$wid" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(xwininfo -id "$wid" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$wid" | sed -n 's/.*Height: *//p')
    read -r l r t b < <(xprop -id "$wid" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    import -window root -crop "$((w + l + r))x$((h + t + b + ${2:-0}))+$((x - l))+$((y - t))" \
        +repage "$here/$1"
}
# A click at client-area coordinates (the menu bar lies above the client area).
menu=$(( $(xdotool getwindowgeometry --shell "$wid" | sed -n 's/HEIGHT=//p') - 470 ))
click() {
    xdotool mousemove --window "$wid" "$1" "$(($2 + menu))" click 1
    sleep 0.4
    xdotool mousemove --window "$wid" "$(($1 + 1))" "$(($2 + menu + 1))"
}

shot game-opening.png
click 426 224            # Flip QOR
sleep 0.3; shot game-after-flip.png
click 426 224; click 426 224
click 676 440            # Pick Random FAC
sleep 0.3; shot game-review.png
click 426 423            # the Killer Instinct box
click 469 424            # the arrow of the list that now covers it
sleep 0.5; shot game-ki-list.png 240
