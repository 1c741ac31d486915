#!/usr/bin/env bash
# Remakes docs/game-*.png: starts a private Xvfb and openbox, plays a few clicks on the game
# window with xdotool and photographs it after each. Needs a build in ../build and the test
# packages (bash tools/deps.sh test). Stops everything it started.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
display=:${QOR_SHOT_DISPLAY:-58}
export DBUS_SESSION_BUS_ADDRESS=disabled:
export XDG_RUNTIME_DIR=$(mktemp -d); chmod 700 "$XDG_RUNTIME_DIR"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$XDG_RUNTIME_DIR"; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display
openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
sleep 1
(cd "$build" && exec ./qor-flipper) & pids=("$!" "${pids[@]}")
wid=$(timeout 20 xdotool search --sync --name '^Korvane II - QOR Flipper$' | head -1)
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
