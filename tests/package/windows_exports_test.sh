#!/bin/sh
# hostseal.dll exports exactly the functions that hostseal.h declares, each under its plain
# name (no _ or @N, on x86 as on x64), and nothing else (none of the C++ library's or the
# static runtime's symbols). A caller that includes the header links against both import
# libraries and imports every function by that plain name: MinGW's gcc with
# libhostseal.dll.a, and clang with lld-link (Microsoft's linker's rules) with hostseal.lib.
# Nothing runs: objdump reads the results, so x86 is checked where Wine's 32-bit loader
# cannot start.
#   windows_exports_test.sh OBJDUMP CC HEADER DLL MINGW_IMPORT_LIBRARY MSVC_IMPORT_LIBRARY
#                           [CLANG LLD_LINK]
set -eu
objdump=$1 cc=$2 header=$3 dll=$4 mingw_lib=$5 msvc_lib=$6
clang=${7:-} lld_link=${8:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The header's functions: "... HOSTSEAL_CALL hostseal_name(" (not the callback types).
grep -o 'HOSTSEAL_CALL hostseal_[a-z0-9_]*(' "$header" | sed 's/^HOSTSEAL_CALL //; s/($//' |
  sort -u >"$scratch/declared"
[ "$(wc -l <"$scratch/declared")" -ge 10 ] || { echo "too few functions read from $header"; exit 1; }

compare() {  # WHAT LIST: LIST must equal the declared functions
  if ! diff -u "$scratch/declared" "$2" >"$scratch/diff"; then
    echo "$1 (- declared but missing, + not declared):"
    sed -n '3,$p' "$scratch/diff" | grep '^[-+]'
    exit 1
  fi
}
# The export table: "[Ordinal/Name Pointer] Table" then "\t[   0] name" lines.
"$objdump" -p "$dll" | awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && /^\t\[ *[0-9]+\] / { print $NF; next } on { exit }' | sort >"$scratch/exported"
compare "the exports of $(basename "$dll")" "$scratch/exported"

# What a program imports from hostseal.dll.
imports() {
  "$objdump" -p "$1" | awk -v dll="$(basename "$dll")" '
    /^\tDLL Name: / { on = tolower($3) == tolower(dll); next }
    on && /^\t[0-9a-f]+\t +[0-9]+  / { print $3 }' | sort
}
# A caller of every function, through the header's declarations (__stdcall, dllimport).
{
  echo '#include <hostseal/hostseal.h>'
  echo 'typedef void (*function)(void);'
  echo 'static const function functions[] = {'
  sed 's/.*/  (function)&,/' "$scratch/declared"
  echo '};'
  echo 'int probe(void) { return functions[0] == 0; }'
} >"$scratch/probe.c"
include=$(dirname "$(dirname "$header")")

echo 'int probe(void); int main(void) { return probe(); }' >"$scratch/main.c"
"$cc" -std=c99 -I"$include" -o "$scratch/mingw.exe" "$scratch/probe.c" "$scratch/main.c" "$mingw_lib"
imports "$scratch/mingw.exe" >"$scratch/mingw"
compare "what a MinGW program imports through $(basename "$mingw_lib")" "$scratch/mingw"

if [ -z "$clang" ] || [ -z "$lld_link" ]; then
  echo "windows_exports_test: no clang and lld-link; $(basename "$msvc_lib") is not linked"
  exit 0
fi
case $("$objdump" -f "$dll") in
  *pei-x86-64*) target=x86_64-pc-windows-msvc machine=x64 ;;
  *) target=i686-pc-windows-msvc machine=x86 ;;
esac
# No C runtime: the entry point is the probe's own.
echo 'int __stdcall entry(void* unused) { (void)unused; return probe(); }' >>"$scratch/probe.c"
"$clang" --target=$target -ffreestanding -I"$include" -c -o "$scratch/probe.obj" "$scratch/probe.c"
"$lld_link" /nologo /nodefaultlib /entry:entry /subsystem:console /machine:$machine \
  /out:"$scratch/msvc.exe" "$scratch/probe.obj" "$msvc_lib"
imports "$scratch/msvc.exe" >"$scratch/msvc"
compare "what an MSVC-style program imports through $(basename "$msvc_lib")" "$scratch/msvc"
echo "windows_exports_test: $(wc -l <"$scratch/declared") functions, exported and imported by their plain names"
