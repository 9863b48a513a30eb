#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the test stand need.
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libcurl4-openssl-dev libtinyxml2-dev libjsoncpp-dev libeasyloggingpp-dev
  libzip-dev zip unzip libssl-dev uuid-dev
  libcairo2-dev libpango1.0-dev libgtk-3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nginx apache2 openssl curl xvfb xdotool imagemagick aria2 iputils-ping python3 python3-cairo
  fonts-noto-core fonts-noto-cjk fonts-liberation2 fonts-dejavu fontconfig
  clang libclang-rt-14-dev  # scripts/fuzz.sh only: libFuzzer and the sanitizer run-times
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
