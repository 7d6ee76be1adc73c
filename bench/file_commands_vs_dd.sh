#!/usr/bin/env bash
# `hostseal encrypt-file` and `decrypt-file` of a 1 GiB file beside `dd bs=4M conv=fsync`
# copying the same file, in the same run, for one or more builds of the tool (to compare a
# change with the build before it): median elapsed time as a ratio to dd's.
#
#   bench/file_commands_vs_dd.sh [HOSTSEAL ...]
#
# HOSTSEAL defaults to build/release/bin/hostseal. The files go to FOLDER (default $TMPDIR or
# /tmp), which should be on the disk that matters, not a tmpfs. ROUNDS (default 5) rounds are
# run, each tool and dd in turn within a round.
set -euo pipefail

tools=("$@")
[[ ${#tools[@]} -gt 0 ]] || tools=(build/release/bin/hostseal)
base=${FOLDER:-${TMPDIR:-/tmp}}
rounds=${ROUNDS:-5}
key=000102030405060708090A0B0C0D0E0F

for tool in "${tools[@]}"; do
  [[ -x $tool ]] || { echo "file_commands_vs_dd: no tool at $tool" >&2; exit 2; }
done
work=$(mktemp -d "$base/hostseal-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((1 << 30)) /dev/urandom >"$work/in"
"${tools[0]}" encrypt-file --key "$key" "$work/in" "$work/cipher"
sync

# seconds COMMAND...: prints the elapsed seconds of one run.
seconds() {
  local start end
  sync
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

for ((round = 1; round <= rounds; round++)); do
  rm -f "$work/out"
  seconds dd if="$work/in" of="$work/out" bs=4M conv=fsync status=none >>"$work/t.dd"
  for i in "${!tools[@]}"; do
    rm -f "$work/out"
    seconds "${tools[$i]}" encrypt-file --key "$key" "$work/in" "$work/out" >>"$work/t.enc.$i"
    rm -f "$work/out"
    seconds "${tools[$i]}" decrypt-file --key "$key" "$work/cipher" "$work/out" >>"$work/t.dec.$i"
  done
done
cmp "$work/in" "$work/out" || { echo "file_commands_vs_dd: round trip differs" >&2; exit 1; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
dd_time=$(median <"$work/t.dd")
printf '%-44s %10s %8s\n' command seconds "x dd"
printf '%-44s %10.2f %8.2f\n' "dd bs=4M conv=fsync" "$dd_time" 1
for i in "${!tools[@]}"; do
  for op in enc dec; do
    t=$(median <"$work/t.$op.$i")
    name="$(basename "${tools[$i]}") $([[ $op == enc ]] && echo encrypt-file || echo decrypt-file)"
    [[ ${#tools[@]} -gt 1 ]] && name="$name (#$((i + 1)))"
    awk -v n="$name" -v s="$t" -v d="$dd_time" 'BEGIN { printf "%-44s %10.2f %8.2f\n", n, s, s / d }'
  done
done
echo "(${rounds} rounds, 1 GiB in $base, median; $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
