#!/usr/bin/env bash
# Installs every system package the build and the tests need, from Debian's
# archive. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 pkg-config
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  wine wine64 wine32:i386
  amsynth
  fonts-liberation2 fonts-wine libstb-dev
  g++-multilib qemu-user-static
  dpkg-dev file help2man lintian
  libcairo2-dev libx11-dev libxtst-dev libstb-dev fonts-liberation2 xvfb
  libjack-jackd2-dev jackd2 dbus-daemon dbus-bin
  clang libclang-rt-14-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
