#!/usr/bin/env bash
# The hexadecimal codec and the text encryption beside basenc --base16, measured in one run on
# one machine. Builds nothing: it runs the benchmark binary built by the release preset and
# basenc over 16 MiB of random bytes, and prints every rate as a multiple of basenc's.
# Both sides are measured in CPU time (user + system) per binary byte; basenc takes the best of
# several runs. BytesToHex and Encrypt are set against basenc --base16, HexToBytes and Decrypt
# against basenc --base16 -d. FreshHexText is no work of the codec but its floor: only the
# allocation and one write of a text as long as BytesToHex returns, whose page faults bound
# BytesToHex on 16 MiB.
#
# Usage: bench/text_vs_basenc.sh [path/to/hostseal_bench_text]
set -euo pipefail

bench=${1:-build/release/bin/hostseal_bench_text}
size=$((16 << 20))
runs=5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c "$size" /dev/urandom > "$work/data"
basenc --base16 < "$work/data" > "$work/hex"

# The least CPU time in seconds (user + system) of $runs runs of a command.
best_cpu() {
  local best="" t i
  for ((i = 0; i < runs; i++)); do
    t=$( { TIMEFORMAT='%3U %3S'; time "$@" > /dev/null; } 2>&1 | awk '{ print $1 + $2 }')
    best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  echo "$best"
}

encode_s=$(best_cpu basenc --base16 "$work/data")
decode_s=$(best_cpu basenc --base16 -d "$work/hex")
encode=$(awk -v n="$size" -v s="$encode_s" 'BEGIN { print n / s }')
decode=$(awk -v n="$size" -v s="$decode_s" 'BEGIN { print n / s }')

"$bench" --benchmark_format=csv \
  --benchmark_filter='BM_(BytesToHex|FreshHexText|HexToBytes|EncryptAscii|DecryptAscii)' 2>/dev/null |
  awk -F, -v enc="$encode" -v dec="$decode" '
    BEGIN {
      printf "%-28s %12s %10s\n", "measurement/data bytes", "MB/s", "x basenc"
      printf "%-28s %12.0f %10.2f\n", "basenc --base16 (16 MiB)", enc / 1e6, 1
      printf "%-28s %12.0f %10.2f\n", "basenc -d (16 MiB)", dec / 1e6, 1
    }
    /^"BM_/ {
      name = $1; gsub(/"/, "", name); sub(/^BM_/, "", name)
      peer = (name ~ /^(BytesToHex|FreshHexText|EncryptAscii)/) ? enc : dec
      printf "%-28s %12.0f %10.2f\n", name, $6 / 1e6, $6 / peer
    }'
