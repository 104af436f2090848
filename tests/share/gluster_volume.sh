# Sourced by the tests and benchmarks that run Telvo on a real GlusterFS
# volume on this machine: glusterd (started here only when none runs, and
# then stopped again), replica-3 volumes with bricks in a scratch folder,
# and FUSE mounts that act as the workstations. gluster_cleanup undoes all
# of it and runs on exit, whatever the outcome.
#
#   gluster_can_run            prints why this machine cannot, or nothing
#   gluster_start              glusterd, when none runs
#   gluster_volume NAME PROFILE  creates and starts NAME; PROFILE "telvo" sets
#                              the volume options of docs/DEPLOYMENT.md,
#                              "defaults" leaves Gluster's own
#   gluster_mount NAME DIR PROFILE  mounts NAME at DIR, with the mount options
#                              of docs/DEPLOYMENT.md for "telvo"

# The client caches that hid other workstations' appends and renames, all
# off; see docs/DEPLOYMENT.md.
telvo_volume_options=(
  performance.write-behind=off performance.io-cache=off performance.read-ahead=off
  performance.quick-read=off performance.stat-prefetch=off performance.open-behind=off
  performance.readdir-ahead=off performance.nl-cache=off)
# FUSE answers attributes and names from the kernel's cache for a second by
# default; 0 makes every stat and lookup ask the client. The kernel also
# keeps a file's pages across opens: a mark written in place through one
# mount stays unseen through another, and a purge there would write the
# old mark back. direct-io-mode=enable reads and writes past that cache.
telvo_mount_options=attribute-timeout=0,entry-timeout=0,direct-io-mode=enable

gluster_scratch=""
gluster_started_glusterd=""
gluster_volumes=()
gluster_mounts=()

gluster_can_run() {
  if [ "$(id -u)" -ne 0 ]; then echo "not root"; return; fi
  if [ ! -c /dev/fuse ]; then echo "no /dev/fuse"; return; fi
  local tool
  for tool in glusterd gluster mount.glusterfs; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; return; }
  done
  getent hosts "$(hostname)" >/dev/null || echo "the host name $(hostname) does not resolve"
}

gluster_start() {
  gluster_scratch=$(mktemp -d /var/tmp/telvo-gluster.XXXXXX)
  trap gluster_cleanup EXIT
  if ! pgrep -x glusterd >/dev/null; then
    glusterd -p "$gluster_scratch/glusterd.pid" --log-level=WARNING || return 1
    gluster_started_glusterd=yes
  fi
  # glusterd answers the command line a moment after it starts.
  local i
  for i in $(seq 50); do
    gluster --mode=script pool list >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  echo "glusterd does not answer" >&2
  return 1
}

gluster_volume() {
  local name=$1 profile=$2 host bricks=() i option
  host=$(hostname)
  for i in 1 2 3; do
    mkdir -p "$gluster_scratch/$name/brick$i"
    bricks+=("$host:$gluster_scratch/$name/brick$i")
  done
  gluster --mode=script volume create "$name" replica 3 "${bricks[@]}" force >/dev/null || return 1
  gluster_volumes+=("$name")
  if [ "$profile" = telvo ]; then
    for option in "${telvo_volume_options[@]}"; do
      gluster --mode=script volume set "$name" "${option%%=*}" "${option#*=}" >/dev/null || return 1
    done
  fi
  gluster --mode=script volume start "$name" >/dev/null
}

gluster_mount() {
  local name=$1 dir=$2 profile=$3 options=()
  mkdir -p "$dir"
  [ "$profile" = telvo ] && options=(-o "$telvo_mount_options")
  mount -t glusterfs "${options[@]}" "$(hostname):/$name" "$dir" || return 1
  gluster_mounts+=("$dir")
}

gluster_cleanup() {
  local dir name
  for dir in "${gluster_mounts[@]}"; do
    umount "$dir" 2>/dev/null || umount -l "$dir" 2>/dev/null
  done
  for name in "${gluster_volumes[@]}"; do
    gluster --mode=script volume stop "$name" force >/dev/null 2>&1
    gluster --mode=script volume delete "$name" >/dev/null 2>&1
  done
  if [ -n "$gluster_started_glusterd" ]; then
    [ -f "$gluster_scratch/glusterd.pid" ] && kill "$(cat "$gluster_scratch/glusterd.pid")" 2>/dev/null
    # The self-heal daemon outlives glusterd; it served only our volumes.
    pkill -f 'glusterfs .*--process-name glustershd' 2>/dev/null
  fi
  [ -n "$gluster_scratch" ] && rm -rf "$gluster_scratch"
  gluster_mounts=() gluster_volumes=() gluster_scratch=""
}
