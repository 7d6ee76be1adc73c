#!/usr/bin/env bash
# File encryption and decryption of a 1 GiB file beside dd copying the same file, in the same
# run: elapsed time as a ratio to dd's, and peak resident memory.
#
#   bench/file_vs_dd.sh [DRIVER] [FOLDER]
#
# DRIVER defaults to build/release/bin/hostseal_file_crypt_driver (built with the release
# preset), FOLDER to $TMPDIR or /tmp; it should be on the disk that matters, not a tmpfs.
# ROUNDS (default 3) rounds are run, interleaved, and the median of each is reported.
set -euo pipefail

driver=${1:-build/release/bin/hostseal_file_crypt_driver}
base=${2:-${TMPDIR:-/tmp}}
rounds=${ROUNDS:-3}
size=$((1 << 30))

[[ -x $driver ]] || { echo "file_vs_dd: no driver at $driver" >&2; exit 2; }
work=$(mktemp -d "$base/hostseal-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

head -c "$size" /dev/urandom >"$work/in"
sync

# measure NAME COMMAND...: appends "seconds max-rss-kB" to $work/NAME.
measure() {
  local name=$1
  shift
  rm -f "$work/out.$name"
  sync
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    cat "$work/stderr" >&2
    exit 1
  }
  cat "$work/time" >>"$work/$name"
}

for ((round = 1; round <= rounds; round++)); do
  measure dd dd if="$work/in" of="$work/out.dd" bs=4M conv=fsync
  measure encrypt "$driver" encrypt "$work/in" "$work/out.encrypt"
  cp --reflink=auto "$work/out.encrypt" "$work/cipher"
  measure decrypt "$driver" decrypt "$work/cipher" "$work/out.decrypt"
done
cmp "$work/in" "$work/out.decrypt" || { echo "file_vs_dd: round trip differs" >&2; exit 1; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
dd_time=$(cut -d' ' -f1 "$work/dd" | median)
printf '%-8s %10s %10s %14s\n' operation seconds "x dd" "max RSS MiB"
for name in dd encrypt decrypt; do
  seconds=$(cut -d' ' -f1 "$work/$name" | median)
  rss=$(cut -d' ' -f2 "$work/$name" | sort -n | tail -1)
  awk -v n="$name" -v s="$seconds" -v d="$dd_time" -v r="$rss" \
    'BEGIN { printf "%-8s %10.2f %10.2f %14.1f\n", n, s, s / d, r / 1024 }'
done
echo "(${rounds} rounds, 1 GiB, median time, largest RSS; $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
