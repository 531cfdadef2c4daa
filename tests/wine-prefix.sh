#!/bin/sh
# Test fixture for the Windows build: creates the build's private wine prefix
# once, keeps a persistent wineserver running for the whole test run (each
# program then starts in tens of milliseconds instead of seconds) and stops it
# afterwards.
#   wine-prefix.sh setup|cleanup PREFIX
set -eu
action=$1
WINEPREFIX=$2
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG

wineserver=/usr/lib/wine/wineserver
command -v "$wineserver" >/dev/null 2>&1 || wineserver=wineserver
wine="$(dirname "$0")/../cmake/wine-run.sh"

case "$action" in
  setup)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot --init </dev/null >/dev/null 2>&1
    fi
    # An already running server (wineboot leaves one behind) is made
    # persistent as well; either way the status says nothing useful.
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true
    # One quiet run brings the server's caches up before the timed cases.
    "$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  cleanup)
    "$wineserver" -k 2>/dev/null || true
    ;;
esac
