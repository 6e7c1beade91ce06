#!/usr/bin/env bash
# Builds the .deb packages of a build folder with cpack and reads them as an administrator gets
# them: every binary stripped with its symbols in the -dbgsym package, every library a binary
# links provided by a package it depends on, the settings file's mode, the units and examples,
# the client's menu entry.
#   packages_test.sh BUILD_FOLDER PREFIX SETTINGS_FILE DOC_FOLDER
# (the installation's prefix and the full paths of the settings file and the documentation)
set -euo pipefail

build=$1
prefix=$2
settings_file=$3
doc_folder=$4
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
work=$(mktemp -d /tmp/rsim-packages.XXXXXX)
trap 'rm -rf "$work"' EXIT
problems=0
fail() {
  echo "FAILED: $*" >&2
  problems=$((problems + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
shopt -s nullglob
packages=("$work"/out/*.deb)
for package in "${packages[@]}" "$work"/out/*.ddeb; do
  name=$(dpkg-deb -f "$package" Package)
  mkdir -p "$work/root" "$work/control"
  dpkg-deb -x "$package" "$work/root/$name"
  dpkg-deb -e "$package" "$work/control/$name"
done
for name in resremotesim-common rsimd rsimclient; do
  [ -d "$work/root/$name" ] || fail "no package $name"
done

# Which package ships each library: the project's from its packages, the others as dpkg knows.
declare -A shipped_by
for package in "${packages[@]}"; do
  name=$(dpkg-deb -f "$package" Package)
  while read -r library; do
    shipped_by[$(basename "$library")]=$name
  done < <(find "$work/root/$name" -name '*.so*' -type f)
done

# Package names of a Depends field, alternatives included, versions left out.
depended_on() {
  dpkg-deb -f "$1" Depends | tr ',|' '\n\n' | sed -e 's/(.*)//' -e 's/[[:space:]]//g'
}

for package in "${packages[@]}"; do
  name=$(dpkg-deb -f "$package" Package)
  depends=$(depended_on "$package")
  while read -r elf; do
    shown=${elf#"$work/root/$name"}
    description=$(file -b "$elf")
    case "$description" in
      *"not stripped"*) fail "$name: $shown is not stripped" ;;
      *", stripped"*) ;;
      *) fail "$name: file does not say whether $shown is stripped: $description" ;;
    esac
    build_id=$(readelf -n "$elf" | sed -n 's/.*Build ID: //p')
    debug="$work/root/$name-dbgsym/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
    [ -n "$build_id" ] && [ -s "$debug" ] || fail "$name-dbgsym has no symbols of $shown"
    while read -r library; do
      if [ -z "${shipped_by[$library]:-}" ]; then
        shipped_by[$library]=$(dpkg -S "*/$multiarch/$library" 2>/dev/null | head -n 1 | cut -d: -f1 | cut -d, -f1)
        [ -n "${shipped_by[$library]}" ] || { fail "$name: no package provides $library ($shown)"; continue; }
      fi
      provider=${shipped_by[$library]}
      [ "$provider" = "$name" ] || grep -qx "$provider" <<<"$depends" ||
        fail "$name: $shown links $library of $provider, which is not in Depends: $depends"
    done < <(objdump -p "$elf" | awk '$1 == "NEEDED" { print $2 }')
  done < <(find "$work/root/$name" -type f -exec sh -c 'head -c 4 "$1" | grep -q ELF' _ {} \; -print)
done

# The service: settings readable by root and the group rsimd only (set on installation), kept
# as a conffile; the message after installation says how to make the first administrator.
mode=$(dpkg-deb -c "$work"/out/rsimd_*.deb | awk -v file=".$settings_file" '$6 == file { print $1 }')
[ "$mode" = "-rw-r-----" ] || fail "$settings_file is installed ${mode:-nowhere}, not -rw-r-----"
grep -qx "$settings_file" "$work/control/rsimd/conffiles" || fail "$settings_file is not a conffile"
grep -qx "settings=$settings_file" "$work/control/rsimd/postinst" &&
  grep -q 'dpkg-statoverride --update --add root rsimd 0640 "$settings"' "$work/control/rsimd/postinst" ||
  fail "postinst does not give $settings_file to the group rsimd"
grep -q -- '--init-admin' "$work/control/rsimd/postinst" || fail "postinst does not say how to make the first administrator"
examples="$work/root/rsimd$doc_folder/examples"
for unit in "$work/root/rsimd$prefix/lib/systemd/system/rsimd.service" "$examples/rsimd@.service"; do
  [ -f "$unit" ] || { fail "no $unit"; continue; }
  grep -qx "EnvironmentFile=$settings_file" "$unit" || fail "$unit does not read $settings_file"
  grep '^ExecStart=' "$unit" | grep -qi 'pass' && fail "$unit puts a password on the command line"
  grep -q '^TimeoutStopSec=' "$unit" || fail "$unit has no TimeoutStopSec"
done
if command -v haproxy >/dev/null; then
  haproxy -c -q -f "$examples/haproxy-rsimd.cfg" || fail "haproxy refuses $examples/haproxy-rsimd.cfg"
fi
# Patroni's own check needs the example's hosts and ports: its YAML and its synchronous mode.
/usr/bin/python3 -c 'import sys, yaml; sys.exit(not yaml.safe_load(open(sys.argv[1]))["bootstrap"]["dcs"]["synchronous_mode"])' \
  "$examples/patroni-rsim.yml" || fail "$examples/patroni-rsim.yml is no Patroni configuration in synchronous mode"

# The client: in the desktop's menu with its icon, rsimctl in the path.
client="$work/root/rsimclient"
entry="$client$prefix/share/applications/rsimclient.desktop"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
fi
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -n "$(find "$client$prefix/share/icons/hicolor" -path "*/apps/$icon.*" 2>/dev/null)" ] ||
  fail "no icon $icon in the hicolor theme"
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$client$prefix/bin/$program" ] || fail "the menu entry runs $program, which is not in $prefix/bin"
[ -x "$client$prefix/bin/rsimctl" ] || fail "rsimctl is not in $prefix/bin"

if ((problems)); then
  echo "$problems problems with the packages" >&2
  exit 1
fi
echo "packages: ${#packages[@]} packages with their -dbgsym, stripped, dependencies complete"
