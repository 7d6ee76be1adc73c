#!/usr/bin/env bash
# Makes the .deb with `cpack -G DEB` in a release build, checks its dependencies, installs it
# into a scratch root with dpkg, runs the tool and reads its manual page from there, validates
# the desktop entry, and removes the package, which must leave no file behind. Needs root (for
# dpkg); the system's own package database is never touched.
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail
[[ -n ${DEB_TEST_TRACE:-} ]] && set -x
build_dir=$(cd "$1" && pwd)
if [[ $(id -u) -ne 0 ]]; then
  echo "deb_test: skipped, dpkg needs root"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >/dev/null)
deb=$(find "$work/out" -maxdepth 1 -name 'hostseal_*.deb')
[[ -f $deb ]] || { echo "deb_test: no .deb made"; exit 1; }

# dpkg-shlibdeps found the shared libraries the programs link, and each is installed here.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6; do
  [[ $depends == *"$library "* ]] || { echo "deb_test: Depends lacks $library: $depends"; exit 1; }
done
for package in $(sed 's/([^)]*)//g; s/[,|]/ /g' <<<"$depends"); do
  # One status line per architecture the package is installed for (amd64, and i386 where
  # the Windows tools brought that architecture in).
  [[ $(dpkg-query -W -f='${Status}\n' "$package") == *"install ok installed"* ]] ||
    { echo "deb_test: dependency $package is not installed here"; exit 1; }
done

# Minimal images often exclude manual pages from every package (dpkg path-exclude); the test
# asks for them explicitly, as a user's system installs them.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-script-chrootless --path-include="/usr/share/man/*" -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; exit 1; }
version=$("$root/usr/bin/hostseal" --version)
[[ $version == "hostseal "* ]] || { echo "deb_test: --version: $version"; exit 1; }
bytes=$("$root/usr/bin/hostseal" utf8 abc)
[[ $bytes == "EF BB BF 61 62 63" ]] || { echo "deb_test: utf8 abc: $bytes"; exit 1; }
warnings=$(MANPATH="$root/usr/share/man" MANWIDTH=80 man --warnings hostseal 2>&1 >/dev/null)
[[ -z $warnings ]] || { echo "deb_test: man hostseal: $warnings"; exit 1; }
MANPATH="$root/usr/share/man" man -w hostseal-gui >/dev/null
desktop-file-validate "$root/usr/share/applications/hostseal-gui.desktop"
[[ -f $root/usr/share/icons/hicolor/scalable/apps/hostseal-gui.svg ]]
[[ -f $root/usr/share/bash-completion/completions/hostseal ]]

dpkg --root="$root" --force-script-chrootless -r hostseal >/dev/null
left=$(find "$root" -path "$root/var" -prune -o -type f -print 2>/dev/null || true)
[[ -z $left ]] || { echo "deb_test: files left after removal: $left"; exit 1; }
echo "deb_test: $(basename "$deb") installed, ran and was removed"
