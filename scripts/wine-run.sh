#!/usr/bin/env bash
# Runs a Windows program under wine in the Windows build's own prefix
# (build/win/wineprefix, made by scripts/test-win.sh), with wine's own messages
# off. The program's output goes through a file: processes wine starts on the
# way (its desktop, its services) inherit that file instead of our caller's
# output pipe, which they would otherwise hold open after the program ended.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
out=$(mktemp "${TMPDIR:-/tmp}/vantrel-wine-out.XXXXXX")
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
