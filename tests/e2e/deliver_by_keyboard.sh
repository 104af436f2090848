#!/usr/bin/env bash
# A person at a real X display: telvo starts on a sample workgroup, a call is
# typed and delivered with the keyboard, Escape closes the pad, and the
# recipient's log is read back with telvo-log.
#   deliver_by_keyboard.sh TELVO TELVO-LOG
set -euo pipefail
telvo=$1
log_tool=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/phone/ann" "$work/phone/bob" "$work/config/telvo" "$work/run"
chmod 700 "$work/run"
printf '"Ann Smith","%s","127.0.0.1","%s"\r\n"Bob Brown","%s","127.0.0.1","%s"\r\n' \
  "$work/phone/ann" "$work/phone/ann/ALERT.TXT" "$work/phone/bob" "$work/phone/bob/ALERT.TXT" \
  > "$work/team.wgl"
printf 'WorkGroup=%s\r\nInitials=CW\r\nName=Bob Brown\r\nDefault Recipient=Ann Smith\r\nBackColor= 12632319\r\nPopUp=\r\nDeliver=NotMinimized\r\nSplash=YES\r\nUsepop=NO\r\nPopUp=\r\n' \
  "$work/team.wgl" > "$work/config/telvo/TELVO.INI"

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
unset QT_QPA_PLATFORM
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
