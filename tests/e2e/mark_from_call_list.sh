#!/usr/bin/env bash
# A person at a real X display: from the pad, "View My Phone Log" opens the
# call list of a log prepared with telvo-log; a click on the newest call's
# icon opens its Actions menu, "i" marks it Important; Escape closes the call
# list and then the fresh pad. The mark byte is read back with telvo-log.
#   mark_from_call_list.sh TELVO TELVO-LOG
set -euo pipefail
telvo=$1
log_tool=$2
source "$(dirname "$0")/sample_workgroup.sh"
"$log_tool" post "$work/phone/bob/MESSAGES" --caller "Older Call" --initials AS >/dev/null
"$log_tool" post "$work/phone/bob/MESSAGES" --caller "Joe Caller" --initials AS >/dev/null

# Without a window manager windows stay where the program puts them, and the
# keyboard goes to the window under the pointer. Positions are fractions of
# each window, as its layout units are.
timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  at() {  # at WINDOW X-FRACTION Y-FRACTION: the pointer there
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove --window "$1" "$(awk -v w="$WIDTH" -v f="$2" "BEGIN{print int(w*f)}")" \
      "$(awk -v h="$HEIGHT" -v f="$3" "BEGIN{print int(h*f)}")"
  }
  "$1" & pid=$!
  pad=$(xdotool search --sync --onlyvisible --name "^Message Pad$" | head -n 1)
  xdotool windowfocus --sync "$pad"
  sleep 1
  at "$pad" 0.205 0.884         # "View My Phone Log" at this screen size
  xdotool click 1
  list=$(xdotool search --sync --onlyvisible --name "Bob Brown" | head -n 1)
  xdotool windowfocus --sync "$list"
  sleep 1
  at "$list" 0.025 0.09         # the newest call'"'"'s icon
  xdotool click 1
  sleep 0.5
  xdotool key i
  sleep 0.5
  xdotool key Escape
  pad=$(xdotool search --sync --onlyvisible --name "^Message Pad$" | head -n 1)
  sleep 1
  at "$pad" 0.5 0.5
  xdotool windowfocus --sync "$pad"
  xdotool key Escape
  wait "$pid"
' e2e "$telvo"

calls=$("$log_tool" list "$work/phone/bob/MESSAGES" --tsv | cut -f2,5)
echo "$calls"
[ "$calls" = "$(printf 'important\tJoe Caller\nnew\tOlder Call')" ]
