#!/usr/bin/env bash
# Installs what is missing, builds, starts the test servers and runs every test; exits with
# ctest's status.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
# A compiler cache, when the machine has one, makes a rebuild of an unchanged tree take seconds.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The prefix of the packages, which scripts/check-packaging.sh and the packages test build.
cmake -G Ninja -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}" >/dev/null
ninja -C build -j2
bash scripts/check-headless.sh
bash scripts/check-packaging.sh build-headless build

source scripts/test-servers.sh
trap stop_test_servers EXIT
start_postgres
start_ftp
start_haproxy

ctest --test-dir build --output-on-failure -j2 --timeout 600
