#!/usr/bin/env bash
# A person at a real X display: telvo starts on a sample workgroup, a call is
# typed and delivered with the keyboard, Escape closes the pad, and the
# recipient's log is read back with telvo-log.
#   deliver_by_keyboard.sh TELVO TELVO-LOG
set -euo pipefail
telvo=$1
log_tool=$2
source "$(dirname "$0")/sample_workgroup.sh"

# Without a window manager the keyboard goes to the window under the pointer.
timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  "$1" & pid=$!
  win=$(xdotool search --sync --onlyvisible --name "^Message Pad$" | head -n 1)
  xdotool mousemove --window "$win" 5 5
  xdotool windowfocus --sync "$win"
  sleep 1
  xdotool type --delay 30 "Joe Caller"
  xdotool key Tab
  xdotool type --delay 30 "Call back today"
  xdotool key alt+d
  sleep 1
  xdotool key Escape
  wait "$pid"
' e2e "$telvo"

calls=$("$log_tool" list "$work/phone/ann/MESSAGES" --tsv)
today=$(date +%m-%d-%Y)
echo "$calls"
[ "$(printf '%s\n' "$calls" | wc -l)" -eq 1 ]
[ "$(printf '%s' "$calls" | cut -f2,3,5,6,7)" = "$(printf 'new\t%s\tJoe Caller\t\tCall back today (CW)' "$today")" ]
