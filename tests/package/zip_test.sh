#!/bin/sh
# The zip that `cpack -G ZIP` makes in a Windows build: it holds the programs, the README and
# the licence in one folder, and the programs run from there (under Wine here):
#   zip_test.sh BUILD_DIR EMULATOR...
set -eu
build=$1
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G ZIP -B "$scratch/out" >/dev/null)
zip=$(ls "$scratch"/out/hostseal-*-win*.zip)
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$scratch/unpacked"
folder=$(ls -d "$scratch"/unpacked/hostseal-*)
for file in hostseal.exe hostseal-gui.exe README.md LICENSE.txt; do
  [ -f "$folder/$file" ] || { echo "missing in the zip: $file"; exit 1; }
done
extra=$(ls "$folder" | grep -v -x -e hostseal.exe -e hostseal-gui.exe -e README.md -e LICENSE.txt || true)
[ -z "$extra" ] || { echo "not meant for the zip: $extra"; exit 1; }

# The unpacked program works on its own: no DLL of the build is needed.
out=$("$@" "$folder/hostseal.exe" encrypt-file - - </dev/null | od -An -tx1 | tr -d ' \n')
[ ${#out} -eq 32 ] || { echo "encrypt-file of nothing gave '$out'"; exit 1; }
"$@" "$folder/hostseal.exe" --version </dev/null
# The window's program answers without a display: the zip's programs need nothing else.
gui=$("$@" "$folder/hostseal-gui.exe" --version </dev/null)
case $gui in
  "hostseal-gui "*) ;;
  *) echo "hostseal-gui.exe --version gave '$gui'"; exit 1 ;;
esac
