#!/usr/bin/env bash
# Runs the product: rsimd on its embedded SQLite database with demo data (unless a service
# already answers on 127.0.0.1:7411) and the desktop client. Without a display it writes a
# screenshot of every window instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j"$(nproc)" rsimd rsimclient resremotesim

service="http://127.0.0.1:7411"
export TAV_BROKER_TAVORINE="$service"
started=""
if ! curl -sf "$service/v1/ping" >/dev/null 2>&1; then
  mkdir -p var
  build/bin/rsimd --db sqlite:var/rsim.db --listen 127.0.0.1:7411 --seed demo &
  started=$!
  trap '[ -n "$started" ] && kill "$started" 2>/dev/null; wait 2>/dev/null || true' EXIT
  for _ in $(seq 50); do curl -sf "$service/v1/ping" >/dev/null 2>&1 && break; sleep 0.1; done
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: writing a screenshot of every window to var/screenshots/ instead (as admin)."
  QT_QPA_PLATFORM=offscreen build/bin/rsimclient --login "${RSIM_LOGIN:-admin}" \
    --password "${RSIM_PASSWORD:-admin123}" --screenshots var/screenshots
else
  build/bin/rsimclient --login "${RSIM_LOGIN:-admin}"
fi
