#!/usr/bin/env bash
# Checks what an administrator installs against its aims, after the builds of scripts/test.sh:
#  - systemd-analyze security rates both units of rsimd at most 2.0 (its scale's "OK");
#  - lintian finds no error and no warning without an override in the server's two packages,
#    built with cpack in the service-only build as docs/operations.md says, nor in the client's,
#    built from the full build (the packages test builds and reads the full build's others).
# Both builds are configured with the packages' prefix, -DCMAKE_INSTALL_PREFIX=/usr.
#   check-packaging.sh SERVICE_BUILD FULL_BUILD
set -euo pipefail

service_build=$1
full_build=$2
work=$(mktemp -d /tmp/rsim-packaging.XXXXXX)
trap 'rm -rf "$work"' EXIT
problems=0
fail() {
  echo "check-packaging: $*" >&2
  problems=$((problems + 1))
}

# --threshold is in tenths: 20 is an exposure of 2.0.
for unit in "$service_build/packaging/rsimd.service" "$service_build/packaging/rsimd@.service"; do
  if ! systemd-analyze security --offline=true --threshold=20 "$unit" >"$work/security" 2>&1; then
    grep -E '✗|Overall|rror' "$work/security" >&2
    fail "$(basename "$unit") is rated above 2.0"
  fi
done

# package BUILD NAME [COMPONENT]: the .deb packages of a build (of one component), in NAME.
package() {
  local build=$1 out="$work/$2"
  grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/usr' "$build/CMakeCache.txt" ||
    { fail "$build is not configured with -DCMAKE_INSTALL_PREFIX=/usr"; return; }
  # cpack packages what the build made: the service-only build of check-headless.sh made rsimd
  # alone, not the compressed changelogs and manual pages.
  ninja -C "$build" >/dev/null
  if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" \
    ${3:+-D CPACK_COMPONENTS_ALL="$3"} >"$out.log" 2>&1; then
    cat "$out.log" >&2
    fail "cpack failed in $build"
  fi
}
package "$service_build" service
package "$full_build" client client
shopt -s nullglob
packages=("$work"/service/*.deb "$work"/client/*.deb)
for deb in "${packages[@]}"; do
  lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
    { grep -v '^running with root' "$work/lintian" >&2; fail "lintian refuses $(basename "$deb")"; }
done

((problems == 0)) || exit 1
echo "check-packaging: both units rated at most 2.0; lintian accepts ${#packages[@]} packages"
