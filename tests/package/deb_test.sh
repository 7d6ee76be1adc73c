#!/usr/bin/env bash
# Makes the .deb packages with `cpack -G DEB` in a release build, one for each component the
# build packages (hostseal, hostseal-gui, libhostseal-dev; libhostseal0 and python3-hostseal
# where the build has the shared library and the Python module), checks their dependencies
# (the tool pulls in no Qt), runs lintian on all (no error, no warning, and no hardening tag
# even at the info level), installs them into a scratch root with dpkg, runs the tool, reads
# the manual pages, validates the desktop entry, checks the installed headers, builds the
# README's library quick start against the installed library with CMake and with pkg-config,
# builds a C program through hostseal-c.pc and finds its dependency through the installed
# symbols file, and removes the packages, which must leave no file behind. Needs root (for dpkg); the system's own package database is never
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
# One package per component that the build packages, by the names CPack was given.
config=$build_dir/CPackConfig.cmake
components=$(sed -n 's/^set(CPACK_COMPONENTS_ALL "\(.*\)")$/\1/p' "$config" | tr ';' ' ')
declare -A deb
for component in $components; do
  package=$(sed -n "s/^set(CPACK_DEBIAN_${component^^}_PACKAGE_NAME \"\(.*\)\")\$/\1/p" "$config")
  deb[$package]=$(find "$work/out" -maxdepth 1 -name "${package}_*.deb")
  [[ -f ${deb[$package]} ]] || fail "no $package .deb made"
done
for package in hostseal hostseal-gui libhostseal-dev; do
  [[ -n ${deb[$package]:-} ]] || fail "the build packages no $package"
done
made=$(find "$work/out" -maxdepth 1 -name '*.deb' | wc -l)
((made == ${#deb[@]})) || fail "cpack made $made packages for ${#deb[@]} components"

# dpkg-shlibdeps found the shared libraries the programs link, and each is installed here.
depends_of() { dpkg-deb -f "${deb[$1]}" Depends; }
for library in libc6 libstdc++6; do
  [[ $(depends_of hostseal) == *"$library "* ]] || fail "hostseal lacks $library: $(depends_of hostseal)"
done
[[ $(depends_of hostseal) != *libqt* ]] || fail "hostseal depends on Qt: $(depends_of hostseal)"
[[ $(depends_of hostseal-gui) == *"libqt6widgets6 "* ]] ||
  fail "hostseal-gui lacks Qt: $(depends_of hostseal-gui)"
for package in $(for p in "${!deb[@]}"; do depends_of "$p"; echo ,; done | sed 's/([^)]*)//g; s/:any//g; s/[,|]/ /g'); do
  [[ -z ${deb[$package]:-} ]] || continue  # one of these packages
  # One status line per architecture the package is installed for (amd64, and i386 where
  # the Windows tools brought that architecture in).
  [[ $(dpkg-query -W -f='${Status}\n' "$package") == *"install ok installed"* ]] ||
    fail "dependency $package is not installed here"
done

if command -v lintian >/dev/null; then
  # lintian warns when run as root; its findings are what counts. The hardening tags are
  # partly at the info level, which --fail-on does not count: -I shows them.
  findings=$(lintian -I --fail-on error,warning --tag-display-limit 0 "${deb[@]}" 2>/dev/null) ||
    fail "lintian found errors or warnings: $findings"
  [[ $findings != *hardening-* ]] || fail "lintian found programs built without hardening: $findings"
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

# The shared library: its control files are where dpkg-shlibdeps and ldconfig look, a C program
# builds through hostseal-c.pc and runs, and the symbols file gives its dependency.
if [[ -n ${deb[libhostseal0]:-} ]]; then
  for control in symbols shlibs triggers; do
    [[ -f $root/var/lib/dpkg/info/libhostseal0.$control ]] || fail "libhostseal0 has no $control file"
  done
  [[ $(cat "$root/var/lib/dpkg/info/libhostseal0.triggers") == "activate-noawait ldconfig" ]] ||
    fail "libhostseal0's trigger: $(cat "$root/var/lib/dpkg/info/libhostseal0.triggers")"
  [[ -L $root/usr/lib/$multiarch/libhostseal.so && -f $root/usr/include/hostseal/hostseal.h ]] ||
    fail "libhostseal-dev lacks the link libhostseal.so or hostseal.h"
  c_program=$work/c-version
  mkdir -p "$c_program/debian"
  cc -std=c99 -Wall -Wextra -Werror "$source_dir/tests/package/consumer/version.c" -o "$c_program/version" \
    $(PKG_CONFIG_PATH=$root/usr/lib/$multiarch/pkgconfig pkg-config --cflags --libs hostseal-c)
  printed=$(LD_LIBRARY_PATH=$root/usr/lib/$multiarch "$c_program/version")
  [[ $version == "hostseal $printed "* ]] || fail "the C program printed '$printed', the tool '$version'"
  # As in the build of a package of that program, beside the unpacked library package.
  touch "$c_program/debian/control"
  dpkg-deb -R "${deb[libhostseal0]}" "$c_program/debian/libhostseal0"
  depends=$(cd "$c_program" && dpkg-shlibdeps -O -Sdebian/libhostseal0 version 2>&1) ||
    fail "dpkg-shlibdeps of a C program: $depends"
  [[ $depends == *"libhostseal0 (>= $printed)"* ]] || fail "dpkg-shlibdeps of a C program: $depends"
fi
# The Python module imports with the installed library, and writes its byte code as it does
# for root, which the removal below must take away.
if [[ -n ${deb[python3-hostseal]:-} ]]; then
  LD_LIBRARY_PATH=$root/usr/lib/$multiarch PYTHONPATH=$root/usr/lib/python3/dist-packages \
    env -u PYTHONDONTWRITEBYTECODE /usr/bin/python3 -c 'import hostseal' ||
    fail "python3-hostseal does not import"
fi

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
