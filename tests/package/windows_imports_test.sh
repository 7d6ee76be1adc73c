#!/bin/sh
# Every function that a Windows program imports, checked against a table of the Windows
# release that first has it: a program must start on Windows 7 SP1 (NT 6.1 SP1), so an import
# missing from the table or newer than that fails. The table is also kept true the other way:
# an entry for this architecture that none of the programs imports fails as stale. Runs on
# Linux with MinGW's objdump, which reads x86 and x64 programs alike:
#   windows_imports_test.sh OBJDUMP TABLE PROGRAM...
# All the programs of one run must be of one architecture (one build's).
set -eu
objdump=$1
table=$2
shift 2

for program in "$@"; do
  [ -f "$program" ] || { echo "no such program: $program"; exit 1; }
  # "FILE: file format pei-x86-64" (or pei-i386) first; then the import section lists
  # "DLL Name: X" and one line per function: vma, hint, name.
  "$objdump" -p "$program" | awk -v program="$(basename "$program")" '
    / file format pei-x86-64$/ { print program, "arch", "x64"; next }
    / file format pei-i386$/ { print program, "arch", "x86"; next }
    /^\tDLL Name: / { dll = tolower($3); next }
    /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ { print program, dll, $3 }
    /^\t[0-9a-f]+\t +[0-9]+  <none>/ { print program, dll, "#" $2 }'
done | awk -v limit=6.1sp1 -v table="$(basename "$table")" '
  # A version is NT MAJOR.MINOR[.BUILD][spN]; older(a, b) is a < b.
  function parts(v, out,   n, sp) {
    sp = 0
    if (match(v, /sp[0-9]+$/)) { sp = substr(v, RSTART + 2) + 0; v = substr(v, 1, RSTART - 1) }
    n = split(v, out, ".")
    out[n + 1] = out[n + 2] = 0
    out[4] = sp
  }
  function older(a, b,   x, y, i) {
    parts(a, x); parts(b, y)
    for (i = 1; i <= 4; ++i) if (x[i] + 0 != y[i] + 0) return x[i] + 0 < y[i] + 0
    return 0
  }
  NR == FNR {
    if ($0 ~ /^#/ || NF == 0) next
    if (NF < 3 || NF > 4 || (NF == 4 && $4 != "x64" && $4 != "x86")) {
      printf "%s:%d: expected DLL FUNCTION VERSION [x64|x86]: %s\n", table, FNR, $0
      bad = 1
      next
    }
    key = tolower($1) " " $2
    first[key] = $3
    only[key] = NF == 4 ? $4 : ""
    line[key] = FNR
    next
  }
  $2 == "arch" {
    if (arch != "" && arch != $3) { print "programs of two architectures in one run"; mixed = 1; exit 1 }
    arch = $3
    next
  }
  {
    key = $2 " " $3
    ++count
    imported[key] = 1
    if (!(key in first)) {
      printf "%s imports %s!%s, which %s does not list\n", $1, $2, $3, table
      bad = 1
    } else if (only[key] != "" && only[key] != arch) {
      printf "%s (%s) imports %s!%s, which %s lists for %s only\n", $1, arch, $2, $3, table, only[key]
      bad = 1
    } else if (older(limit, first[key])) {
      printf "%s imports %s!%s, first in Windows NT %s: look it up at run time\n", $1, $2, $3, first[key]
      bad = 1
    }
  }
  END {
    if (mixed) exit 1
    if (count == 0) { print "no imports read: is this objdump for MinGW?"; exit 1 }
    for (key in first) {
      if ((only[key] == "" || only[key] == arch) && !(key in imported)) {
        printf "%s:%d: %s is imported by no %s program: a stale entry\n", table, line[key], key, arch
        bad = 1
      }
    }
    exit bad
  }' "$table" -
