#!/usr/bin/env bash
# Runs the product: installs what is missing, builds, starts rsimd on its embedded SQLite
# database with the demo data (unless a service already answers on 127.0.0.1:7411) and the demo
# FTP server for vendor libraries on 127.0.0.1:2121 (folder var/ftp, user rsim, password rsim,
# the target of the demo's "GuiWriteCardFTP" parameter), then the desktop client. Without a
# display it writes a screenshot of every window instead. What is started here is stopped when
# the client exits.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly service="http://127.0.0.1:7411"
readonly rsimd_log="var/rsimd.log"
readonly screenshots="var/screenshots"
readonly ftp_port=2121
readonly ftp_log="var/ftp.log"

answers() { curl -sf --max-time 3 "$service/v1/ping" >/dev/null 2>&1; }

bash scripts/deps.sh
cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# What running needs; scripts/test.sh builds the rest.
ninja -C build -j"$(nproc)" rsimd rsimclient resremotesim

mkdir -p var
rsimd_pid=""
ftp_pid=""
stop_started() {
  local pid
  for pid in $rsimd_pid $ftp_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap stop_started EXIT

ftp_answers() { (exec 3<>"/dev/tcp/127.0.0.1/$ftp_port") 2>/dev/null; }
if ftp_answers; then
  echo "Something already answers on 127.0.0.1:$ftp_port: using it as the demo FTP server."
else
  echo "Starting the demo FTP server on 127.0.0.1:$ftp_port (folder var/ftp, log: $ftp_log)."
  mkdir -p var/ftp/cards
  # The tests' server: pyftpdlib's own command-line server can stop reading a client's control
  # connection after another client's active-mode transfer.
  /usr/bin/python3 tests/support/ftp_server.py var/ftp rsim rsim none "$ftp_port" >"$ftp_log" 2>&1 &
  ftp_pid=$!
  for _ in $(seq 50); do ftp_answers && break; sleep 0.1; done
  ftp_answers || echo "run.sh: the demo FTP server did not start (see $ftp_log); uploads will fail." >&2
fi

if answers; then
  echo "A service already answers on $service: using it."
else
  echo "Starting rsimd on sqlite:var/rsim.db (log: $rsimd_log)."
  build/bin/rsimd --db sqlite:var/rsim.db --listen 127.0.0.1:7411 --seed demo >"$rsimd_log" 2>&1 &
  rsimd_pid=$!
  until answers; do
    if ! kill -0 "$rsimd_pid" 2>/dev/null; then
      rsimd_pid=""
      cat "$rsimd_log" >&2
      echo "run.sh: rsimd did not start (its output is above)." >&2
      exit 1
    fi
    sleep 0.2
  done
fi

export TAV_BROKER_TAVORINE="$service"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (\$DISPLAY and \$WAYLAND_DISPLAY are unset): logging in as ${RSIM_LOGIN:-admin} and"
  echo "writing one screenshot per window to $screenshots/<function code>.png instead."
  RSIM_PASSWORD="${RSIM_PASSWORD:-admin123}" QT_QPA_PLATFORM=offscreen \
    build/bin/rsimclient --login "${RSIM_LOGIN:-admin}" --screenshots "$screenshots" "$@"
else
  build/bin/rsimclient --login "${RSIM_LOGIN:-admin}" "$@"
fi
