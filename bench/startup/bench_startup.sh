#!/usr/bin/env bash
# Time from start to the installer's first visible window, and the installer's peak memory while
# its window is open, over several runs under a private Xvfb (the median is printed).
#   bash bench/startup/bench_startup.sh [INSTALLER] [RUNS]
# Each run gets a fresh private home and a skin whose services point at a closed port, so the
# figures are the installer's own start-up, not a server's answer time. "Visible" is the moment
# xdotool first finds the mapped window (polled every 10 ms), right before its first paint.
set -euo pipefail
cd "$(dirname "$0")/../.."
INSTALLER=${1:-build/bin/cvdownloader}
RUNS=${2:-5}
CAPTION="Zorvik Video Converter"
WORK=$(mktemp -d /tmp/cvd-bench-startup.XXXXXX)
XVFB=""
trap '[ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null; rm -rf "$WORK"' EXIT

for n in $(seq 200 250); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=":$n"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

cp -r res/skin "$WORK/skin"
sed -i -E 's/text="127\.0\.0\.1:[0-9]+"/text="127.0.0.1:9"/' "$WORK/skin/configure/endpoints.xml"
cp "$INSTALLER" "$WORK/cvdownloader"
build/bin/cvd-res embed "$WORK/cvdownloader" "$WORK/skin" >/dev/null

times=() peaks=()
for run in $(seq "$RUNS"); do
  home=$WORK/home$run
  mkdir -p "$home/run" && chmod 700 "$home/run"
  start=$(date +%s%N)
  HOME=$home XDG_RUNTIME_DIR=$home/run CVD_MACHINE_STATE_DIR=$home/machine XDG_DATA_HOME=$home/data \
    XDG_CACHE_HOME=$home/cache XDG_STATE_HOME=$home/state "$WORK/cvdownloader" >/dev/null 2>&1 &
  pid=$!
  shown=""
  for _ in $(seq 3000); do
    if xdotool search --onlyvisible --name "^$CAPTION\$" >/dev/null 2>&1; then shown=$(date +%s%N); break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  [ -n "$shown" ] || { echo "run $run: no window appeared" >&2; kill "$pid" 2>/dev/null; exit 1; }
  sleep 2   # let it settle (first paint, content threads) before reading the peak
  peak=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  times+=($(( (shown - start) / 1000000 ))) peaks+=("$peak")
  echo "run $run: first window after $(( (shown - start) / 1000000 )) ms, peak memory ${peak} kB"
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
echo "median over $RUNS runs: first window after $(median "${times[@]}") ms, peak memory $(median "${peaks[@]}") kB"
