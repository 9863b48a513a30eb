#!/usr/bin/env bash
# The Wine prefix of a Windows test run: "start" makes it when missing, starts a private Xvfb
# display for it (Direct2D under Wine draws only with an X display) and keeps one wineserver
# running for it (every test program then starts in well under a second); "stop" ends that
# wineserver, every Windows program still running in the prefix, and the display. The display's
# number goes to PREFIX.display, where wine_run.sh finds it.
#
# Usage: wine_prefix.sh start|stop PREFIX WINE64 WINESERVER
set -euo pipefail
action=$1
# Wine takes only an absolute prefix.
WINEPREFIX=$(realpath -m "$2")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine64=$3
wineserver=$4
display_file=$WINEPREFIX.display
xvfb_pid_file=$WINEPREFIX.xvfb.pid
temp_file=$WINEPREFIX.temp

stop_display() {
    local pid
    pid=$(cat "$xvfb_pid_file" 2>/dev/null) || pid=
    # Only our own Xvfb: a pid left by an aborted run may belong to anything by now.
    if [[ $pid =~ ^[0-9]+$ ]] && [ "$(ps -p "$pid" -o comm= 2>/dev/null)" = Xvfb ]; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -f "$xvfb_pid_file" "$display_file"
}

# The prefix's Temp folder, where the tests make their private folders, lies outside the build
# tree: Linux servers that serve those folders with another user's rights (Apache's workers)
# could not enter a build tree below a private folder such as a clean clone in mktemp -d.
move_temp_out() {
    local user_temp outside
    user_temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
    forget_outside_temp
    outside=$(mktemp -d "${TMPDIR:-/tmp}/cvd-wine-temp.XXXXXX")
    chmod 0711 "$outside"
    echo "$outside" >"$temp_file"
    rm -rf "$user_temp"
    ln -s "$outside" "$user_temp"
}

forget_outside_temp() {
    local outside
    outside=$(cat "$temp_file" 2>/dev/null) || outside=
    if [[ $outside == */cvd-wine-temp.* ]] && [ -d "$outside" ]; then rm -rf "$outside"; fi
    rm -f "$temp_file"
}

start_display() {
    stop_display
    # Xvfb picks a free display itself and writes its number once clients can connect.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" \
        >>"$WINEPREFIX.xvfb.log" 2>&1 &
    echo $! >"$xvfb_pid_file"
    for _ in $(seq 100); do
        grep -q '^[0-9]' "$display_file" 2>/dev/null && break
        sleep 0.1
    done
    if ! grep -q '^[0-9]' "$display_file" 2>/dev/null; then
        echo "Xvfb did not start (see $WINEPREFIX.xvfb.log)" >&2
        stop_display
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
}

case "$action" in
start)
    mkdir -p "$WINEPREFIX"
    # The wineserver, Xvfb and the services wineboot starts outlive this script: with our output
    # they would keep CTest waiting for it to end.
    exec >>"$WINEPREFIX.log" 2>&1 </dev/null
    # A server left by an aborted run, or by the discovery of the tests, would refuse -p.
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    # Before the first Wine program, so that Wine's desktop process has it too.
    start_display
    "$wineserver" -p
    # Makes the prefix when missing and starts Wine's services now, with this script's output:
    # started by the first test instead, they would hold its output open and CTest would wait
    # for them as long as the wineserver runs.
    "$wine64" wineboot --init
    # A new prefix says Windows 7; the program is tested as on the Windows it ships for.
    "$wine64" winecfg -v win10
    move_temp_out
    ;;
stop)
    [ -d "$WINEPREFIX" ] || exit 0  # a first run: nothing was started
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    stop_display
    forget_outside_temp
    ;;
*)
    echo "usage: $0 start|stop PREFIX WINE64 WINESERVER" >&2
    exit 64
    ;;
esac
