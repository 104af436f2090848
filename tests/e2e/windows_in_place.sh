#!/usr/bin/env bash
# Every window under a real window manager, opened as a person opens it: its
# inside is its share of the screen's work area, exactly; the window is
# centred on the screen it belongs to; and it is the active window. Then the
# same on two monitors, the program started on the second one and a dialog
# opened from the keyboard with the pointer back on the first.
#   windows_in_place.sh TELVO TELVO-LOG
set -euo pipefail
# Helpers, run inside the X server; each ends the run with a line on failure.
fail() { echo "$*" >&2; exit 1; }

# until SECONDS COMMAND...: polls COMMAND until it succeeds.
until_ok() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
start_openbox() {
  openbox --sm-disable >/dev/null 2>&1 &
  until_ok 20 wm_running || fail "openbox did not start"
}

# window TITLE [OLD]: the id of the visible window with that title, once one
# other than OLD is mapped. Polled: a search meets windows that are going.
window() {
  local deadline=$((SECONDS + 20)) id
  until id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${2:-}" |
             head -n 1) && [ -n "$id" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "no window \"$1\" came up"
    sleep 0.1
  done
  echo "$id"
}

# at WINDOW X-FRACTION Y-FRACTION: a click there, as fractions of its inside,
# which is how the windows lay out their controls.
click_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" "$(awk "BEGIN{print int($WIDTH*$2)}")" \
    "$(awk "BEGIN{print int($HEIGHT*$3)}")" click 1
}

framed() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q =; }
active() { [ "$(xdotool getactivewindow)" = "$1" ]; }

# placed NAME WINDOW WIDTH-FRACTION HEIGHT-FRACTION MONITOR-GEOMETRY CENTRED
# MONITOR-GEOMETRY is WxH+X+Y; CENTRED says what is centred: "frame", the
# window as the person sees it, or "inside", for the program's first window,
# whose frame nobody can know before the window manager draws it.
placed() {
  local name=$1 win=$2 fw=$3 fh=$4 monitor=$5 centred=$6
  until_ok 10 framed "$win" || fail "$name: the window manager never framed it"
  local l r t b x y w h ax ay aw ah
  IFS=', ' read -r l r t b < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //')
  eval "$(xwininfo -id "$win" | awk -F: '
    /Absolute upper-left X/ {print "x=" $2+0} /Absolute upper-left Y/ {print "y=" $2+0}
    /^ *Width/ {print "w=" $2+0} /^ *Height/ {print "h=" $2+0}')"
  # The work area on that monitor: openbox's, cut to the monitor.
  eval "$( (echo "$monitor" | tr x+ '  '; xprop -root -notype _NET_WORKAREA |
    sed 's/.*= //; s/,//g') | awk 'NR == 1 {w = $1; h = $2; x = $3; y = $4}
    NR == 2 {l = x > $1 ? x : $1; t = y > $2 ? y : $2; r = x + w < $1 + $3 ? x + w : $1 + $3
      b = y + h < $2 + $4 ? y + h : $2 + $4; print "ax=" l, "ay=" t, "aw=" r - l, "ah=" b - t}')"
  local ew eh
  ew=$(awk "BEGIN{printf \"%d\", $aw * $fw + 0.5}")
  eh=$(awk "BEGIN{printf \"%d\", $ah * $fh + 0.5}")
  echo "$name: inside ${w}x$h+$x+$y, frame $l $r $t $b, work area ${aw}x$ah+$ax+$ay"
  [ "$w" -eq "$ew" ] && [ "$h" -eq "$eh" ] \
    || fail "$name: inside is ${w}x$h, not $fw x $fh of ${aw}x$ah = ${ew}x$eh"
  local ox=$x oy=$y ow=$w oh=$h
  if [ "$centred" = frame ]; then
    ox=$((x - l)) oy=$((y - t)) ow=$((w + l + r)) oh=$((h + t + b))
  fi
  # Twice the offset of its centre from the area's: the inside is centred to
  # the rounding, the frame within 2 pixels, as it is learnt from another
  # window, which may have a grip at the bottom that this one lacks.
  local dx=$((2 * ox + ow - 2 * ax - aw)) dy=$((2 * oy + oh - 2 * ay - ah)) slack=1
  [ "$centred" = inside ] || slack=4
  [ "${dx#-}" -le "$slack" ] && [ "${dy#-}" -le "$slack" ] \
    || fail "$name: its $centred is off the centre of ${aw}x$ah+$ax+$ay by $((dx / 2)),$((dy / 2))"
  until_ok 5 active "$win" \
    || fail "$name: the active window is $(xdotool getactivewindow), not it ($win)"
}

one_screen() {
  local screen=1280x1024+0+0
  start_openbox
  "$telvo" & local pid=$!
  local splash pad options alert help list print
  splash=$(window Telvo)
  placed splash "$splash" 1/2 3/4 "$screen" inside
  xdotool key Return
  pad=$(window "Message Pad")
  placed pad "$pad" 8/11 16/20 "$screen" frame
  click_at "$pad" 0.611 0.92                        # Options
  options=$(window "Telvo Options")
  placed options "$options" 8/11 16/20 "$screen" frame
  xdotool key Escape
  pad=$(window "Message Pad" "$pad")                # a fresh one after the options
  placed pad "$pad" 8/11 16/20 "$screen" frame
  click_at "$pad" 0.744 0.92                        # Alert
  alert=$(window "Alert for Ann Smith")
  placed alert "$alert" 1/2 1/2 "$screen" frame
  xdotool key Escape
  until_ok 10 active "$pad" || fail "the pad is not in front after the alert"
  click_at "$pad" 0.878 0.92                        # Help
  help=$(window "Telvo Help")
  placed help "$help" 0.45 0.7 "$screen" frame
  xdotool key alt+F4
  until_ok 10 active "$pad" || fail "the pad is not in front after help"
  click_at "$pad" 0.205 0.884                       # View My Phone Log
  list=$(window "Calls for Bob Brown")
  placed "call list" "$list" 1 18/20 "$screen" frame
  xdotool key Tab Tab Tab space                     # Print
  print=$(window "Print Calls for Bob Brown")
  placed "print range" "$print" 1/2 1/3 "$screen" frame
  xdotool key Escape
  until_ok 10 active "$list" || fail "the call list is not in front after the print range"
  xdotool key Escape
  pad=$(window "Message Pad")                       # a fresh one after the call list
  placed pad "$pad" 8/11 16/20 "$screen" frame
  xdotool key Escape
  wait "$pid"
}

# Two monitors side by side, as RandR monitors on one Xvfb screen: Qt sees
# two screens there, which Xvfb's own Xinerama screens do not give it.
two_monitors() {
  local first=1280x1024+0+0 second=1024x768+1280+0
  # The first takes the place of the screen's own monitor, on its output.
  xrandr --setmonitor MONITOR-0 1280/320x1024/256+0+0 screen >/dev/null
  xrandr --setmonitor MONITOR-1 1024/256x768/192+1280+0 none >/dev/null
  start_openbox
  xdotool mousemove 1600 400                        # Telvo started on the second monitor
  "$telvo" & local pid=$!
  local splash pad alert
  splash=$(window Telvo)
  placed splash "$splash" 1/2 3/4 "$second" inside
  xdotool key Return
  pad=$(window "Message Pad")
  placed pad "$pad" 8/11 16/20 "$second" frame
  # The pointer back on the first monitor; from the caller box to the list,
  # and down to Bob, whose alert opens over the pad.
  xdotool mousemove 400 400 key shift+Tab Down
  alert=$(window "Alert for Bob Brown")
  placed alert "$alert" 1/2 1/2 "$second" frame
  xdotool key Escape
  until_ok 10 active "$pad" || fail "the pad is not in front after the alert"
  xdotool key Escape
  wait "$pid"
}

# Within the X server this script runs one of the scenarios above.
if [ "$1" = --in-x ]; then
  "$2"
  exit
fi

for tool in Xvfb xvfb-run openbox xdotool xwininfo xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed, so windows cannot be placed by a window manager: skipped"
    exit 77
  fi
done
export telvo=$1
source "$(dirname "$0")/sample_workgroup.sh"
"$2" post "$work/phone/bob/MESSAGES" --caller "Joe Caller" --initials AS >/dev/null
printf 'Back at three.\r\n' >"$work/phone/bob/ALERT.TXT"
sed -i 's/^Splash=YES/Splash=NO/' "$work/config/telvo/TELVO.INI"   # NO shows the splash

timeout 100 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --in-x one_screen
if ! command -v xrandr >/dev/null; then
  echo "xrandr is not installed, so two monitors cannot be set up: that half skipped"
  exit 0
fi
# The monitors set on the server are lost when it resets, as it does when its
# last client goes.
timeout 40 xvfb-run -a -s "-screen 0 2304x1024x24 -noreset" "$0" --in-x two_monitors

