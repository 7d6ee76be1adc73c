#!/usr/bin/env bash
# Makes the three .deb packages with `cpack -G DEB` in a release build (hostseal, hostseal-gui,
# libhostseal-dev), checks their dependencies (the tool pulls in no Qt), runs lintian on each
# (no error, no warning), installs them into a scratch root with dpkg, runs the tool, reads the
# manual pages, validates the desktop entry, checks the installed headers, builds the README's
# library quick start against the installed library with CMake and with pkg-config, and removes
# the packages, which must leave no file behind. Needs root (for dpkg); the system's own package database is never
# touched.
# Usage: deb_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
[[ -n ${DEB_TEST_TRACE:-} ]] && set -x
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
if [[ $(id -u) -ne 0 ]]; then
  echo "deb_test: skipped, dpkg needs root"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "deb_test: $*"; exit 1; }

(cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
declare -A deb
for package in hostseal hostseal-gui libhostseal-dev; do
  deb[$package]=$(find "$work/out" -maxdepth 1 -name "${package}_*.deb")
  [[ -f ${deb[$package]} ]] || fail "no $package .deb made"
done

# dpkg-shlibdeps found the shared libraries the programs link, and each is installed here.
depends_of() { dpkg-deb -f "${deb[$1]}" Depends; }
for library in libc6 libstdc++6; do
  [[ $(depends_of hostseal) == *"$library "* ]] || fail "hostseal lacks $library: $(depends_of hostseal)"
done
[[ $(depends_of hostseal) != *libqt* ]] || fail "hostseal depends on Qt: $(depends_of hostseal)"
[[ $(depends_of hostseal-gui) == *"libqt6widgets6 "* ]] ||
  fail "hostseal-gui lacks Qt: $(depends_of hostseal-gui)"
for package in $(for p in "${!deb[@]}"; do depends_of "$p"; echo ,; done | sed 's/([^)]*)//g; s/[,|]/ /g'); do
  # One status line per architecture the package is installed for (amd64, and i386 where
  # the Windows tools brought that architecture in).
  [[ $(dpkg-query -W -f='${Status}\n' "$package") == *"install ok installed"* ]] ||
    fail "dependency $package is not installed here"
done

if command -v lintian >/dev/null; then
  for package in "${!deb[@]}"; do
    # lintian warns when run as root; its findings are what counts.
    lintian --fail-on error,warning --tag-display-limit 0 "${deb[$package]}" 2>/dev/null ||
      fail "lintian found errors or warnings in $package: $(lintian "${deb[$package]}" 2>/dev/null)"
  done
else
  echo "deb_test: lintian is not installed; the packages' lintian check is skipped"
fi

# Minimal images often exclude manual pages from every package (dpkg path-exclude); the test
# asks for them explicitly, as a user's system installs them.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-script-chrootless --path-include="/usr/share/man/*" \
  -i "${deb[@]}" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; exit 1; }
version=$("$root/usr/bin/hostseal" --version)
[[ $version == "hostseal "* ]] || fail "--version: $version"
bytes=$("$root/usr/bin/hostseal" utf8 abc)
[[ $bytes == "EF BB BF 61 62 63" ]] || fail "utf8 abc: $bytes"
warnings=$(MANPATH="$root/usr/share/man" MANWIDTH=80 man --warnings hostseal 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man hostseal: $warnings"
MANPATH="$root/usr/share/man" man -w hostseal-gui >/dev/null
desktop-file-validate "$root/usr/share/applications/hostseal-gui.desktop"
[[ -f $root/usr/share/icons/hicolor/scalable/apps/hostseal-gui.svg ]]
[[ -f $root/usr/share/bash-completion/completions/hostseal ]]
for package in "${!deb[@]}"; do
  [[ -f $root/usr/share/doc/$package/copyright && -f $root/usr/share/doc/$package/changelog.Debian.gz ]] ||
    fail "$package lacks its copyright or changelog"
done
# The public headers only, each compiling on its own from the installed ones.
headers=$("$source_dir/tests/package/check_installed_headers.sh" "$root/usr/include") || fail "$headers"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
[[ -f $root/usr/lib/$multiarch/libhostseal.a && -f $root/usr/lib/$multiarch/pkgconfig/hostseal.pc ]] ||
  fail "the library is not in /usr/lib/$multiarch"

# The README's quick start, as printed there, against the installed library.
quick=$work/quick
mkdir -p "$quick"
for file in CMakeLists.txt seal.cpp; do
  awk -v marker="<!-- quick start: $file -->" '
    $0 == marker { armed = 1; next }
    armed && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$source_dir/README.md" >"$quick/$file"
  [[ -s $quick/$file ]] || fail "README has no quick start $file"
done
cmake -S "$quick" -B "$quick/build" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$quick/build" >/dev/null
PKG_CONFIG_PATH=$root/usr/lib/$multiarch/pkgconfig
c++ "$quick/seal.cpp" -o "$quick/seal-pc" $(PKG_CONFIG_PATH=$PKG_CONFIG_PATH pkg-config --cflags --libs hostseal)
"$root/usr/bin/hostseal" keygen "$quick/notes.key"
echo "the notes" >"$quick/notes.txt"
for seal in "$quick/build/seal" "$quick/seal-pc"; do
  rm -f "$quick/notes.aes"
  "$seal" "$quick/notes.key" "$quick/notes.txt" "$quick/notes.aes" >/dev/null
  [[ $("$root/usr/bin/hostseal" decrypt-file --key-file "$quick/notes.key" "$quick/notes.aes" -) == "the notes" ]] ||
    fail "$seal did not encrypt under the key"
done

dpkg --root="$root" --force-script-chrootless -r "${!deb[@]}" >/dev/null
left=$(find "$root" -path "$root/var" -prune -o -type f -print 2>/dev/null || true)
[[ -z $left ]] || fail "files left after removal: $left"
echo "deb_test: $(cd "$work/out" && echo *.deb) checked, installed ($headers headers), ran and were removed"
