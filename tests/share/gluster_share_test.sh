#!/usr/bin/env bash
# Telvo on a real GlusterFS volume, two FUSE mounts of it acting as two
# workstations. On a volume made as docs/DEPLOYMENT.md says, posting,
# marking, exporting and purging processes work on one log through both
# mounts (more posters than cores, one killed now and then) and every call
# is accounted for: each reported delivered is in the log or the archive
# exactly once, each refused is in neither. On a volume with Gluster's
# defaults, telvo-log check-share names the caches, and every post is
# refused: none is reported delivered and then lost.
#
#   gluster_share_test.sh TORTURE TELVO_LOG [SECONDS]
#
# Given the torture program of a build made with -DTELVO_UNVERIFIED_POSTS=ON,
# the second half fails: calls are reported delivered and lost. Exits 77
# (skipped) with one line where this machine cannot run GlusterFS.
set -uo pipefail
torture=$1 telvo_log=$2 seconds=${3:-40}
source "$(dirname "$0")/gluster_volume.sh"
trap 'exit 143' TERM INT

why=$(gluster_can_run)
if [ -n "$why" ]; then
  echo "SKIP: GlusterFS cannot run here: $why"
  exit 77
fi
gluster_start || { echo "SKIP: glusterd would not start"; exit 77; }
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

# $1 volume, $2 profile, $3 expected check-share status; leaves the mounts
# in $first and $second.
prepare() {
  local volume=telvo-test-$$-$1
  gluster_volume "$volume" "$2" || { fail "cannot make volume $volume"; return 1; }
  first=$gluster_scratch/$1-mount1 second=$gluster_scratch/$1-mount2
  gluster_mount "$volume" "$first" "$2" && gluster_mount "$volume" "$second" "$2" ||
    { fail "cannot mount $volume"; return 1; }
  "$telvo_log" check-share "$first" "$second" >"$gluster_scratch/$1-check.txt" 2>&1
  local status=$?
  cat "$gluster_scratch/$1-check.txt"
  [ "$status" -eq "$3" ] || fail "check-share on the $1 volume exited $status, not $3"
}

# Posters, markers, an exporter and a purger through both mounts.
run_torture() {
  "$torture" --seconds "$seconds" --posters 6 --markers 2 --exporters 1 --purgers 1 \
    --dir "$first" --second-dir "$second" | tee "$gluster_scratch/$1-torture.txt"
  return "${PIPESTATUS[0]}"
}

echo "== a volume made as docs/DEPLOYMENT.md says"
if prepare documented telvo 0; then
  run_torture documented || fail "calls lost, doubled or damaged on the documented volume"
  grep -q 'posts:.* [1-9][0-9]* delivered' "$gluster_scratch/documented-torture.txt" ||
    fail "no call was delivered on the documented volume"
fi

echo "== a volume with Gluster's defaults"
if prepare defaults defaults 1; then
  grep -q 'performance.write-behind' "$gluster_scratch/defaults-check.txt" ||
    fail "check-share does not name performance.write-behind"
  run_torture defaults || fail "calls lost, doubled or damaged on the default volume"
  grep -q 'posts:.* 0 delivered' "$gluster_scratch/defaults-torture.txt" ||
    fail "a post was reported delivered on an unsafe volume"
  grep -q 'posts:.* [1-9][0-9]* not delivered' "$gluster_scratch/defaults-torture.txt" ||
    fail "no post was refused on an unsafe volume"
fi
exit "$failed"
