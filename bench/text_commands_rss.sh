#!/usr/bin/env bash
# Time and peak memory of the text commands (encrypt, decrypt, utf8, ansi) on a large non-ASCII
# text, against the size of their input. Builds nothing: it runs the hostseal tool built by the release
# preset under /usr/bin/time -v.
#
# The texts: CJK with some ASCII punctuation under 936, Latin-1 words under 1252, and a mix of
# ASCII, Latin-1, CJK and emoji under 65001, each SIZE MiB of UTF-8 (64 unless given). encrypt
# reads the text on standard input and writes the hexadecimal text; decrypt reads that and
# writes the text back, which must equal the input; utf8 and ansi read the text and write their
# hex pairs. Columns: the input in MB, the wall time of
# the best of three runs, the peak resident size of that run, and peak / input.
#
# Usage: bench/text_commands_rss.sh [path/to/hostseal] [SIZE]
set -euo pipefail

tool=${1:-build/release/bin/hostseal}
mib=${2:-64}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$(dirname "$0")/make_text_samples.py" "$work" "$mib"

# "seconds kilobytes" of the fastest of three runs of: tool ARGS < IN > OUT
measure() {
  local in=$1 out=$2 best="" line
  shift 2
  for _ in 1 2 3; do
    line=$( { /usr/bin/time -f '%e %M' "$tool" "$@" < "$in" > "$out"; } 2>&1 | tail -n 1)
    best=$(awk -v a="$best" -v b="$line" 'BEGIN {
      split(b, x, " "); if (a == "") { print b; exit } split(a, y, " ");
      print (x[1] < y[1]) ? b : a }')
  done
  echo "$best"
}

printf '%-6s %-5s %-8s %9s %8s %10s %8s\n' page text command "input MB" "time s" "peak MB" "peak/in"
for pair in 936:cjk 1252:latin 65001:mixed; do
  page=${pair%%:*}
  kind=${pair##*:}
  export HOSTSEAL_CODEPAGE=$page
  for command in encrypt decrypt utf8 ansi; do
    in=$work/$kind
    case $command in
      encrypt) out=$work/hex ;;
      decrypt) in=$work/hex; out=$work/back ;;
      *) out=/dev/null ;;
    esac
    read -r seconds kb < <(measure "$in" "$out" "$command")
    size=$(stat -c %s "$in")
    awk -v p="$page" -v k="$kind" -v c="$command" -v n="$size" -v s="$seconds" -v m="$kb" 'BEGIN {
      printf "%-6s %-5s %-8s %9.1f %8.2f %10.1f %8.2f\n", p, k, c, n / 1e6, s, m * 1024 / 1e6,
             m * 1024 / n }'
  done
  # decrypt gives back the text and the line feed that ends its output
  { cat "$work/$kind"; echo; } | cmp -s - "$work/back" || { echo "decrypt differs: $page" >&2; exit 1; }
done
