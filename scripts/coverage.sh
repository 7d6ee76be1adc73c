#!/usr/bin/env bash
# Line and branch coverage of the library and the tool by the whole test suite: configures,
# builds and tests the coverage preset (GCC --coverage, Debug), then runs gcovr over hostseal/
# and tools/ only. Prints both totals and writes the per-file figures to
# build/coverage/coverage.txt (lines, then branches) and build/coverage/coverage.json.
# Branches the compiler adds for exceptions (--exclude-throw-branches) and branches on lines
# with no source of their own (--exclude-unreachable-branches) are not counted: neither is a
# decision written in the code.
# Not part of CI: a Debug build of everything with counters takes long on a small machine.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset coverage
cmake --build --preset coverage
# Counts left by an earlier run would be added to this one's.
find build/coverage -name '*.gcda' -delete
# The figures are worth having even when a test fails; the script fails after them. A program
# and a test program that both link the tool's core keep counts for the same source file:
# where their inline functions differ, the second one's counts for that file are not merged
# (libgcov says "Merge mismatch" on standard error, which the tests that read the tool's
# standard error see), so such figures are lower bounds.
tests=0
ctest --preset coverage || tests=$?

gcovr_args=(
  --root . --object-directory build/coverage
  --filter 'hostseal/' --filter 'tools/'
  --exclude-throw-branches --exclude-unreachable-branches
  # Counters bumped by several threads at once can come out garbled (gcov prints a negative
  # count); gcovr leaves such a line out instead of stopping.
  --gcov-ignore-parse-errors
)
{
  gcovr "${gcovr_args[@]}" --txt
  gcovr "${gcovr_args[@]}" --txt --branches
} > build/coverage/coverage.txt
gcovr "${gcovr_args[@]}" --json-summary build/coverage/coverage.json --json-summary-pretty \
  --print-summary
echo "coverage: per-file figures in build/coverage/coverage.txt"
if ((tests != 0)); then
  echo "coverage: some tests failed (ctest exit status $tests); see above" >&2
fi
exit "$tests"
