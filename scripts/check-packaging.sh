#!/usr/bin/env bash
# Checks what an administrator installs against its aims, after the builds of scripts/test.sh:
# systemd-analyze security rates both units of rsimd at most 2.0 (its scale's "OK").
#   check-packaging.sh SERVICE_BUILD
set -euo pipefail

service_build=$1
report=$(mktemp /tmp/rsim-packaging.XXXXXX)
trap 'rm -f "$report"' EXIT
problems=0

# --threshold is in tenths: 20 is an exposure of 2.0.
for unit in "$service_build/packaging/rsimd.service" "$service_build/packaging/rsimd@.service"; do
  if ! systemd-analyze security --offline=true --threshold=20 "$unit" >"$report" 2>&1; then
    grep -E '✗|Overall|rror' "$report" >&2
    echo "check-packaging: $(basename "$unit") is rated above 2.0" >&2
    problems=$((problems + 1))
  fi
done

((problems == 0)) || exit 1
echo "check-packaging: both units rated at most 2.0"
