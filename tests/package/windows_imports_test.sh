#!/bin/sh
# Every function that a Windows program imports, checked against a table of the Windows
# release that first has it: a program must start on Windows 7 SP1 (NT 6.1), so an import
# missing from the table or newer than 6.1 fails. Runs on Linux with MinGW's objdump, which
# reads x86 and x64 programs alike:
#   windows_imports_test.sh OBJDUMP TABLE PROGRAM...
set -eu
objdump=$1
table=$2
shift 2

for program in "$@"; do
  [ -f "$program" ] || { echo "no such program: $program"; exit 1; }
  # The import section lists "DLL Name: X" and then one line per function: vma, hint, name.
  "$objdump" -p "$program" | awk -v program="$(basename "$program")" '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ { print program, dll, $3 }
    /^\t[0-9a-f]+\t +[0-9]+  <none>/ { print program, dll, "#" $2 }'
done | awk -v limit=6.1 '
  # a < b for dotted versions
  function older(a, b,   x, y, n, i) {
    n = split(a, x, "."); split(b, y, ".")
    for (i = 1; i <= 3; ++i) if (x[i] + 0 != y[i] + 0) return x[i] + 0 < y[i] + 0
    return 0
  }
  NR == FNR {
    if ($0 ~ /^#/ || NF == 0) next
    first[tolower($1) " " $2] = $3
    next
  }
  {
    key = $2 " " $3
    ++count
    if (!(key in first)) {
      printf "%s imports %s!%s, which tests/data/windows_imports.txt does not list\n", $1, $2, $3
      bad = 1
    } else if (older(limit, first[key])) {
      printf "%s imports %s!%s, first in Windows NT %s: look it up at run time\n", $1, $2, $3, first[key]
      bad = 1
    }
  }
  END {
    if (count == 0) { print "no imports read: is this objdump for MinGW?"; exit 1 }
    exit bad
  }' "$table" -
