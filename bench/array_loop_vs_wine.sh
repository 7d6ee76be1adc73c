#!/bin/sh
# ArrayEncrypt of 16 KiB, the Linux build beside the Windows x64 build under Wine, in turns:
#   bench/array_loop_vs_wine.sh [ROUNDS]
# Needs the release and windows-x64 presets built. Prints each run's table; compare the
# medians of the rows of the same path and key length.
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-3}
linux=build/release/bin/hostseal_bench_array_loop
windows=build/windows-x64/bin/hostseal_bench_array_loop.exe
for program in "$linux" "$windows"; do
  [ -e "$program" ] || { echo "missing $program: build the release and windows-x64 presets"; exit 1; }
done
i=1
while [ "$i" -le "$rounds" ]; do
  echo "== Linux, run $i"
  "$linux"
  echo "== Windows x64 under Wine, run $i"
  sh cmake/wine_emulator.sh 64 "$PWD/build/windows-x64/wineprefix" "$windows" </dev/null
  i=$((i + 1))
done
