#!/usr/bin/env bash
# Installs with apt-get what building, running and testing need, when it is missing.
# Quiet when everything is there; on a failed install, prints apt's output and fails.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpqxx-dev
  libcurl4-openssl-dev libsodium-dev libgtest-dev libboost-dev libssl-dev zlib1g-dev
  postgresql python3-pyftpdlib fonts-wqy-microhei xvfb curl
  # rsimd's metrics in the Prometheus text format (its registry and text serializer), and
  # Prometheus's own parser that the metrics test reads them with
  prometheus-cpp-dev python3-prometheus-client
  # the load balancer in front of rsimd replicas, and the checker of the client's menu entry,
  # for the tests of the packages and of replicas behind HAProxy
  haproxy desktop-file-utils
  # the PostgreSQL cluster of the failover test: two nodes under Patroni with one etcd member
  patroni etcd-server etcd-client
  # the wire's JSON reader: rapidjson's event (SAX) reader, about half the instructions a byte of
  # nlohmann's, and utfcpp's UTF-8 check of each text it reads
  rapidjson-dev libutfcpp-dev
  # the client's check of an answer whole before its values are read: under half the
  # instructions a byte of rapidjson's reader with its UTF-8 check
  libsimdjson-dev
  # rsimd's readiness and watchdog under systemd (sd_notify): the protocol is small, but
  # libsystemd's implementation is the one systemd documents and keeps in step with itself
  libsystemd-dev
  # the check of the units' sandbox (systemd-analyze security) and of the packages (lintian)
  systemd lintian
  # the request decoder's fuzz target (libFuzzer) that CTest runs for a bounded time
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
((${#missing[@]})) || exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
log=$(mktemp /tmp/rsim-deps.XXXXXX)
trap 'rm -f "$log"' EXIT
echo "installing: ${missing[*]}"
if ! { "${sudo[@]}" apt-get update -q &&
       "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
         apt-get install -y -q --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "deps.sh: installing ${missing[*]} failed (output above)" >&2
  exit 1
fi
