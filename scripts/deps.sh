#!/usr/bin/env bash
# Installs with apt-get what building, running and testing need, when it is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpqxx-dev
  libcurl4-openssl-dev libsodium-dev libgtest-dev
  postgresql python3-pyftpdlib fonts-wqy-microhei curl
)

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
