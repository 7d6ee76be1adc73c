#!/usr/bin/env bash
# The command-line tool beside the openssl command, in the same run on the same file: the whole
# `hostseal encrypt-file` and `decrypt-file` (process start, key, reading, AES-128-ECB,
# writing) against `openssl enc -aes-128-ecb -nopad` over the same 256 MiB, timed by hyperfine.
# Prints each mean time as a multiple of openssl's.
#
# Usage: bench/cli_vs_openssl.sh [path/to/hostseal] [FOLDER]
set -euo pipefail

cli=${1:-build/release/bin/hostseal}
base=${2:-${TMPDIR:-/tmp}}
size=$((256 << 20))
key=000102030405060708090A0B0C0D0E0F

[[ -x $cli ]] || { echo "cli_vs_openssl: no tool at $cli" >&2; exit 2; }
work=$(mktemp -d "$base/hostseal-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c "$size" /dev/urandom > "$work/plain"
"$cli" encrypt-file --key "$key" "$work/plain" "$work/cipher"

hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-csv "$work/times.csv" \
  -n openssl-enc "openssl enc -aes-128-ecb -nopad -K $key -in $work/plain -out $work/o1" \
  -n hostseal-encrypt-file "$cli encrypt-file --key $key $work/plain $work/o2" \
  -n openssl-dec "openssl enc -d -aes-128-ecb -nopad -K $key -in $work/cipher -out $work/o3" \
  -n hostseal-decrypt-file "$cli decrypt-file --key $key $work/cipher $work/o4" > /dev/null
cmp -n "$size" "$work/o1" "$work/o2" || { echo "cli_vs_openssl: cipher differs" >&2; exit 1; }
cmp "$work/plain" "$work/o4" || { echo "cli_vs_openssl: round trip differs" >&2; exit 1; }

awk -F, 'NR > 1 { mean[$1] = $2 }
  END {
    printf "%-24s %10s %12s\n", "command (256 MiB)", "seconds", "x openssl"
    printf "%-24s %10.3f %12.2f\n", "openssl enc", mean["openssl-enc"], 1
    printf "%-24s %10.3f %12.2f\n", "hostseal encrypt-file", mean["hostseal-encrypt-file"],
           mean["hostseal-encrypt-file"] / mean["openssl-enc"]
    printf "%-24s %10.3f %12.2f\n", "openssl enc -d", mean["openssl-dec"], 1
    printf "%-24s %10.3f %12.2f\n", "hostseal decrypt-file", mean["hostseal-decrypt-file"],
           mean["hostseal-decrypt-file"] / mean["openssl-dec"]
  }' "$work/times.csv"
