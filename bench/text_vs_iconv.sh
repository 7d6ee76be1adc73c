#!/usr/bin/env bash
# The code-page conversions beside the iconv command, measured in one run on one machine.
# Builds nothing: it runs hostseal_text_convert_driver built by the release preset.
#
# Three texts, none of them ASCII only: CJK with some ASCII punctuation under 936, Latin-1
# words (about one letter in seven accented) under 1252, and a mix of ASCII, Latin-1, CJK and
# emoji under 65001. Each at 1, 16 and 64 MiB of UTF-8 (a 1 MiB piece repeated), converted
# both ways: UTF-8 to the code page ("to-bytes", against iconv -f UTF-8 -t CPnnn) and the code
# page's bytes back to UTF-8 ("to-text", against iconv -f CPnnn -t UTF-8). Both sides are whole
# processes that read a file and write a file; each figure is the least wall time of several
# runs by hyperfine, the two commands in the same call. Rates count the input bytes.
#
# The driver streams the file through the library 64 KiB at a time, as the iconv command does.
# Columns: the rate of each side in MB/s, hostseal's rate as a multiple of iconv's, "/1MiB":
# hostseal's time per byte at that size as a multiple of its time per byte at 1 MiB (whole
# processes, so the start of the process weighs most at 1 MiB), and "whole ns/B": the two
# conversions in one call each on the whole text in memory (the driver's --whole), without
# process start and file I/O, in nanoseconds per input byte.
#
# Usage: bench/text_vs_iconv.sh [path/to/hostseal_text_convert_driver] [sizes in MiB...]
set -euo pipefail

driver=${1:-build/release/bin/hostseal_text_convert_driver}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 16 64)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One MiB of UTF-8 of each kind.
python3 "$(dirname "$0")/make_text_samples.py" "$work"
for kind in cjk latin mixed; do mv "$work/$kind" "$work/$kind.1"; done

runs_for() { if [ "$1" -ge 64 ]; then echo 5; elif [ "$1" -ge 16 ]; then echo 10; else echo 30; fi; }

# The least wall time in seconds of each of two commands, run $runs times each by hyperfine.
best_pair() {
  hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$work/times.json" \
    "$1" "$2" > /dev/null 2>&1
  python3 -c 'import json, sys
r = json.load(open(sys.argv[1]))["results"]
print(min(r[0]["times"]), min(r[1]["times"]))' "$work/times.json"
}

# The least conversion time that the driver itself reports over $runs runs.
best_convert() {
  local best="" t i
  for ((i = 0; i < runs; i++)); do
    t=$("$@" 2>&1 >/dev/null)
    best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  echo "$best"
}

printf '%-6s %-5s %-9s %6s %10s %10s %9s %7s %11s\n' \
  page text direction MiB "hostseal" "iconv" "x iconv" "/1MiB" "whole ns/B"
declare -A perByte1
for pair in 936:cjk 1252:latin 65001:mixed; do
  page=${pair%%:*}
  kind=${pair##*:}
  name=CP$page
  [ "$page" = 65001 ] && name=UTF-8
  for mib in "${sizes[@]}"; do
    runs=$(runs_for "$mib")
    text=$work/$kind.$mib
    [ -f "$text" ] || for ((k = 0; k < mib; k++)); do cat "$work/$kind.1"; done > "$text"
    iconv -f UTF-8 -t "$name" "$text" > "$work/bytes"
    for direction in to-bytes to-text; do
      if [ "$direction" = to-bytes ]; then
        in=$text
        peer=(iconv -f UTF-8 -t "$name" "$in" -o "$work/peer.out")
      else
        in=$work/bytes
        peer=(iconv -f "$name" -t UTF-8 "$in" -o "$work/peer.out")
      fi
      ours=("$driver" "$page" "$direction" "$in" "$work/ours.out")
      "${ours[@]}" 2>/dev/null
      "${peer[@]}"
      cmp -s "$work/ours.out" "$work/peer.out" || { echo "output differs: $page $direction $mib" >&2; exit 1; }
      size=$(stat -c %s "$in")
      read -r ours_s peer_s < <(best_pair "${ours[*]}" "${peer[*]}")
      convert_s=$(best_convert "$driver" --whole "$page" "$direction" "$in" "$work/ours.out")
      key=$page.$direction
      per_byte=$(awk -v s="$ours_s" -v n="$size" 'BEGIN { print s / n }')
      [ -n "${perByte1[$key]:-}" ] || perByte1[$key]=$per_byte
      awk -v p="$page" -v k="$kind" -v d="$direction" -v m="$mib" -v n="$size" -v a="$ours_s" \
        -v b="$peer_s" -v c="$convert_s" -v pb="$per_byte" -v pb1="${perByte1[$key]}" 'BEGIN {
          printf "%-6s %-5s %-9s %6d %10.0f %10.0f %9.2f %7.2f %11.2f\n", p, k, d, m,
                 n / a / 1e6, n / b / 1e6, b / a, pb / pb1, c / n * 1e9 }'
    done
  done
done
