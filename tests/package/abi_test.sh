#!/usr/bin/env bash
# The shared library's ABI against the recorded baseline (scripts/record_abi.sh): abidiff
# fails on any change of a function or type that callers built against the baseline use, and
# on a removed function; an added function passes. A new SONAME is a new ABI, free to differ.
# Usage: abi_test.sh LIBRARY HEADER ABI_DIR
set -euo pipefail
library=$1
header=$2
baseline=$(find "$3" -maxdepth 1 -name 'libhostseal.so.*.abi' | head -n 1)
[[ -f $baseline ]] || { echo "abi_test: no baseline in $3: record one with scripts/record_abi.sh"; exit 1; }
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
recorded=$(sed -n "1s/.* soname='\([^']*\)'.*/\1/p" "$baseline")
if [[ $soname != "$recorded" ]]; then
  echo "abi_test: SONAME $soname replaces $recorded: a new ABI; record it with scripts/record_abi.sh"
  exit 0
fi
report=$(abidiff --no-added-syms --exported-interfaces-only --header-file2 "$header" --drop-private-types "$baseline" "$library") &&
  status=0 || status=$?
# abidiff's status is a bit field: 1 its own error, 2 a usage error, 4 an ABI change,
# 8 an incompatible one.
if ((status != 0)); then
  echo "$report"
  ((status & 3)) && echo "abi_test: abidiff failed (status $status)" ||
    echo "abi_test: $library changed its ABI against $baseline (status $status): keep the old" \
      "functions and types, or change the SONAME and record a new baseline"
  exit 1
fi
echo "abi_test: $library keeps the ABI of $baseline"
