#!/usr/bin/env bash
# Records the ABI of the shared library libhostseal.so.N as the baseline that the test
# package.abi compares each build with, and the Debian symbols file of libhostseal<N>:
#   hostseal/c/abi/libhostseal.so.N.abi   abidw's description of the exported functions and
#                                         the types of the public header hostseal.h
#   hostseal/c/abi/libhostseal<N>.symbols each exported function and the first version that
#                                         has it; the versions recorded before are kept
# Run it after a deliberate change of the interface: after adding functions (which keeps
# the ABI), or with a new SONAME after an incompatible change, whose old baseline it removes.
# Needs a build with debugging information (the release preset) and abigail-tools.
# Usage: scripts/record_abi.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/release}
abi_dir=$source_dir/hostseal/c/abi
library=$(find "$build_dir" -name 'libhostseal.so.*' -type f -not -name '*.abi' | head -n 1)
[[ -n $library ]] || { echo "record_abi: no libhostseal.so.* in $build_dir: build hostseal_c first" >&2; exit 1; }
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ $soname =~ ^libhostseal\.so\.([0-9]+)$ ]] || { echo "record_abi: unexpected SONAME '$soname'" >&2; exit 1; }
package=libhostseal${BASH_REMATCH[1]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
readelf -S "$library" | grep -q '\.debug_info' ||
  { echo "record_abi: $library has no debugging information (-g)" >&2; exit 1; }

mkdir -p "$abi_dir"
# Paths, source locations and the order of type ids change with every edit; the baseline
# holds only what callers depend on.
abidw --no-corpus-path --no-comp-dir-path --no-show-locs --type-id-style hash --exported-interfaces-only \
  --header-file "$source_dir/include/hostseal/hostseal.h" --drop-private-types "$library" \
  >"$abi_dir/$soname.abi"
template=()
[[ -f $abi_dir/$package.symbols ]] && template=(-I"$abi_dir/$package.symbols")
dpkg-gensymbols -q -c0 -p"$package" -v"$version" "${template[@]}" -e"$library" -O"$abi_dir/$package.symbols.new"
mv "$abi_dir/$package.symbols.new" "$abi_dir/$package.symbols"
for old in "$abi_dir"/*.abi "$abi_dir"/*.symbols; do
  [[ $old == "$abi_dir/$soname.abi" || $old == "$abi_dir/$package.symbols" ]] || rm -v -- "$old"
done
echo "record_abi: $abi_dir/$soname.abi and $package.symbols recorded from $library ($version)"
