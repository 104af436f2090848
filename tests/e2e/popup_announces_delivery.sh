#!/usr/bin/env bash
# A person at a real X display with the external popup chosen: telvo starts
# telvo-popup, a call typed for Ann (whose workstation is this one) makes the
# popup's window appear, and the next call, typed straight on, still lands in
# the pad: the popup came to the front without taking the keyboard.
#   popup_announces_delivery.sh TELVO TELVO-LOG TELVO-POPUP
set -euo pipefail
telvo=$1
log_tool=$2
popup=$3
source "$(dirname "$0")/sample_workgroup.sh"
sed -i "s|Usepop=NO|Usepop=EXTERNAL|; s|^PopUp=\r\$|PopUp=$popup\r|" "$work/config/telvo/TELVO.INI"

# The popup listens on the notification port, which one already running on
# this machine would hold.
status=0
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" timeout 2 "$popup" 2>/dev/null || status=$?
if [ "$status" -ne 124 ]; then
  echo "the notification port is in use here: skipped"
  exit 77
fi

timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  # A desktop: openbox stacks the windows and gives the focus.
  desktop=false
  if command -v openbox >/dev/null; then
    desktop=true
    openbox 2>/dev/null &
    until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; do sleep 0.1; done
  fi
  # above WINDOW OTHER: WINDOW is stacked above OTHER.
  above() {
    local order
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d , | cut -d "#" -f 2)
    for w in $order; do
      [ $((w)) -eq "$2" ] && return 0
      [ $((w)) -eq "$1" ] && return 1
    done
    return 1
  }
  "$1" & pid=$!
  pad=$(xdotool search --sync --onlyvisible --name "^Message Pad$" | head -n 1)
  xdotool mousemove --window "$pad" 5 5
  xdotool windowfocus --sync "$pad"
  sleep 1
  xdotool type --delay 30 "Joe Caller"
  xdotool key Tab
  xdotool type --delay 30 "First"
  xdotool key alt+d
  shown=$(xdotool search --sync --onlyvisible --name "^Telvo Popup$" | head -n 1)
  sleep 1
  if $desktop; then
    # In front when the call came; below the pad once the person works in it.
    above "$shown" "$pad" || { echo "the popup did not come to the front" >&2; exit 1; }
    xdotool windowactivate --sync "$pad"
    sleep 0.5
    above "$pad" "$shown" || { echo "the popup stays above the pad" >&2; exit 1; }
  fi
  xdotool type --delay 30 "Second Caller"
  xdotool key Tab
  xdotool type --delay 30 "Second"
  xdotool key alt+d
  sleep 1
  if $desktop; then
    above "$shown" "$pad" || { echo "the popup did not come to the front again" >&2; exit 1; }
  fi
  xdotool key --clearmodifiers Escape
  wait "$pid"
  pkill -f "^$2" || true
' e2e "$telvo" "$popup"

calls=$("$log_tool" list "$work/phone/ann/MESSAGES" --tsv | cut -f5,7)
echo "$calls"
[ "$calls" = "$(printf 'Second Caller\tSecond (CW)\nJoe Caller\tFirst (CW)')" ]
