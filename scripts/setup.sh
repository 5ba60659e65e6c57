#!/usr/bin/env bash
# Installs every Debian package the project needs, only those that are missing.
set -euo pipefail
packages=(cmake ninja-build g++ make pkg-config googletest libgtest-dev libbenchmark-dev
  qt6-base-dev libqscintilla2-qt6-dev qt6-serialport-dev
  avra simavr libsimavr-dev libelf-dev xvfb xauth gcc-avr avr-libc binutils-avr socat libmpfr-dev
  clang libclang-rt-dev llvm lld)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
