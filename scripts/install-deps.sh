#!/usr/bin/env bash
# Installs the Debian 12 packages that hostseal needs, and only those that are missing.
# Run as root. The one list of the project's packages; the README says why each is here.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++
  # command line
  libcli11-dev
  # window: Qt 6 Widgets, and a CJK font for the caption and Chinese text
  qt6-base-dev fonts-noto-cjk
  # tests: GoogleTest; OpenSSL's libcrypto and tool as an independent AES oracle;
  # iproute2 for the network namespaces of the host-query tests
  googletest libgtest-dev libssl-dev openssl iproute2
  # constant-time check: valgrind's memcheck and its client-request header memcheck.h
  # (tests/cipher/ctgrind_*), which mark keys and data secret and report every branch or
  # memory index that depends on them
  valgrind
  # benchmarks; time for GNU time's peak-memory figure in bench/file_vs_dd.sh
  libbenchmark-dev hyperfine time
  # coverage figures of the test suite (scripts/coverage.sh)
  gcovr
  # fuzzing and sanitizer runtimes
  clang libclang-rt-14-dev
  # packaging: dpkg-shlibdeps for the .deb's dependencies; the tests of what is installed
  # beside the programs: desktop-file-validate, bash-completion, man to render the pages
  dpkg-dev desktop-file-utils bash-completion man-db
  # lintian: the package test checks each .deb as Debian's archive would (no error, no warning)
  lintian
  # abidiff and abidw: the shared library's ABI against its recorded baseline (package.abi,
  # scripts/record_abi.sh)
  abigail-tools
  # an independent JSON parser for the test of identity --json
  jq
  # the Python module's tests (Debian's pytest) with python3-cryptography's AES-ECB as an
  # independent oracle and the peer of its benchmark; the C# sample's compiler and runtime
  python3-pytest python3-cryptography mono-mcs mono-runtime
  # the Windows builds: the MinGW-w64 compilers, posix-thread variants so std::thread works,
  # for x64 and x86; Wine to run their tests, the 64-bit loader (wine64) and the 32-bit one
  # (wine32, an i386 package: multiarch)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386
  # a display for the tests of the Windows window under Wine: a virtual X server, and the
  # marlett font that draws Wine's caption buttons in the screenshot
  xvfb xauth fonts-wine
  # hostseal.dll's import library for Microsoft's linker (hostseal.lib): llvm-dlltool writes it
  # in the format of Microsoft's lib.exe; lld-link (with clang) links a test caller against it
  llvm lld
  # makensis: `cpack -G NSIS` makes the Windows installers (its amd64-unicode stubs make the
  # x64 one a 64-bit program), and package.nsis installs, runs and uninstalls one under Wine
  nsis
)

source "$(dirname "$0")/missing_packages.sh"
mapfile -t missing < <(missing_packages "${packages[@]}")

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: the architecture must be known to dpkg before apt can find it.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture for wine32"
  dpkg --add-architecture i386
fi
echo "install-deps: installing ${missing[*]}"
# A mirror in the middle of a sync can fail one index; try again, then go on with what was
# fetched: the install below fails clearly if a package cannot be found.
for attempt in 1 2 3; do
  apt-get update -qq && break
  echo "install-deps: apt-get update failed (attempt $attempt of 3)"
  sleep $((attempt * 10))
done
if apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  exit 0
fi
# Without the i386 index (a mirror mid-sync) wine32 cannot be installed; everything else can,
# and the x86 build's tests then report themselves as skipped, saying why.
if [[ " ${missing[*]} " == *" wine32:i386 "* ]]; then
  echo "install-deps: installing without wine32:i386; the x86 build's tests will be skipped"
  rest=()
  for package in "${missing[@]}"; do
    [[ $package == wine32:i386 ]] || rest+=("$package")
  done
  apt-get install -y -qq --no-install-recommends "${rest[@]}"
  exit 0
fi
exit 1
