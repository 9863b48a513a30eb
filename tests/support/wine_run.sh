#!/usr/bin/env bash
# Runs a Windows test program under Wine on the test stand's X display (wine_prefix.sh start),
# or with no display at all when the stand has none running, such as while CTest lists the
# tests: Windows tests never open windows on the desktop of whoever runs them.
#
# The program writes to a file that is shown once it has ended, not to CTest's pipe: the
# wineserver keeps its own copy of every descriptor a program was given, and keeps it after a
# child the program killed leaves objects behind, so CTest would wait on that pipe until the
# test's time-out although the program had ended.
#
# Usage: wine_run.sh PREFIX WINE64 PROGRAM [ARGUMENT...]
set -uo pipefail
prefix=$(realpath -m "$1")
wine64=$2
shift 2
display=$(head -n1 "$prefix.display" 2>/dev/null) || display=
if [[ $display =~ ^[0-9]+$ ]]; then
    export DISPLAY=":$display"
else
    unset DISPLAY
fi
output=$(mktemp "${TMPDIR:-/tmp}/cvd-wine-output.XXXXXX") || exit 1
trap 'cat "$output"; rm -f "$output"' EXIT
"$wine64" "$@" >"$output" 2>&1 </dev/null
