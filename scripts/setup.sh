#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quinzelbrockat needs.
# Safe to run again: it installs only what is missing. Works as root or through sudo.
set -euo pipefail

pakete=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-svg-dev qt6-wayland qt6-translations-l10n
  libicu-dev libgmp-dev
  libsqlite3-dev
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  clang libclang-rt-14-dev
  openssl xvfb xauth fontconfig-config fonts-dejavu-core
  tzdata locales
)

fehlend=()
for p in "${pakete[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    fehlend+=("$p")
  fi
done

if [ ${#fehlend[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  als_root=()
else
  als_root=(sudo)
fi

echo "Installiere: ${fehlend[*]}"
export DEBIAN_FRONTEND=noninteractive
"${als_root[@]}" apt-get update -q
"${als_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${fehlend[@]}"
