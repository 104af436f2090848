#!/usr/bin/env bash
# A person at a desktop with a window manager: telvo starts on a sample
# workgroup, and a call is typed as a person types it, caller, Tab, message,
# Tab, phone number, and delivered with Alt+D; Escape closes the pad, and the
# recipient's calls are read back with telvo-log.
#   deliver_by_keyboard.sh TELVO TELVO-LOG [database|stand-in]
# With "database" the workgroup is made with db-init and db-add in the test
# cluster of $TELVO_TEST_DATABASE_DIR (Database.ClusterStart), and the
# workgroup list names it. With "stand-in" Ann's alert names Bob as her
# stand-in: the alert window opens at Alt+D, Alt+I there delivers to Bob
# instead, and the call says it was meant for Ann.
set -euo pipefail
telvo=$1
log_tool=$2
for tool in xvfb-run xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [ "${3:-}" = database ]; then
  conninfo=$(cat "${TELVO_TEST_DATABASE_DIR:-/nonexistent}/conninfo" 2>/dev/null || true)
  [ -n "$conninfo" ] ||
    { echo "SKIP: no PostgreSQL test cluster: Database.ClusterStart says why"; exit 77; }
fi
source "$(dirname "$0")/sample_workgroup.sh"
list=("$log_tool" list "$work/phone/ann/MESSAGES" --tsv)
message="Call back today (CW)"
if [ "${3:-}" = stand-in ]; then
  printf 'Out today\r\nCalls to Bob Brown\r\nPosted 8:00 AM 12-08-2026\r\n' \
    >"$work/phone/ann/ALERT.TXT"
  list=("$log_tool" list "$work/phone/bob/MESSAGES" --tsv)
  message="Call back today [for Ann Smith] (CW)"
fi
if [ "${3:-}" = database ]; then
  group=e2e-$$
  "$log_tool" db-init "$conninfo" >/dev/null
  "$log_tool" db-add "$conninfo" "$group" "Ann Smith" >/dev/null
  "$log_tool" db-add "$conninfo" "$group" "Bob Brown" >/dev/null
  printf 'DATABASE %s workgroup=%s\r\n' "$conninfo" "$group" >"$work/team.wgl"
  list=("$log_tool" list "$work/team.wgl" --person "Ann Smith" --tsv)
fi

STAND_IN=${3:-} timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  # What this display runs ends with it, also when a step fails.
  trap "kill \$(jobs -p) 2>/dev/null || true" EXIT
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
  shift
  eventually 20 sh -c "xdotool search --onlyvisible --name \"^Message Pad\\$\" | grep -q ."
  pad=$(xdotool search --onlyvisible --name "^Message Pad$" | head -n 1)
  # The window manager hands the new pad the keyboard; the caller box has it.
  eventually 10 sh -c "[ \"\$(xdotool getactivewindow)\" = $pad ]"
  xdotool type --delay 30 "Joe <b>Caller</b>"
  xdotool key Tab
  xdotool type --delay 30 "Call back today"
  xdotool key Tab
  xdotool type --delay 30 "555-0199"
  xdotool key alt+d
  if [ "$STAND_IN" = stand-in ]; then
    eventually 10 sh -c "xdotool search --onlyvisible --name \"^Alert for Ann Smith\\$\" | grep -q ."
    xdotool key alt+i
  fi
  eventually 10 sh -c "\"\$@\" | grep -q ." sh "$@"
  xdotool key Escape
  wait "$pid"
' e2e "$telvo" "${list[@]}"

calls=$("${list[@]}")
echo "$calls"
[ "$(printf '%s\n' "$calls" | wc -l)" -eq 1 ]
# Each field as typed, the phone number in its own and no tab in the
# message; the time is the clock's.
[ "$(printf '%s' "$calls" | cut -f2,3,5,6,7)" = \
  "$(printf 'new\t%s\tJoe <b>Caller</b>\t555-0199\t%s' "$(date +%m-%d-%Y)" "$message")" ]
[ "${3:-}" != stand-in ] || [ -z "$("$log_tool" list "$work/phone/ann/MESSAGES" --tsv)" ]
printf '%s' "$calls" | cut -f4 | grep -Eqx '1?[0-9]:[0-5][0-9] [AP]M'
