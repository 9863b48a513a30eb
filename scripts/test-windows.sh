#!/usr/bin/env bash
# The Windows half of the test command: the static libraries for both mingw-w64 triplets, the
# 32-bit build (compiled and linked only: this machine's kernel cannot run 32-bit code) and the
# 64-bit build, whose tests run under Wine through CTest. Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."

step_start=$SECONDS
step() {
    echo "windows: $1 took $((SECONDS - step_start)) s"
    step_start=$SECONDS
}

bash scripts/setup-windows.sh
step "setup"
cmake --preset windows-x86
cmake --build --preset windows-x86
step "the x86 build"
cmake --preset windows-x64
cmake --build --preset windows-x64
step "the x64 build"
# A wineserver left by an aborted run would hold the test discovery's output open.
bash tests/support/wine_prefix.sh stop build-win64/wine-prefix /usr/lib/wine/wine64 \
    /usr/lib/wine/wineserver
ctest --preset windows-x64
step "the x64 tests under Wine"
