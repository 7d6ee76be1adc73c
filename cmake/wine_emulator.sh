#!/bin/sh
# Runs a Windows test program under Wine, for ctest and gtest_discover_tests (the toolchain
# files set it as CMAKE_CROSSCOMPILING_EMULATOR):
#   wine_emulator.sh 64|32 PREFIX PROGRAM [ARGUMENT...]
#   wine_emulator.sh 64|32 PREFIX --can-run
# 64 picks the 64-bit loader, 32 the 32-bit one; PREFIX is the Wine prefix, kept under the
# build folder (about 1.3 GB, created on first use). The program's exit status is the
# script's; when it is not 0, the script says so on standard error.
set -eu

if [ $# -lt 3 ]; then
  echo "usage: wine_emulator.sh 64|32 PREFIX PROGRAM [ARGUMENT...]" >&2
  exit 2
fi
case $1 in
  64) loader=/usr/lib/wine/wine64 ;;
  32) loader=/usr/lib/wine/wine ;;
  *)
    echo "wine_emulator.sh: the first argument must be 64 or 32, not '$1'" >&2
    exit 2
    ;;
esac
if [ ! -x "$loader" ]; then
  echo "wine_emulator.sh: $loader is missing; run scripts/install-deps.sh" >&2
  exit 2
fi
# Whether the loader starts at all: a kernel without IA-32 emulation refuses every 32-bit
# program (execve fails with "Exec format error"), Wine's 32-bit loader included.
if [ "$3" = "--can-run" ]; then
  exec "$loader" --version >/dev/null 2>&1
fi
WINEPREFIX=$2
shift 2
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

# The first program of a Wine server starts the server's background services, which inherit
# that program's descriptors and outlive it. Started under ctest or ninja, they would hold the
# caller's output pipes open and the caller would wait for ever. So the server and its
# services are started here first with every descriptor on /dev/null; the server stays up for
# 30 s after the last program.
#
# The lock keeps parallel tests from creating the prefix twice, and makes each of them wait
# until the prefix is complete; the server and its services must not inherit it. While this
# script creates a prefix, PREFIX.creating exists beside it: a creation that was cut short (a
# test's time limit ends the script) is made again rather than used half made. A prefix that
# this script did not begin is never removed.
#
# A server whose 30 s have just run out refuses new programs while it shuts down, and a new
# `wineserver -p30` cannot start beside it; the start is then tried again once that server
# has gone (`wineserver -w`), so that the test program always meets a server that stays.
creating="$WINEPREFIX.creating"
start_log="$WINEPREFIX.start.log"
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ -e "$creating" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
    rm -rf "$WINEPREFIX"
  fi
  [ -e "$WINEPREFIX" ] || : >"$creating"
  for attempt in 1 2 3; do
    wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true
    if "$loader" cmd /c exit </dev/null >/dev/null 2>"$start_log" 9>&-; then
      rm -f "$creating"
      exit 0
    fi
    wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
  done
  echo "wine_emulator.sh: Wine did not start in $WINEPREFIX (3 tries); its last words:" >&2
  cat "$start_log" >&2
  exit 1
) 9>"$WINEPREFIX.lock"

# A failing program that printed nothing at all (the loader or the server gave up before the
# program's first line) would leave a red test without a word: the status is said here.
status=0
"$loader" "$@" || status=$?
if [ "$status" -ne 0 ]; then
  echo "wine_emulator.sh: $1 ended with status $status under Wine (if it printed nothing" \
    "above, Wine failed before the program ran: run it again with WINEDEBUG=err+all)" >&2
fi
exit "$status"
