#!/bin/sh
# Runs a Windows program that opens windows under Wine on a virtual display of its own:
#   with_display.sh 64|32 PREFIX PROGRAM [ARGUMENT...]
# Starts Xvfb on a free display, prepares the Wine prefix PREFIX for windows (the Chinese
# font and the window frames, below), runs the program through wine_emulator.sh,
# then stops the prefix's Wine server and the display. Where no display server can be
# started it says "skipped: WHY" and succeeds, and ctest reports the test as skipped.
set -eu

if [ $# -lt 3 ]; then
  echo "usage: with_display.sh 64|32 PREFIX PROGRAM [ARGUMENT...]" >&2
  exit 2
fi
bits=$1
prefix=$2
shift 2
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac  # Wine takes absolute prefixes only
here=$(cd "$(dirname "$0")" && pwd)
emulator="$here/../../../cmake/wine_emulator.sh"

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "skipped: Xvfb is not installed (package xvfb; scripts/install-deps.sh installs it)"
  exit 0
fi

scratch=$(mktemp -d)
xvfb=
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and writes its number to descriptor 3. It takes connections from
# this machine only (no TCP), and only from clients with this run's cookie: another user of
# the machine can neither watch the test's windows nor type into them.
if ! command -v xauth >/dev/null 2>&1; then
  echo "skipped: xauth is not installed (package xauth; scripts/install-deps.sh installs it)"
  exit 0
fi
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
touch "$scratch/server-auth" "$scratch/client-auth"
chmod 600 "$scratch/server-auth" "$scratch/client-auth"
xauth -q -f "$scratch/server-auth" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
Xvfb -displayfd 3 -auth "$scratch/server-auth" -screen 0 1280x1024x24 -nolisten tcp \
  3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
tries=0
while [ ! -s "$scratch/display" ]; do
  if ! kill -0 "$xvfb" 2>/dev/null || [ $tries -ge 100 ]; then
    echo "skipped: Xvfb did not start: $(tail -n 3 "$scratch/xvfb.log" | tr '\n' ' ')"
    exit 0
  fi
  tries=$((tries + 1))
  sleep 0.1
done
DISPLAY=:$(head -n 1 "$scratch/display")
xauth -q -f "$scratch/client-auth" add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
XAUTHORITY=$scratch/client-auth
export DISPLAY XAUTHORITY

# Each time, since the registry reaches the prefix's files only when the Wine server stops:
# - 宋体 (SimSun) maps to the Song face that Debian installs (Noto Serif CJK SC, package
#   fonts-noto-cjk), so that the frame's caption and the log's Chinese lines are drawn;
# - Wine draws the window frames itself (Decorated=N): there is no window manager on the
#   virtual display, and a screenshot then shows the caption and the borders.
# The file is UTF-16, as regedit reads it, so that the Chinese name survives any locale.
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"SimSun"="Noto Serif CJK SC"\r\n'
  printf '"宋体"="Noto Serif CJK SC"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
  printf '"Decorated"="N"\r\n'
} | iconv -f UTF-8 -t UTF-16 >"$scratch/gui.reg"
"$emulator" "$bits" "$prefix" regedit /s "Z:$(printf '%s' "$scratch/gui.reg" | tr / '\\')" \
  </dev/null

# Wine's own fonts (package fonts-wine: Tahoma for the controls, Marlett for the caption
# buttons): this Wine looks for them beside its libraries, where Debian does not put them, so
# they go into the prefix's Fonts folder.
if [ -d /usr/share/wine/fonts ] && [ -d "$prefix/drive_c/windows/Fonts" ]; then
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi

# A program that ends with a failure before it has written a byte did not get to run: Wine
# failed to start it, which happens now and then on a loaded machine. It gets one more try;
# a failure of the program itself always says something first (the test framework's banner).
status=0
"$emulator" "$bits" "$prefix" "$@" >"$scratch/output" || status=$?
cat "$scratch/output"
if [ $status -ne 0 ] && [ ! -s "$scratch/output" ]; then
  echo "with_display.sh: the program wrote nothing and ended with status $status; once more" >&2
  status=0
  "$emulator" "$bits" "$prefix" "$@" || status=$?
fi
exit $status
