#!/usr/bin/env bash
# The real installer window under Xvfb: a second start brings the first window forward and exits
# 0; with AutoRun both instances run; Department 1 in a forbidden country shows box 14 (no main
# window) and exits 0; with CrashTest the install click faults and the dump is uploaded. The installer gets a private home and a skin whose services are a vendor
# stand service on a free port, so nothing leaves this test's folder.
#   real_window_instances.sh INSTALLER CVD-RES SKIN-DIR SOURCE-DIR
set -euo pipefail
INSTALLER=$1 CVD_RES=$2 SKIN=$3 SOURCE=$4
CAPTION="Zorvik Video Converter"
WORK=$(mktemp -d /tmp/cvd-e2e-window.XXXXXX)
PIDS=()

cleanup() {
  for pid in "${PIDS[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; tail -30 "$WORK/out.txt" >&2 || true; grep -h "" "$WORK"/home/.local/share/CVDownloader/logs/*/*.log 2>/dev/null | tail -40 >&2 || true; exit 1; }
wait_for() {  # wait_for SECONDS COMMAND...: true once COMMAND succeeds
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
has_windows() { [ "$(windows "$1")" -ge "$2" ]; }

export HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/run CVD_MACHINE_STATE_DIR=$WORK/machine TMPDIR=$WORK/tmp
export XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache XDG_STATE_HOME=$HOME/.local/state
export XDG_CONFIG_HOME=$HOME/.config XDG_DESKTOP_DIR=$HOME/Desktop
# The installer puts its work folder on the roomiest volume: without a list of our own that is
# the machine's root.
export CVD_VOLUMES=$WORK/volume
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR" "$WORK/bin" "$CVD_VOLUMES"
chmod 700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display itself (and takes it atomically), then writes its number. Without
# -noreset it would reset when the last installer is killed and refuse the next one meanwhile.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
PIDS+=($!)
wait_for 10 grep -q '^[0-9]' "$WORK/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"

python3 "$SOURCE/tools/vendor-stand/vendorservice.py" --port 0 --state "$WORK/stand" \
  --cdn https://127.0.0.1:9 --lifetime 600 --country CN >"$WORK/stand.out" 2>&1 &
PIDS+=($!)
wait_for 20 grep -q '^PORT ' "$WORK/stand.out" || fail "the vendor service did not start"
PORT=$(awk '/^PORT / { print $2 }' "$WORK/stand.out")
GEO=$(printf 'http://127.0.0.1:%s/json/' "$PORT" | base64 -w0)

# build_installer KEY=VALUE...: the installer with the stand's endpoints and these settings.
build_installer() {
  rm -rf "$WORK/skin" && cp -r "$SKIN" "$WORK/skin"
  sed -i -E "s/text=\"127\.0\.0\.1:[0-9]+\"/text=\"127.0.0.1:$PORT\"/; s|name=\"GeolocationUrlBase64\" text=\"[^\"]*\"|name=\"GeolocationUrlBase64\" text=\"$GEO\"|" \
    "$WORK/skin/configure/endpoints.xml"
  # No package is reachable: an automatic install click fails quickly instead of installing.
  sed -i -E 's#(name="(Download_url|Extra_download_url)" text=")[^"]*"#\1https://127.0.0.1:9/none.exe"#' \
    "$WORK/skin/configure/configure.xml"
  for pair in "$@"; do
    sed -i -E "s#name=\"${pair%%=*}\" text=\"[^\"]*\"#name=\"${pair%%=*}\" text=\"${pair#*=}\"#" "$WORK/skin/configure/configure.xml"
  done
  cp "$INSTALLER" "$WORK/bin/cvdownloader"
  "$CVD_RES" embed "$WORK/bin/cvdownloader" "$WORK/skin" >/dev/null
}
switches() { printf '[Settings]\n' >"$WORK/bin/cv_downloader.cfg"; printf '%s\n' "$@" >>"$WORK/bin/cv_downloader.cfg"; }
start() { "$WORK/bin/cvdownloader" >>"$WORK/out.txt" 2>&1 & PIDS+=($!); LAST=$!; }
logs() { cat "$XDG_DATA_HOME"/CVDownloader/logs/*/*.log 2>/dev/null; }
stop_all() { for pid in "${PIDS[@]:2}"; do kill -9 "$pid" 2>/dev/null || true; done; PIDS=("${PIDS[@]:0:2}"); }

echo "== a second start activates the first window and exits 0"
build_installer Department=0
switches ""
start; FIRST=$LAST
wait_for 30 has_windows "$CAPTION" 1 || fail "the first window did not appear"
start; SECOND=$LAST
wait_for 30 bash -c "! kill -0 $SECOND 2>/dev/null" || fail "the second start did not end"
wait "$SECOND" || fail "the second start ended with $?"
kill -0 "$FIRST" || fail "the first instance ended"
[ "$(windows "$CAPTION")" -eq 1 ] || fail "a second window appeared"
logs | grep -q "switch to existed window" || fail "no 'switch to existed window' in the log"
stop_all

echo "== with AutoRun both instances run"
rm -rf "$XDG_DATA_HOME/CVDownloader/logs"
switches "AutoRun=1"
start; FIRST=$LAST
wait_for 30 has_windows "$CAPTION" 1 || fail "the first window did not appear"
start; SECOND=$LAST
wait_for 30 has_windows "$CAPTION" 2 || fail "the second instance showed no window"
kill -0 "$FIRST" && kill -0 "$SECOND" || fail "an instance ended"
logs | grep -q "mutex already exist" && fail "the AutoRun start was refused"
stop_all

echo "== Department 1 in a forbidden country: box 14, no main window, exit 0"
rm -rf "$XDG_DATA_HOME/CVDownloader/logs"
build_installer Department=1 ForbidCountries=CN
switches "AutoRun=1"   # the one-button box confirms itself after a second
start; RUN=$LAST
wait_for 30 has_windows MSGUIDemo 1 || fail "no message box appeared"
wait_for 30 bash -c "! kill -0 $RUN 2>/dev/null" || fail "the installer did not end after the box"
wait "$RUN" || fail "the installer ended with $?"
logs | grep -q "product not support current country" || fail "no refusal line in the log"
logs | grep -q "Error Msg Box Tip: 14" || fail "the box was not kind 14"
logs | grep -q "new main window" && fail "the main window was opened"

echo "== CrashTest: the install click faults, the dump is uploaded by the restarted installer"
rm -rf "$XDG_DATA_HOME/CVDownloader/logs"
build_installer Department=0
switches "AutoRun=1" "CrashTest=1"   # AutoRun clicks install after two seconds
start; RUN=$LAST
wait_for 30 bash -c "! kill -0 $RUN 2>/dev/null" || fail "the installer did not fault"
wait "$RUN" && fail "the installer ended normally instead of by its fault"
ls "$XDG_DATA_HOME"/CVDownloader/logs/*/*.log.dmp >/dev/null 2>&1 || fail "no dump beside the log"
wait_for 60 bash -c "ls '$WORK/stand/uploads/'*.zip >/dev/null 2>&1" || fail "the restarted installer uploaded nothing"
wait_for 30 bash -c "! ls '$XDG_DATA_HOME'/CVDownloader/logs/*/*.zip >/dev/null 2>&1" || fail "the zip was not deleted after the upload"
echo "passed"
