#!/usr/bin/env bash
# Installs what the Windows cross-build needs on Debian 12, and only what is missing:
# the MinGW-w64 compilers (posix-thread variants, so std::thread works) and Wine, 64- and
# 32-bit, to run the x64 and x86 test programs. Run as root. Separate from install-deps.sh:
# the Linux build and CI need none of this.
set -euo pipefail

packages=(
  # compilers: x64 and x86 Windows targets
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  # test runner: the 64-bit loader (wine64) and the 32-bit one (wine32:i386, multiarch)
  wine wine64 wine32:i386
)

source "$(dirname "$0")/missing_packages.sh"
mapfile -t missing < <(missing_packages "${packages[@]}")

if ((${#missing[@]} == 0)); then
  echo "install-windows-deps: all ${#packages[@]} packages present"
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: the architecture must be known to dpkg before apt can find it.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-windows-deps: adding the i386 architecture for wine32"
  dpkg --add-architecture i386
fi
echo "install-windows-deps: installing ${missing[*]}"
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
