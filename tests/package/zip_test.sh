#!/bin/sh
# The zip that `cpack -G ZIP` makes in a Windows build: it holds the programs, the README and
# the licence in one folder, and the programs run from there (under Wine here); with the C
# interface, also the files for developers: hostseal.dll beside the programs, hostseal.h in
# include\hostseal and the import libraries in lib, and a C program (SAMPLE, the C sample)
# runs against that DLL:
#   zip_test.sh BUILD_DIR SAMPLE|- EMULATOR...
set -eu
build=$1
sample=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G ZIP -B "$scratch/out" >/dev/null)
zip=$(ls "$scratch"/out/hostseal-*-win*.zip)
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$scratch/unpacked"
folder=$(ls -d "$scratch"/unpacked/hostseal-*)
expected="hostseal.exe hostseal-gui.exe README.md LICENSE.txt"
[ "$sample" = - ] ||
  expected="$expected hostseal.dll include/hostseal/hostseal.h lib/libhostseal.dll.a lib/hostseal.lib"
listed=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' $expected | sort)
[ "$listed" = "$wanted" ] || {
  echo "the zip holds:"; echo "$listed"; echo "expected:"; echo "$wanted"
  exit 1
}

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
# The zip's DLL (stripped by CPack) serves a C program on its own.
if [ "$sample" != - ]; then
  cp "$sample" "$folder/"
  (cd "$folder" && printf 'plain' >plain.txt &&
    "$@" "./$(basename "$sample")" plain.txt plain.aes text </dev/null >/dev/null)
  [ "$(wc -c <"$folder/plain.aes")" -eq 16 ] || { echo "the sample made no cipher file"; exit 1; }
fi
