#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tessaline need.
# Does nothing when they are all present; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-dev
  qt6-base-dev qt6-serialport-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  libftdi1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
