#!/usr/bin/env bash
# A person at a desktop with a window manager starts Telvo while it already
# runs with its pad minimized: the second start says "Application Already
# Running", and once that box is closed the running pad is back in front.
#   second_start_raises_first.sh TELVO
set -euo pipefail
telvo=$1
command -v openbox >/dev/null || { echo "SKIP: openbox is not installed"; exit 77; }
source "$(dirname "$0")/sample_workgroup.sh"

timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  openbox 2>/dev/null & wm=$!
  trap "kill \$wm 2>/dev/null" EXIT
  # Windows made before the window manager manages the screen are not its.
  until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; do sleep 0.1; done
  "$1" & first=$!
  pad=$(xdotool search --sync --onlyvisible --name "^Message Pad$" | head -n 1)
  # Once the window manager has taken the pad on, it can be minimized.
  until xprop -id "$pad" _NET_FRAME_EXTENTS | grep -q =; do sleep 0.1; done
  xdotool windowminimize "$pad"
  until xprop -id "$pad" WM_STATE | grep -q Iconic; do sleep 0.1; done
  "$1" & second=$!
  box=$(xdotool search --sync --onlyvisible --name "^Telvo$" | head -n 1)
  xdotool windowactivate --sync "$box" key Return
  status=0; wait "$second" || status=$?
  [ "$status" -eq 1 ] || { echo "the second start ended with $status" >&2; exit 1; }
  for _ in $(seq 100); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$pad" ] && break
    sleep 0.1
  done
  [ "$(xdotool getactivewindow)" = "$pad" ] || { echo "the pad did not come to the front" >&2; exit 1; }
  xdotool search --onlyvisible --name "^Message Pad$" | grep -qx "$pad"
  xdotool key Escape
  wait "$first"
' e2e "$telvo"
