#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang, libFuzzer and the address and undefined-behaviour
# checkers (build-fuzz/), then runs each for SECONDS (default 600), JOBS at a time (default 2),
# at the lowest priority. A run continues past a failing input and keeps it in
# build-fuzz/fuzz-run/<target>/findings/; copy what it found into fuzz/regressions/<target>/
# once it is fixed, so the test run replays it. The summary lists executions, coverage and
# findings per target. A fuzz/<target>.dict gives the target's tokens to libFuzzer.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. scripts/fuzz.sh 60 markup layout
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(markup value_syntax layout skin_zip task_file header_lines
                                     download_info json_answers)
jobs="${JOBS:-2}"

command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (scripts/setup.sh installs it)"; exit 1; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCVD_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 19 cmake --build build-fuzz -j2 --target "${targets[@]/#/cvd_fuzz_}"

# The font and drawing libraries keep their caches until exit; those are no leaks of ours.
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

run_one() {
  local t="$1" dir="build-fuzz/fuzz-run/$1"
  local dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  # A job ended by a failing input leaves its private folders behind: they go with the run.
  mkdir -p "$dir/corpus" "$dir/findings" "$dir/tmp"
  TMPDIR="$PWD/$dir/tmp" nice -n 19 "build-fuzz/fuzz/cvd_fuzz_$t" -max_total_time="$seconds" -fork=1 -ignore_crashes=1 \
    -ignore_timeouts=1 -ignore_ooms=1 -rss_limit_mb=1024 -timeout=20 \
    -artifact_prefix="$dir/findings/" "${dict[@]}" "$dir/corpus" "fuzz/corpus/$t" >"$dir/log" 2>&1 || true
  rm -rf "$dir/tmp"
}

# Every kept failure first, under the sanitizers: the test run's replay cannot see undefined
# behaviour that does not crash.
for t in "${targets[@]}"; do
  [ -d "fuzz/regressions/$t" ] || continue
  "build-fuzz/fuzz/cvd_fuzz_$t" -runs=0 "fuzz/regressions/$t" >"build-fuzz/replay-$t.log" 2>&1 ||
    { echo "fuzz: a kept input of $t fails again, see build-fuzz/replay-$t.log"; exit 1; }
done

running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait

printf '%-14s %12s %8s %8s %9s\n' target executions cov ft findings
for t in "${targets[@]}"; do
  dir="build-fuzz/fuzz-run/$t"
  last=$(grep -E '^#[0-9]+: cov:' "$dir/log" | tail -n 1 || true)
  execs=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$last")
  cov=$(sed -E 's/.* cov: ([0-9]+).*/\1/' <<<"$last")
  ft=$(sed -E 's/.* ft: ([0-9]+).*/\1/' <<<"$last")
  found=$(find "$dir/findings" -type f | wc -l)
  printf '%-14s %12s %8s %8s %9s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$found"
done
