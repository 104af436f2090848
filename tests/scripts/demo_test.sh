#!/usr/bin/env bash
# scripts/demo as a new user runs it: without a desktop it says so and sets
# nothing up; on a desktop it sets up the sample workgroup and opens the pad
# on the user's two waiting calls.
#   demo_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
demo=$(cd "$(dirname "$0")/../.." && pwd)/scripts/demo
home=$(mktemp -d)
# The demo starts telvo-popup, which outlives telvo: this run's is the one
# whose runtime folder is ours.
cleanup() {
  for p in $(pgrep -u "$(id -u)" -f telvo-popup || true); do
    grep -qz "^XDG_RUNTIME_DIR=$home/run$" "/proc/$p/environ" 2>/dev/null && kill "$p"
  done
  rm -rf "$home"
}
trap cleanup EXIT
mkdir -m 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
export TELVO_BUILD_DIR=$build

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$demo" >"$home/out" 2>&1 || status=$?
cat "$home/out"
[ "$status" -eq 1 ] || { echo "FAIL: the demo without a desktop ended with $status" >&2; exit 1; }
grep -q "no desktop to show Telvo on" "$home/out" || { echo "FAIL: no reason given" >&2; exit 1; }
[ ! -e "$home/config" ] && [ ! -e "$home/data" ] || { echo "FAIL: files were written" >&2; exit 1; }

env -u QT_QPA_PLATFORM timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  "$1" > "$2/out" 2>&1 & demo=$!
  pad=$(xdotool search --sync --onlyvisible --name "^Message Pad$" | head -n 1)
  xdotool mousemove --window "$pad" 5 5 windowfocus --sync "$pad" key Escape
  wait "$demo"
' demo "$demo" "$home"
grep -q "To start afresh later: rm -r" "$home/out" || { echo "FAIL: no reset hint" >&2; exit 1; }
[ "$("$build/src/app/telvo-log" list "$home/data/telvo-demo/phone/me/MESSAGES" --tsv | wc -l)" -eq 2 ] \
  || { echo "FAIL: the sample's calls are not there" >&2; exit 1; }
