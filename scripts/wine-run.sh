#!/usr/bin/env bash
# Runs a Windows program under wine in the Windows build's own prefix
# (build/win/wineprefix, made by scripts/test-win.sh), with wine's own messages off.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
