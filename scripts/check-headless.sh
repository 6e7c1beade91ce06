#!/usr/bin/env bash
# Configures and builds rsimd alone (-DRSIM_SERVICE_ONLY=ON, with the packages' prefix /usr) in
# build-headless/, and checks that the configuration looked for neither Qt nor GoogleTest and that
# rsimd links neither Qt nor the client transport (libtvclient and libcurl are the desktop side's),
# and that no source of the service build has a client-only header folder on its include path.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-headless
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -G Ninja -S . -B "$dir" -DRSIM_SERVICE_ONLY=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}" >/dev/null
if grep -E '^(Qt6|GTest)[A-Za-z0-9_]*_DIR:' "$dir/CMakeCache.txt"; then
  echo "check-headless: the service-only configuration looked for Qt or GoogleTest" >&2
  exit 1
fi
ninja -C "$dir" -j2 rsimd >/dev/null
if ldd "$dir/bin/rsimd" | grep -i 'libQt'; then
  echo "check-headless: rsimd links a Qt library" >&2
  exit 1
fi
if ldd "$dir/bin/rsimd" | grep -E 'libtvclient|libcurl'; then
  echo "check-headless: rsimd links the client transport" >&2
  exit 1
fi
client_only='platform/(tvclient|tvgui|publiclibs|wininet|win32)|module/idl/proxy'
if grep -oE -- "-I[^ ]*($client_only)[^ ]*" "$dir/compile_commands.json" | sort -u | grep .; then
  echo "check-headless: the service build sees client-only headers" >&2
  exit 1
fi
echo "check-headless: rsimd builds without Qt and GoogleTest, links neither Qt nor the client transport, and sees no client-only header"
