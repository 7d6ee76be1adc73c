#!/bin/sh
# The shared library exports exactly the functions that hostseal.h declares: every function of
# the header (read from the header itself, so a new one is checked without editing this test)
# and no other symbol, and its SONAME is libhostseal.so.<ABI>.
# Usage: exported_symbols_test.sh LIBRARY HEADER
set -eu
library=$1
header=$2

declared=$(sed -n 's/.*HOSTSEAL_CALL[[:space:]]\{1,\}\(hostseal_[a-z0-9_]*\)[[:space:]]*(.*/\1/p' "$header" | sort -u)
# Defined dynamic symbols without their version; "A" marks the version node itself.
exported=$(nm -D --defined-only "$library" | awk '$2 != "A" { sub(/@.*/, "", $3); print $3 }' | sort -u)

status=0
if [ "$(printf '%s\n' "$declared" | grep -c .)" -lt 20 ]; then
  echo "found too few functions in $header: the pattern no longer matches its declarations"
  status=1
fi
for name in $declared; do
  printf '%s\n' "$exported" | grep -qx "$name" || { echo "not exported: $name"; status=1; }
done
for name in $exported; do
  printf '%s\n' "$declared" | grep -qx "$name" || { echo "exported but not in the header: $name"; status=1; }
done
abi=$(sed -n 's/^#define HOSTSEAL_ABI \([0-9]*\).*/\1/p' "$header")
soname=$(objdump -p "$library" | awk '$1 == "SONAME" { print $2 }')
[ "$soname" = "libhostseal.so.$abi" ] || { echo "SONAME $soname, expected libhostseal.so.$abi"; status=1; }
[ $status -eq 0 ] && echo "$(printf '%s\n' "$declared" | grep -c .) functions exported, nothing else"
exit $status
