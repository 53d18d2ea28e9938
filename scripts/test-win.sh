#!/usr/bin/env bash
# The Windows build's tests under wine: cross-builds (scripts/setup-win.sh), makes
# the wine prefix build/win/wineprefix when it is missing, and runs the Windows
# test programs with ctest: the console ones first, then the window's and the
# program's under a virtual X server. Each part has one wine server for all its
# programs, stopped at its end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-win.sh
export WINEPREFIX=$PWD/build/win/wineprefix WINEDEBUG=-all
# The console programs run without an X display; the window's tests get a
# virtual one of their own (below), whatever display the caller has.
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "test-win: making the wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
fi
# A crash in a test ends its process after the report, as on a Windows without a
# debugger: no crash dialog waits for a click.
if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  wineserver -w
fi
# A CD-ROM drive Q: over an empty folder, for the disc search's test. Wine reads
# the drive types when its server starts, so this comes first.
mkdir -p build/win/wine-disc
ln -sfn "$PWD/build/win/wine-disc" "$WINEPREFIX/dosdevices/q:"
if ! grep -qi '"q:"="cdrom"' "$WINEPREFIX/system.reg" 2>/dev/null; then
  wine reg add 'HKLM\Software\Wine\Drives' /v q: /d cdrom /f >/dev/null 2>&1 || true
  wineserver -w
fi
# One wine server for every test program, and wine's own service processes
# started here with their output going nowhere: started by the first test
# instead, they would hold its output pipe open and ctest would wait for them.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot </dev/null >/dev/null 2>&1 || true
cd build/win
# The programs without a window first, without an X display.
status=0
ctest --output-on-failure -E '^wine_win32_(window|app)$' "$@" || status=$?
# Then the window's and the program's, under a virtual X server of their own
# (1280 x 1024, no window manager: the tests know the screen and where the
# window lands). The wine desktop takes its screen from the display its server
# first saw, so the server starts again with that display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
window_tests='wineserver -p && (wineboot </dev/null >/dev/null 2>&1 || true) &&
  ctest --output-on-failure -R "^wine_win32_(window|app)$" "$@"; rc=$?; wineserver -k 2>/dev/null; exit $rc'
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$window_tests" window "$@" || status=$?
exit $status
