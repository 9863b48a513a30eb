#!/usr/bin/env bash
# The one test command: installs what is missing, configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
# The Windows suite: both cross builds, the 64-bit tests under Wine.
bash scripts/test-windows.sh
