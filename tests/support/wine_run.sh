#!/usr/bin/env bash
# Runs a Windows test program under Wine on the test stand's X display (wine_prefix.sh start),
# or with no display at all when the stand has none running, such as while CTest lists the
# tests: Windows tests never open windows on the desktop of whoever runs them.
#
# Usage: wine_run.sh PREFIX WINE64 PROGRAM [ARGUMENT...]
set -euo pipefail
prefix=$(realpath -m "$1")
wine64=$2
shift 2
display=$(head -n1 "$prefix.display" 2>/dev/null) || display=
if [[ $display =~ ^[0-9]+$ ]]; then
    export DISPLAY=":$display"
else
    unset DISPLAY
fi
exec "$wine64" "$@"
