#!/usr/bin/env bash
# The Wine prefix of a Windows test run: "start" makes it when missing and keeps one wineserver
# running for it (every test program then starts in well under a second), "stop" ends that
# wineserver and every Windows program still running in the prefix.
#
# Usage: wine_prefix.sh start|stop PREFIX WINE64 WINESERVER
set -euo pipefail
action=$1
# Wine takes only an absolute prefix.
WINEPREFIX=$(realpath -m "$2")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine64=$3
wineserver=$4

case "$action" in
start)
    mkdir -p "$WINEPREFIX"
    # The wineserver and the services wineboot starts outlive this script: with our output
    # they would keep CTest waiting for it to end.
    exec >>"$WINEPREFIX.log" 2>&1 </dev/null
    # A server left by an aborted run, or by the discovery of the tests, would refuse -p.
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    "$wineserver" -p
    # Makes the prefix when missing and starts Wine's services now, with this script's output:
    # started by the first test instead, they would hold its output open and CTest would wait
    # for them as long as the wineserver runs.
    "$wine64" wineboot --init
    # A new prefix says Windows 7; the program is tested as on the Windows it ships for.
    "$wine64" winecfg -v win10
    ;;
stop)
    [ -d "$WINEPREFIX" ] || exit 0  # a first run: nothing was started
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    ;;
*)
    echo "usage: $0 start|stop PREFIX WINE64 WINESERVER" >&2
    exit 64
    ;;
esac
