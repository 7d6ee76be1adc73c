#!/bin/sh
# The installer that `cpack -G NSIS` makes in a Windows build, run silently under Wine: it
# installs both programs, the README and the licence under Program Files with a Start-menu
# entry and an uninstaller in Apps & features; the installed tool runs; the uninstaller
# removes all of it, files and registry keys in both registry views. With DEVELOPER 1 (a
# build with the C interface) the files for developers are a part that a silent installation
# leaves out, and installs when it is chosen (as a previous installation's choice, which the
# installer reads from the registry); the uninstaller removes them too.
#   nsis_test.sh BUILD_DIR DEVELOPER EMULATOR...   (EMULATOR: wine_emulator.sh BITS PREFIX)
#
# The test has a Wine prefix of its own (BUILD_DIR/wineprefix-nsis), made afresh each run so
# that nothing a failed run left (files, an uninstaller entry that the next installer would
# follow) decides the next. The prefix is given the 32-bit side that every 64-bit Windows has
# (HKLM\Software\Wow6432Node with ProgramFilesDir = C:\Program Files (x86)), which a prefix
# made by Wine's 64-bit loader alone lacks: only there can a 64-bit installer tell the two
# Program Files apart.
set -eu
build=$1
developer=$2
shift 2
case $1 in *wine_emulator.sh) ;; *) echo "nsis_test: unexpected emulator $1"; exit 1 ;; esac
bits=$2
prefix=$build/wineprefix-nsis
emulator="$1 $bits $prefix"
scratch=$(mktemp -d)
finish() {
  WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap finish EXIT

WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
rm -rf "$prefix" "$prefix.lock" "$prefix.start.log" "$prefix.creating"
run() { $emulator "$@" </dev/null; }

(cd "$build" && cpack -G NSIS -B "$scratch/out" >/dev/null)
installer=$(ls "$scratch"/out/hostseal-*-win*.exe)

# The x64 installer goes to the 64-bit Program Files, the x86 one to the 32-bit one (on a
# 32-bit Windows, the only one).
if [ "$bits" = 64 ]; then
  run reg add 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion' \
    /v ProgramFilesDir /t REG_SZ /d 'C:\Program Files (x86)' /f >/dev/null 2>&1
  mkdir -p "$prefix/drive_c/Program Files (x86)"
  root="$prefix/drive_c/Program Files"
  other="$prefix/drive_c/Program Files (x86)"
else
  case $(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v ProgramFilesDir) in
    *'Program Files (x86)'*)
      root="$prefix/drive_c/Program Files (x86)"
      other="$prefix/drive_c/Program Files"
      ;;
    *)
      root="$prefix/drive_c/Program Files"
      other=""
      ;;
  esac
fi
folder="$root/hostseal"

developer_files="hostseal.dll include/hostseal/hostseal.h lib/libhostseal.dll.a lib/hostseal.lib"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\hostseal'
run "$installer" /S >/dev/null 2>&1
for file in $developer_files; do
  [ ! -e "$folder/$file" ] || { echo "nsis_test: installed without being chosen: $file"; exit 1; }
done
for file in hostseal.exe hostseal-gui.exe README.md LICENSE.txt Uninstall.exe; do
  [ -f "$folder/$file" ] || {
    echo "nsis_test: not installed: $folder/$file"
    find "$prefix/drive_c" -path '*/hostseal/*' -name "$file" | sed 's/^/  it is at: /'
    exit 1
  }
done
if [ -n "$other" ] && [ -e "$other/hostseal" ]; then
  echo "nsis_test: the installer wrote into $other as well"
  exit 1
fi
version=$(run "$folder/hostseal.exe" --version)
case $version in
  "hostseal "*) ;;
  *) echo "nsis_test: the installed hostseal.exe --version gave '$version'"; exit 1 ;;
esac
menu=$(find "$prefix/drive_c" -path '*Start Menu*' -name 'hostseal*.lnk' | head -1)
[ -n "$menu" ] || { echo "nsis_test: no Start-menu entry"; exit 1; }
run reg query "$uninstall_key" 2>&1 | grep -q UninstallString ||
  { echo "nsis_test: no uninstaller in Apps & features"; exit 1; }

# _?= runs the uninstaller in place and waits for it; without it, it copies itself to TEMP
# and returns at once. In place it cannot remove itself: that one file is left to us. NSIS
# reads _?= to the end of the line and not in quotes, so the folder goes by its short name.
short=$(run winepath.exe -s "C:\\$(basename "$root")" 2>/dev/null | tr -d '\r')
case $short in C:\\*) ;; *) echo "nsis_test: no short name for $root: '$short'"; exit 1 ;; esac
run "$folder/Uninstall.exe" /S "_?=$short\\hostseal" >/dev/null 2>&1
left=$(cd "$folder" && find . -mindepth 1 ! -name Uninstall.exe)
[ -z "$left" ] || { echo "nsis_test: left after uninstalling: $left"; exit 1; }
rm -rf "$folder"
[ -z "$(find "$prefix/drive_c" -path '*Start Menu*' -name 'hostseal*')" ] ||
  { echo "nsis_test: Start-menu entry left"; exit 1; }
for key in "$uninstall_key" 'HKLM\Software\hostseal developers' \
  'HKCU\Software\hostseal developers'; do
  for view in /reg:64 /reg:32; do
    if run reg query "$key" "$view" >/dev/null 2>&1; then
      echo "nsis_test: left after uninstalling: $key ($view)"
      exit 1
    fi
  done
done

# The part chosen: the installer takes a previous installation's record of the choice, which
# its uninstaller removed with the rest above. Its files are installed, and removed again.
if [ "$developer" = 1 ]; then
  run reg add "$uninstall_key\\Components\\developer" /v Installed /t REG_DWORD /d 1 /f >/dev/null 2>&1
  run "$installer" /S >/dev/null 2>&1
  for file in $developer_files; do
    [ -f "$folder/$file" ] || { echo "nsis_test: the chosen part did not install $file"; exit 1; }
  done
  run "$folder/Uninstall.exe" /S "_?=$short\\hostseal" >/dev/null 2>&1
  left=$(cd "$folder" && find . -mindepth 1 ! -name Uninstall.exe)
  [ -z "$left" ] || { echo "nsis_test: left after uninstalling the chosen part: $left"; exit 1; }
  rm -rf "$folder"
fi
echo "nsis_test: installed into $(basename "$root"), ran and uninstalled $(basename "$installer")"
# The server writes the registry as it ends: the prefix goes once it has.
WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
WINEPREFIX=$prefix wineserver -w </dev/null >/dev/null 2>&1 || true
rm -rf "$prefix" "$prefix.lock" "$prefix.start.log" "$prefix.creating"
