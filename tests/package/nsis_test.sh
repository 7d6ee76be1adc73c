#!/bin/sh
# The installer that `cpack -G NSIS` makes in a Windows build, run silently under Wine: it
# installs both programs, the README and the licence under Program Files with a Start-menu
# entry and an uninstaller in Apps & features; the installed tool runs; the uninstaller
# removes all of it.
#   nsis_test.sh BUILD_DIR EMULATOR...   (EMULATOR: wine_emulator.sh BITS PREFIX)
set -eu
build=$1
shift
prefix=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G NSIS -B "$scratch/out" >/dev/null)
installer=$(ls "$scratch"/out/hostseal-*-win*.exe)
case $1 in *wine_emulator.sh) ;; *) echo "nsis_test: unexpected emulator $1"; exit 1 ;; esac
if [ "$2" = 64 ]; then root="$prefix/drive_c/Program Files"; else root="$prefix/drive_c/Program Files (x86)"; fi
[ -d "$root" ] || root="$prefix/drive_c/Program Files"
folder="$root/hostseal"
rm -rf "$folder"

"$@" "$installer" /S </dev/null >/dev/null 2>&1
for file in hostseal.exe hostseal-gui.exe README.md LICENSE.txt Uninstall.exe; do
  [ -f "$folder/$file" ] || { echo "nsis_test: not installed: $file"; ls "$folder" || true; exit 1; }
done
version=$("$@" "$folder/hostseal.exe" --version </dev/null)
case $version in
  "hostseal "*) ;;
  *) echo "nsis_test: the installed hostseal.exe --version gave '$version'"; exit 1 ;;
esac
menu=$(find "$prefix/drive_c" -path '*Start Menu*' -name 'hostseal*.lnk' | head -1)
[ -n "$menu" ] || { echo "nsis_test: no Start-menu entry"; exit 1; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\hostseal'
"$@" reg query "$key" </dev/null 2>&1 | grep -q UninstallString ||
  { echo "nsis_test: no uninstaller in Apps & features"; exit 1; }

# _?= runs the uninstaller in place and waits for it; without it, it copies itself to TEMP
# and returns at once. In place it cannot remove itself: that one file is left to us. NSIS
# reads _?= to the end of the line and not in quotes, so the folder goes by its short name.
short=$("$@" winepath.exe -s "C:\\$(basename "$root")" </dev/null 2>/dev/null | tr -d '\r')
case $short in C:\\*) ;; *) echo "nsis_test: no short name for $root: '$short'"; exit 1 ;; esac
"$@" "$folder/Uninstall.exe" /S "_?=$short\\hostseal" </dev/null >/dev/null 2>&1
left=$(cd "$folder" && find . -mindepth 1 ! -name Uninstall.exe)
[ -z "$left" ] || { echo "nsis_test: left after uninstalling: $left"; exit 1; }
rm -rf "$folder"
[ -z "$(find "$prefix/drive_c" -path '*Start Menu*' -name 'hostseal*')" ] ||
  { echo "nsis_test: Start-menu entry left"; exit 1; }
if "$@" reg query "$key" </dev/null >/dev/null 2>&1; then
  echo "nsis_test: the Apps & features entry is left"
  exit 1
fi
echo "nsis_test: installed, ran and uninstalled $(basename "$installer")"
