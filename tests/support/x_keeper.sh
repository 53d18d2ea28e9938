#!/bin/sh
# Keeps one client connected to the tests' X display for the whole test run: an X
# server resets when its last client leaves, and a test that connects during the
# reset loses its connection. "start PIDFILE" starts the client, "stop PIDFILE"
# ends it by its process id.
set -eu
case "$1" in
  start)
    rm -f "$2"
    [ -n "${DISPLAY:-}" ] || exit 0
    command -v xprop >/dev/null 2>&1 || exit 0
    nohup xprop -root -spy </dev/null >/dev/null 2>&1 &
    echo $! > "$2"
    ;;
  stop)
    [ -f "$2" ] || exit 0
    kill "$(cat "$2")" 2>/dev/null || true
    rm -f "$2"
    ;;
esac
