#!/usr/bin/env bash
# A PostgreSQL cluster of its own on loopback, for the failover test: one etcd member and two
# PostgreSQL nodes under Patroni (ttl 10 s, loop_wait 1 s, synchronous mode, pg_rewind), each on
# free ports. As root, PostgreSQL and Patroni run as the user postgres, which initdb requires.
#
#   test-cluster.sh start [WATCHED_PID]   starts it in a new folder and prints the folder; with
#                                         WATCHED_PID, stops it as soon as that process ends
#   test-cluster.sh node DIR N            starts node N's Patroni again (it rejoins as a standby)
#   test-cluster.sh signal DIR N SIGNAL   sends SIGNAL to node N's Patroni and to its PostgreSQL
#                                         server with every process of it
#   test-cluster.sh stop DIR              stops it all and removes the folder
#
# DIR/ports holds "ETCD PG1 PG2 API1 API2": etcd's client port, the nodes' PostgreSQL ports and
# their Patroni REST ports (GET /primary answers 200 on the primary only, /sync on the
# synchronous standby only, /replica on a streaming standby). Exits 77 when Patroni or etcd is
# not installed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/test-servers.sh"

# Runs a command as the user that owns the cluster's files.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# Waits up to $2 seconds until Patroni's REST API at port $1 answers 200 to GET $3.
await_role() {
  local port=$1 seconds=$2 path=$3 tries
  for tries in $(seq $((seconds * 5))); do
    if curl -sf -o /dev/null "http://127.0.0.1:$port$path"; then return 0; fi
    sleep 0.2
  done
  return 1
}

write_node_config() {
  local dir=$1 n=$2 etcd=$3 pg=$4 api=$5 bin
  bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
  mkdir -p "$dir/n$n"
  cat >"$dir/n$n/patroni.yml" <<CONFIG
scope: rsim-test
name: n$n
restapi:
  listen: 127.0.0.1:$api
  connect_address: 127.0.0.1:$api
# etcd's v2 API: Patroni 3.0.2's etcd3 client may overwrite, with a lease it makes anew, the
# leader key that another node took while this one was frozen (fixed in Patroni 3.0.3).
etcd:
  host: 127.0.0.1:$etcd
bootstrap:
  dcs:
    ttl: 10
    loop_wait: 1
    retry_timeout: 4
    synchronous_mode: true
    postgresql:
      use_pg_rewind: true
      parameters:
        wal_log_hints: "on"
        max_connections: 60
        shared_buffers: 32MB
        fsync: "off"
  initdb:
    - encoding: UTF8
    - locale: C
postgresql:
  listen: 127.0.0.1:$pg
  connect_address: 127.0.0.1:$pg
  data_dir: $dir/n$n/data
  bin_dir: $bin
  pgpass: $dir/n$n/pgpass
  parameters:
    unix_socket_directories: $dir/n$n
  pg_hba:
    - local all all trust
    - host all all 127.0.0.1/32 trust
    - host replication all 127.0.0.1/32 trust
  authentication:
    superuser:
      username: postgres
      password: postgres
    replication:
      username: replicator
      password: replicator
watchdog:
  mode: off
CONFIG
}

start_node() {
  local dir=$1 n=$2
  # A session of its own, so that the caller's signals and end do not reach it.
  as_owner setsid patroni "$dir/n$n/patroni.yml" >>"$dir/n$n/patroni.log" 2>&1 </dev/null &
}

# Node $2's Patroni, PostgreSQL server and the server's processes, found by their folder.
node_pids() {
  local dir=$1 n=$2 postmaster
  pgrep -f -- "$dir/n$n/patroni.yml" || true
  postmaster=$(head -n 1 "$dir/n$n/data/postmaster.pid" 2>/dev/null) || return 0
  # A server that ended leaves its file behind, and its number may be another process's now.
  tr '\0' ' ' <"/proc/$postmaster/cmdline" 2>/dev/null | grep -q -- "$dir/n$n/data" || return 0
  echo "$postmaster"
  tr ' ' '\n' <"/proc/$postmaster/task/$postmaster/children" | grep . || true
}

start_cluster() {
  local watched=${1:-} dir etcd peer pg1 pg2 api1 api2
  for program in patroni etcd; do
    if ! command -v "$program" >/dev/null; then
      echo "$program is not installed: the failover test is skipped" >&2
      exit 77
    fi
  done
  dir=$(mktemp -d /tmp/rsim-cluster.XXXXXX)
  CLUSTER_DIR=$dir
  chmod 755 "$dir"
  etcd=$(free_listening_port) peer=$(free_listening_port)
  pg1=$(free_listening_port) pg2=$(free_listening_port)
  api1=$(free_listening_port) api2=$(free_listening_port)
  echo "$etcd $pg1 $pg2 $api1 $api2" >"$dir/ports"
  setsid etcd --name e1 --data-dir "$dir/etcd" \
    --listen-client-urls "http://127.0.0.1:$etcd" --advertise-client-urls "http://127.0.0.1:$etcd" \
    --listen-peer-urls "http://127.0.0.1:$peer" --initial-advertise-peer-urls "http://127.0.0.1:$peer" \
    --initial-cluster "e1=http://127.0.0.1:$peer" --enable-v2=true >"$dir/etcd.log" 2>&1 </dev/null &
  echo $! >"$dir/etcd.pid"
  if [ -n "$watched" ]; then
    setsid bash -c "while kill -0 $watched 2>/dev/null; do sleep 1; done; bash '$(realpath "$0")' stop '$dir'" \
      >/dev/null 2>&1 </dev/null &
  fi
  await_listening "$etcd" "$(cat "$dir/etcd.pid")" "$dir/etcd.log" "etcd for tests" || return 1
  write_node_config "$dir" 1 "$etcd" "$pg1" "$api1"
  write_node_config "$dir" 2 "$etcd" "$pg2" "$api2"
  [ "$(id -u)" -ne 0 ] || chown -R postgres "$dir/n1" "$dir/n2"
  # The first node makes the cluster; the second copies it and follows as its synchronous standby.
  start_node "$dir" 1
  await_role "$api1" 60 /primary || { cat "$dir/n1/patroni.log" >&2; return 1; }
  start_node "$dir" 2
  await_role "$api2" 60 /sync || { cat "$dir/n2/patroni.log" >&2; return 1; }
  echo "$dir"
}

signal_node() {
  local dir=$1 n=$2 signal=$3 pids
  pids=$(node_pids "$dir" "$n")
  # Patroni first, so that it does not start again a server that was killed.
  [ -z "$pids" ] || kill "-$signal" $pids 2>/dev/null || true
}

stop_cluster() {
  local dir=$1 n pid
  [ -d "$dir" ] || return 0
  for n in 1 2; do signal_node "$dir" "$n" KILL; done
  pid=$(cat "$dir/etcd.pid" 2>/dev/null) && kill -KILL "$pid" 2>/dev/null || true
  # What was killed lets go of its files before they are removed.
  sleep 0.5
  rm -rf "$dir"
}

case "${1:-}" in
  start) start_cluster "${2:-}" || { [ -z "${CLUSTER_DIR:-}" ] || stop_cluster "$CLUSTER_DIR"; exit 1; } ;;
  node) start_node "$2" "$3" ;;
  signal) signal_node "$2" "$3" "$4" ;;
  stop) stop_cluster "$2" ;;
  *) echo "usage: $0 start [WATCHED_PID] | node DIR N | signal DIR N SIGNAL | stop DIR" >&2; exit 2 ;;
esac
