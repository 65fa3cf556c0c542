#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, run and test.
# Idempotent: prints nothing and changes nothing when every package is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libsqlite3-dev sqlite3
  libcurl4-openssl-dev libzip-dev libxlsxwriter-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev libxml2-dev
  python3-pyftpdlib python3-aiosmtpd tinyproxy-bin
  qt6-webengine-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  cron
  poppler-utils
  clang-format
  libdeflate-dev
  appstream dpkg-dev groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
