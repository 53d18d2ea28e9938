#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the whole test suite (under a virtual
# X display, since some tests open the program's window); then the Windows
# build's suite under wine (scripts/test-win.sh), when wine and mingw-w64 are
# there or can be installed (as root). VANTREL_SKIP_WINE=1 leaves it out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
status=0
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$jobs") || status=$?
if [ "${VANTREL_SKIP_WINE:-0}" = 1 ]; then
  echo "test: the Windows build's tests are left out (VANTREL_SKIP_WINE=1)"
elif [ "$(id -u)" -eq 0 ] || { command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null; }; then
  start=$(date +%s)
  bash scripts/test-win.sh || status=$?
  echo "test: the Windows build and its tests under wine took $(( $(date +%s) - start )) s"
else
  echo "test: the Windows build's tests need wine and mingw-w64 (scripts/packages-win.txt); not run"
fi
exit $status
