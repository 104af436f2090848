#!/usr/bin/env bash
# A person at a desktop with a window manager: telvo starts on a sample
# workgroup, and a call is typed as a person types it, caller, Tab, message,
# Tab, phone number, and delivered with Alt+D; Escape closes the pad, and the
# recipient's log is read back with telvo-log.
#   deliver_by_keyboard.sh TELVO TELVO-LOG
set -euo pipefail
telvo=$1
log_tool=$2
command -v openbox >/dev/null || { echo "SKIP: openbox is not installed"; exit 77; }
source "$(dirname "$0")/sample_workgroup.sh"
log=$work/phone/ann/MESSAGES

timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  # eventually SECONDS COMMAND...: polls COMMAND until it succeeds.
  eventually() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
      [ "$SECONDS" -lt "$deadline" ] || { echo "gave up waiting for: $*" >&2; exit 1; }
      sleep 0.1
    done
  }
  openbox >/dev/null 2>&1 &
  eventually 20 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q \"window id\""
  "$1" & pid=$!
  eventually 20 sh -c "xdotool search --onlyvisible --name \"^Message Pad\\$\" | grep -q ."
  pad=$(xdotool search --onlyvisible --name "^Message Pad$" | head -n 1)
  # The window manager hands the new pad the keyboard; the caller box has it.
  eventually 10 sh -c "[ \"\$(xdotool getactivewindow)\" = $pad ]"
  xdotool type --delay 30 "Joe Caller"
  xdotool key Tab
  xdotool type --delay 30 "Call back today"
  xdotool key Tab
  xdotool type --delay 30 "555-0199"
  xdotool key alt+d
  eventually 10 sh -c "\"$2\" list \"$3\" --tsv | grep -q ."
  xdotool key Escape
  wait "$pid"
' e2e "$telvo" "$log_tool" "$log"

calls=$("$log_tool" list "$log" --tsv)
today=$(date +%m-%d-%Y)
echo "$calls"
[ "$(printf '%s\n' "$calls" | wc -l)" -eq 1 ]
# The phone number in its own field, and no tab typed into the message.
[ "$(printf '%s' "$calls" | cut -f2,3,5,6,7)" = \
  "$(printf 'new\t%s\tJoe Caller\t555-0199\tCall back today (CW)' "$today")" ]
