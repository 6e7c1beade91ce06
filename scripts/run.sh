#!/usr/bin/env bash
# Runs the product: installs what is missing, builds, starts rsimd on its embedded SQLite
# database with the demo data (unless a service already answers on 127.0.0.1:7411), then the
# desktop client. Without a display it writes a screenshot of every window instead. The rsimd
# started here is stopped when the client exits.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly service="http://127.0.0.1:7411"
readonly rsimd_log="var/rsimd.log"
readonly screenshots="var/screenshots"

answers() { curl -sf --max-time 3 "$service/v1/ping" >/dev/null 2>&1; }

bash scripts/deps.sh
cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# What running needs; scripts/test.sh builds the rest.
ninja -C build -j"$(nproc)" rsimd rsimclient resremotesim

mkdir -p var
rsimd_pid=""
stop_rsimd() {
  [ -z "$rsimd_pid" ] && return
  kill "$rsimd_pid" 2>/dev/null || true
  wait "$rsimd_pid" 2>/dev/null || true
}
trap stop_rsimd EXIT

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
  QT_QPA_PLATFORM=offscreen build/bin/rsimclient --login "${RSIM_LOGIN:-admin}" \
    --password "${RSIM_PASSWORD:-admin123}" --screenshots "$screenshots" "$@"
else
  build/bin/rsimclient --login "${RSIM_LOGIN:-admin}" "$@"
fi
