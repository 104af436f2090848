#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the database store's tests: made in a
# folder of its own, listening only on a Unix socket in that folder, with
# fsync on as a server that keeps calls has it.
#
#   pg_cluster.sh start DIR   makes DIR, a cluster in DIR/data with the
#                             superuser telvo and the database telvo, starts
#                             it, and writes its libpq connection string to
#                             DIR/conninfo once it answers
#   pg_cluster.sh stop DIR    stops that cluster and removes DIR
#
# initdb and postgres refuse to run as root, and CI runs as root: then DIR
# is given to the postgres user, who runs them (runuser); the tests, as
# root, still reach the socket. Nothing is registered with the system's own
# clusters. A start first removes a cluster an interrupted run left in DIR.
# Exits 77 (skipped) with one line where no server can start here.
set -uo pipefail
action=${1:-} dir=${2:-}
case $action:$dir in
  start:/?* | stop:/?*) ;;
  *) echo "usage: $0 start|stop DIR (an absolute path)" >&2; exit 2 ;;
esac
[ "$dir" != / ] || { echo "$0: refusing to use /" >&2; exit 2; }

bindir=$(pg_config --bindir 2>/dev/null)
[ -x "$bindir/initdb" ] || bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)

skip() {
  echo "SKIP: no PostgreSQL test cluster: $*"
  exit 77
}

# Runs a server program as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop() {
  if [ -f "$dir/data/postmaster.pid" ] && [ -x "$bindir/pg_ctl" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1
  fi
  rm -rf "$dir"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

[ -x "$bindir/initdb" ] && [ -x "$bindir/postgres" ] ||
  skip "initdb and postgres are not installed (Debian's postgresql package)"
if [ "$(id -u)" -eq 0 ]; then
  id postgres >/dev/null 2>&1 || skip "running as root, and there is no postgres user to run it"
  command -v runuser >/dev/null || skip "running as root, and runuser is missing"
fi
stop
mkdir -p "$dir" || skip "cannot make $dir"
[ "$(id -u)" -ne 0 ] || chown postgres: "$dir" || skip "cannot give $dir to postgres"
chmod 700 "$dir"

# Local connections are trusted: only this folder's socket reaches the
# server, and only its owner (or root) can open the folder.
as_owner "$bindir/initdb" -D "$dir/data" -U telvo -A trust -E UTF8 --locale=C \
  >"$dir/initdb.log" 2>&1 || skip "initdb failed: $(tail -n 1 "$dir/initdb.log")"
cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
port = 5432
fsync = on
synchronous_commit = on
max_connections = 40
shared_buffers = 32MB
EOF
as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null 2>&1 ||
  { tail -n 3 "$dir/server.log" 2>/dev/null; stop; skip "the server did not start"; }
"$bindir/createdb" -h "$dir" -p 5432 -U telvo telvo ||
  { stop; skip "the server does not answer on its socket"; }
echo "host=$dir port=5432 user=telvo dbname=telvo" >"$dir/conninfo"
echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') in $dir: $(cat "$dir/conninfo")"
