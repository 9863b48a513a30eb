#!/usr/bin/env bash
# The main job: install the demo product through the real installer against the local vendor
# stand, as a person would. With $DISPLAY set the installer window opens on that display and
# you click through it; without one it runs under Xvfb and this script clicks for you (install,
# then "Use Now" on the success view), saving a screenshot of each page.
#
#   bash scripts/demo.sh
#
# At the end it prints where the product was installed, whether it started, the stand's report of
# what the installer sent, and three figures (time to the first window, total time, peak memory).
# Exit status 0 only when the product was installed and started. Everything it starts (stand,
# Xvfb, installer, product) is stopped again. CVD_DEMO_DIR chooses the folder it works in;
# DISPLAY= (empty) forces the unattended run on a desktop.
set -uo pipefail
cd "$(dirname "$0")/.."
REPO=$(pwd)
DEMO=${CVD_DEMO_DIR:-$(mktemp -d /tmp/cvd-demo.XXXXXX)}
mkdir -p "$DEMO"
DEMO=$(cd "$DEMO" && pwd)
SHOTS=$DEMO/screenshots
INSTALLER=$REPO/build/bin/cvdownloader
CAPTION="Zorvik Video Converter"   # the main window's caption
THEME="#8372FF"                    # background of the install and "Use Now" buttons
BUTTON_W=200 BUTTON_H=46           # their size in res/skin/InstallSetting.xml
INSTALL_LIMIT=${CVD_DEMO_INSTALL_LIMIT:-900}   # seconds the whole install may take

STAND_STARTED="" XVFB_PID="" INSTALLER_PID="" SAMPLER_PID="" INSTALL_DIR=""

say() { printf '== %s\n' "$*"; }
fail() {
  printf 'demo: FAILED: %s\n' "$*" >&2
  [ -n "${INSTALLER_LOG:-}" ] && [ -f "$INSTALLER_LOG" ] && printf '(installer output: %s)\n' "$INSTALLER_LOG" >&2
  exit 1
}

pids_running_from() {  # pids_running_from FOLDER: processes running a program from FOLDER
  for exe in /proc/[0-9]*/exe; do
    target=$(readlink "$exe" 2>/dev/null) || continue
    case "$target" in "$1"/*) pid=${exe#/proc/}; echo "${pid%/exe}";; esac
  done
}
product_pids() {  # processes running a program from the install folder
  [ -n "$INSTALL_DIR" ] && pids_running_from "$INSTALL_DIR"
}

cleanup() {
  local status=$?
  [ -n "$SAMPLER_PID" ] && kill "$SAMPLER_PID" 2>/dev/null
  # The installer first, so it starts nothing more; then whatever runs from the demo's program
  # folder, found or not while the demo watched.
  [ -n "$INSTALLER_PID" ] && kill "$INSTALLER_PID" 2>/dev/null && wait "$INSTALLER_PID" 2>/dev/null
  for pid in $(pids_running_from "$DEMO/programs"); do kill "$pid" 2>/dev/null; done
  [ -n "$STAND_STARTED" ] && python3 "$REPO/tools/vendor-stand/vendor-stand" stop >/dev/null 2>&1
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

# -- 1. dependencies and build (CVD_DEMO_NO_BUILD=1: use the build as it is, as the tests do) ----
if [ -z "${CVD_DEMO_NO_BUILD:-}" ]; then
  say "installing dependencies (scripts/setup.sh)"
  bash scripts/setup.sh || fail "scripts/setup.sh could not install the build dependencies"
  say "building the installer and the demo packages"
  cmake --preset default >/dev/null || fail "cmake configure failed"
  # Only what the demo runs: the installer and the signed packages the stand serves (the test
  # suite is built by scripts/test.sh).
  nice cmake --build build -j2 --target cvdownloader demo-packages || fail "the build failed"
fi
[ -x "$INSTALLER" ] || fail "no installer at $INSTALLER after the build"

# -- 2. the vendor stand --------------------------------------------------------------------------
say "starting the vendor stand"
export CVD_STAND_DIR=$DEMO/stand
python3 tools/vendor-stand/vendor-stand start ||
  fail "the vendor stand did not start (it needs the loopback ports 8443, 8080, 8444 and 8081; see 'tools/vendor-stand/vendor-stand status')"
STAND_STARTED=1

# -- 3. a private home, so the run is repeatable and leaves your folders alone -------------------
export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
export HOME=$DEMO/home
export XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache XDG_STATE_HOME=$HOME/.local/state
export XDG_CONFIG_HOME=$HOME/.config XDG_DESKTOP_DIR=$HOME/Desktop
export CVD_MACHINE_STATE_DIR=$DEMO/machine
# The demo installs into its own program folder, never the machine's /opt.
export CVD_PROGRAM_FILES=$DEMO/programs
# Its locks and sockets go to a runtime folder of its own, not the user's shared one (a Wayland
# display named relative to the old folder keeps working by its full path).
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ "${WAYLAND_DISPLAY#/}" = "$WAYLAND_DISPLAY" ] && [ -n "${XDG_RUNTIME_DIR:-}" ]; then
  export WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY
fi
export XDG_RUNTIME_DIR=$DEMO/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
# ... and downloads into its own volume folder, not the top of the machine's file system.
export CVD_VOLUMES=$DEMO/volume
mkdir -p "$HOME" "$XDG_DESKTOP_DIR" "$SHOTS" "$CVD_VOLUMES"
MARKER=$DEMO/started-at
touch "$MARKER"

# -- 4. the installer -----------------------------------------------------------------------------
HEADLESS=""
if [ -z "${DISPLAY:-}" ]; then
  HEADLESS=1
  # Xvfb picks a free display itself (two started at once never share one) and writes its
  # number once clients can connect.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$DEMO/xvfb.display" \
    >"$DEMO/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do grep -q '^[0-9]' "$DEMO/xvfb.display" 2>/dev/null && break; sleep 0.1; done
  grep -q '^[0-9]' "$DEMO/xvfb.display" 2>/dev/null || fail "Xvfb did not start (see $DEMO/xvfb.log)"
  export DISPLAY=":$(head -n1 "$DEMO/xvfb.display")"
  say "no display: running under Xvfb on $DISPLAY, screenshots go to $SHOTS"
fi

INSTALLER_LOG=$DEMO/installer-output.txt
say "starting the installer"
START=$(now)
"$INSTALLER" >"$INSTALLER_LOG" 2>&1 &
INSTALLER_PID=$!
# Peak memory: VmHWM is the process's high-water mark, so the last sample before it ends is the
# peak of the whole run.
( while kill -0 "$INSTALLER_PID" 2>/dev/null; do
    awk '/^VmHWM/ { print $2 }' "/proc/$INSTALLER_PID/status" 2>/dev/null >"$DEMO/peak-kb.tmp" &&
      [ -s "$DEMO/peak-kb.tmp" ] && mv "$DEMO/peak-kb.tmp" "$DEMO/peak-kb"
    sleep 0.1
  done ) &
SAMPLER_PID=$!

WINDOW=""
for _ in $(seq 600); do
  WINDOW=$(xdotool search --onlyvisible --name "^$CAPTION\$" 2>/dev/null | head -1)
  [ -n "$WINDOW" ] && break
  kill -0 "$INSTALLER_PID" 2>/dev/null || break
  sleep 0.05
done
[ -n "$WINDOW" ] || fail "the installer window did not appear (is the main window part of this build? the installer ended with: $(tail -3 "$INSTALLER_LOG" | tr '\n' ' '))"
FIRST_WINDOW=$(seconds_since "$START")
say "installer window after ${FIRST_WINDOW}s"

shot() {  # shot NAME: the installer window (or the whole screen) as PNG
  local target=${2:-$WINDOW}
  import -window "$target" "$SHOTS/$1.png" 2>/dev/null && echo "   screenshot $SHOTS/$1.png"
}
find_button() {  # prints "X Y" of a theme-coloured button of the window, if one shows
  xdotool mousemove 0 0 2>/dev/null   # a hovered button changes colour
  import -window "$WINDOW" -depth 8 "ppm:$DEMO/window.ppm" 2>/dev/null || return 1
  python3 scripts/find_button.py "$DEMO/window.ppm" "$THEME" "$BUTTON_W" "$BUTTON_H"
}
click() { xdotool mousemove --window "$WINDOW" "$1" "$2" click 1; }
message_box() { xdotool search --onlyvisible --name '^MSGUIDemo$' 2>/dev/null | head -1; }

if [ -n "$HEADLESS" ]; then
  sleep 1   # let the first paint settle before the picture
  shot 01-settings
  read -r X Y < <(find_button) || fail "no install button on the settings page (see $SHOTS/01-settings.png)"
  say "clicking install"
  click "$X" "$Y"
  step=2 last_shot=0 begun=$(date +%s)
  # The install button gives way to the running page; the same-looking "Use Now" button comes
  # with the success view.
  left=""
  while :; do
    sleep 1
    if ! kill -0 "$INSTALLER_PID" 2>/dev/null; then
      # With NeedStart_flag the installer starts the product itself and closes.
      say "the installer finished and closed without a success view"; ENDED=1; break
    fi
    box=$(message_box)
    if [ -n "$box" ]; then
      shot "$(printf '%02d' $step)-message-box" "$box"
      fail "the installer showed a message box (see the screenshot)"
    fi
    if [ -z "$left" ]; then
      find_button >/dev/null || { left=1; shot "$(printf '%02d' $step)-running"; step=$((step + 1)); last_shot=$(date +%s); }
      [ -n "$left" ] || [ $(( $(date +%s) - begun )) -lt 30 ] ||
        fail "the install click did not start an installation (is the install flow part of this build? see $INSTALLER_LOG and the installer's log)"
      continue
    fi
    if read -r X Y < <(find_button); then break; fi
    if [ $(( $(date +%s) - last_shot )) -ge 5 ]; then
      shot "$(printf '%02d' $step)-running"; step=$((step + 1)); last_shot=$(date +%s)
    fi
    [ $(( $(date +%s) - begun )) -lt "$INSTALL_LIMIT" ] || fail "no success view within ${INSTALL_LIMIT}s"
  done
  INSTALLED_AFTER=$(seconds_since "$START")
  if [ -z "${ENDED:-}" ]; then
    shot "$(printf '%02d' $step)-finished"; step=$((step + 1))
    say "success view after ${INSTALLED_AFTER}s; clicking \"Use Now\""
    click "$X" "$Y"
    # The waiting animation plays while the product starts (Gif_duration seconds): the main
    # window hides and the animation window shows under the same name.
    WAITING=""
    for _ in $(seq 30); do
      WAITING=$(xdotool search --onlyvisible --name "^$CAPTION\$" 2>/dev/null | grep -vx "$WINDOW" | head -1)
      [ -n "$WAITING" ] && break
      sleep 0.1
    done
    if [ -n "$WAITING" ]; then
      sleep 0.5   # a few frames into the animation
      shot "$(printf '%02d' $step)-waiting" "$WAITING"; step=$((step + 1))
    else
      say "no waiting animation showed (Gif_duration 0?)"
    fi
  fi
else
  say "the installer window is open on $DISPLAY: install, then start the product from the success view"
fi

# -- 5. where the product went and whether it runs -------------------------------------------------
# The product is the newest program under the program folders, written after this run began.
find_install_dir() {
  local exe root
  for root in "$CVD_PROGRAM_FILES"; do
    exe=$(find "$root" -type f -perm -u+x -newer "$MARKER" 2>/dev/null | head -1)
    if [ -n "$exe" ]; then
      INSTALL_DIR="$root/$(realpath --relative-to="$root" "$exe" | cut -d/ -f1)"
      return 0
    fi
  done
  return 1
}
STARTED=""
if [ -n "$HEADLESS" ]; then
  for _ in $(seq 120); do   # up to a minute for the product to come up
    [ -n "$INSTALL_DIR" ] || find_install_dir
    if [ -n "$INSTALL_DIR" ] && [ -n "$(product_pids)" ]; then STARTED=1; break; fi
    sleep 0.5
  done
else
  # A person is at the window: watch until the installer has closed.
  while kill -0 "$INSTALLER_PID" 2>/dev/null; do
    [ -n "$INSTALL_DIR" ] || find_install_dir
    [ -n "$INSTALL_DIR" ] && [ -n "$(product_pids)" ] && STARTED=1
    sleep 0.5
  done
  [ -n "$INSTALL_DIR" ] || find_install_dir
  [ -n "$(product_pids)" ] && STARTED=1
fi
[ -n "$HEADLESS" ] && [ -n "$STARTED" ] && { sleep 2; shot "$(printf '%02d' $step)-product" root; }
TOTAL=$(seconds_since "$START")
PEAK_KB=$(cat "$DEMO/peak-kb" 2>/dev/null || echo "?")

# -- 6. report -------------------------------------------------------------------------------------
echo
say "what the installer sent (vendor-stand report)"
python3 tools/vendor-stand/vendor-stand report
echo
say "result"
echo "installed into:          ${INSTALL_DIR:-nothing found under $CVD_PROGRAM_FILES}"
if [ -n "$STARTED" ]; then
  echo "product started:         yes (pid $(product_pids | tr '\n' ' '))"
else
  echo "product started:         no"
fi
echo "first window after:      ${FIRST_WINDOW}s"
[ -n "$HEADLESS" ] && echo "install finished after:  ${INSTALLED_AFTER}s"
echo "total:                   ${TOTAL}s"
echo "installer peak memory:   ${PEAK_KB} kB (VmHWM)"
[ -n "$HEADLESS" ] && echo "screenshots:             $SHOTS"
echo "work folder:             $DEMO"
[ -n "$INSTALL_DIR" ] && [ -n "$STARTED" ] || fail "the product was ${INSTALL_DIR:+installed but not started}${INSTALL_DIR:-not installed}"
say "demo passed"
