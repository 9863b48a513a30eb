#!/usr/bin/env bash
# Prepares this Debian machine for the Windows build: the mingw-w64 cross compilers, Wine and the
# checking tools from Debian, then the third-party libraries Debian has no mingw build of
# (tinyxml2, JsonCpp, libzip, libcurl with Schannel, GoogleTest), built statically from
# Debian's own source packages into one prefix per triplet:
#   ${CVD_WINDOWS_DEPS:-$HOME/.cache/cvdownloader-windows}/<triplet>
# Idempotent: a prefix whose .complete holds this recipe's stamp is left alone.
set -euo pipefail

# Raise this whenever what goes into a prefix changes, so older prefixes are rebuilt.
recipe_stamp="cvdownloader-windows-deps recipe 1"

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps_root=${CVD_WINDOWS_DEPS:-$HOME/.cache/cvdownloader-windows}
triplets=(x86_64-w64-mingw32 i686-w64-mingw32)
jobs=${CVD_WINDOWS_JOBS:-2}

packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine64 xvfb xdotool osslsigncode python3-pefile
  dpkg-dev ccache cmake ninja-build googletest libeasyloggingpp-dev
)
source_packages=(tinyxml2 libjsoncpp libzip curl)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

log() { echo "setup-windows: $*"; }

prefix_of() { echo "$deps_root/$1"; }

prefix_complete() {
  local stamp_file
  stamp_file="$(prefix_of "$1")/.complete"
  [ -f "$stamp_file" ] && [ "$(head -n 1 "$stamp_file")" = "$recipe_stamp" ]
}

apt_updated=0
apt_update_once() {
  if [ "$apt_updated" -eq 0 ]; then
    $SUDO apt-get update -q
    apt_updated=1
  fi
}

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    log "all packages present"
    return
  fi
  apt_update_once
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Source entries mirror the binary entries this machine already has: the Debian stanzas of the
# deb822 files and the "deb" lines of the one-line files, with their type turned to deb-src.
ensure_source_entries() {
  if apt-cache showsrc "${source_packages[0]}" 2>/dev/null | grep -q '^Package:'; then
    return
  fi
  local list=/etc/apt/sources.list.d/cvdownloader-windows-src.sources
  local oneline=/etc/apt/sources.list.d/cvdownloader-windows-src.list
  local f
  : | $SUDO tee "$list" "$oneline" >/dev/null
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$list" ] || continue
    # One stanza per blank-line separated block; keep those signed by Debian's archive keys.
    awk -v RS= -v ORS='\n\n' '/debian-archive-keyring/ && /(^|\n)Types:[^\n]*deb([ \t\n]|$)/ {
        sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$f" |
      $SUDO tee -a "$list" >/dev/null
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && [ "$f" != "$oneline" ] || continue
    # Only the Debian archive's lines: their suites are the machine's own release.
    grep -E '^[[:space:]]*deb[[:space:]]' "$f" | grep -E '[[:space:]](main|contrib|non-free)' |
      grep -F "$(. /etc/os-release && echo "$VERSION_CODENAME")" |
      sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /' | $SUDO tee -a "$oneline" >/dev/null || true
  done
  [ -s "$list" ] || $SUDO rm -f "$list"
  [ -s "$oneline" ] || $SUDO rm -f "$oneline"
  apt_updated=0
  apt_update_once
}

# Unpacks each source package once under $deps_root/.sources; later runs reuse the folders.
fetch_sources() {
  local sources="$deps_root/.sources" pkg
  mkdir -p "$sources"
  for pkg in "${source_packages[@]}"; do
    if [ ! -f "$sources/$pkg.dir" ] || [ ! -d "$(cat "$sources/$pkg.dir")" ]; then
      ensure_source_entries
      local scratch
      scratch=$(mktemp -d "$sources/$pkg.XXXXXX")
      (cd "$scratch" && apt-get source -q "$pkg" >/dev/null)
      local unpacked
      unpacked=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d | head -n 1)
      [ -n "$unpacked" ] || { log "no unpacked source for $pkg"; exit 1; }
      echo "$unpacked" >"$sources/$pkg.dir"
    fi
  done
}

source_dir() { cat "$deps_root/.sources/$1.dir"; }

# Configures, builds and installs one CMake project statically for one triplet.
build_cmake() {
  local triplet=$1 name=$2 src=$3
  shift 3
  local prefix build
  prefix=$(prefix_of "$triplet")
  build="$deps_root/.build/$triplet/$name"
  rm -rf "$build"
  mkdir -p "$build"
  log "$triplet: $name"
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root_dir/cmake/toolchains/$triplet.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_C_FLAGS="-D_WIN32_WINNT=0x0601" -DCMAKE_CXX_FLAGS="-D_WIN32_WINNT=0x0601" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" >"$build.log" 2>&1 ||
    { tail -n 40 "$build.log"; exit 1; }
  cmake --build "$build" -j "$jobs" >>"$build.log" 2>&1 || { tail -n 40 "$build.log"; exit 1; }
  cmake --install "$build" >>"$build.log" 2>&1 || { tail -n 40 "$build.log"; exit 1; }
  rm -rf "$build"
}

build_triplet() {
  local triplet=$1 prefix
  prefix=$(prefix_of "$triplet")
  if prefix_complete "$triplet"; then
    log "$triplet: up to date ($prefix)"
    return
  fi
  rm -rf "$prefix"
  mkdir -p "$prefix/include"
  local started=$SECONDS

  build_cmake "$triplet" tinyxml2 "$(source_dir tinyxml2)" -Dtinyxml2_BUILD_TESTING=OFF
  build_cmake "$triplet" jsoncpp "$(source_dir libjsoncpp)" \
    -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_TESTS=OFF \
    -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DJSONCPP_WITH_EXAMPLE=OFF
  build_cmake "$triplet" libzip "$(source_dir libzip)" \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_GNUTLS=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=OFF
  # HTTP(S) only over Schannel, and no certificate store baked in: callers name their CA file.
  build_cmake "$triplet" curl "$(source_dir curl)" \
    -DBUILD_CURL_EXE=OFF -DENABLE_MANUAL=OFF -DBUILD_LIBCURL_DOCS=OFF -DCURL_DISABLE_INSTALL=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DUSE_NGHTTP2=OFF -DUSE_NGHTTP3=OFF \
    -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_USE_LIBPSL=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
    -DCURL_USE_GSSAPI=OFF -DENABLE_ARES=OFF -DUSE_LIBRTMP=OFF -DCURL_ZLIB=ON \
    -DPICKY_COMPILER=OFF -DENABLE_CURL_MANUAL=OFF
  build_cmake "$triplet" googletest /usr/src/googletest \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON

  # easylogging++ is a header and one source file that the program compiles itself.
  cp /usr/include/easylogging++.h /usr/include/easylogging++.cc "$prefix/include/"

  local pkg
  for pkg in "${source_packages[@]}"; do
    basename "$(source_dir "$pkg")"
  done >"$prefix/versions.txt"
  "$triplet-g++-posix" -dumpfullversion | sed 's/^/compiler /' >>"$prefix/versions.txt"
  dpkg-query -W -f='${Package} ${Version}\n' googletest libeasyloggingpp-dev >>"$prefix/versions.txt"
  echo "$recipe_stamp" >"$prefix/.complete"
  log "$triplet: done in $((SECONDS - started)) s ($prefix)"
}

main() {
  local started=$SECONDS triplet needed=0
  install_packages
  for triplet in "${triplets[@]}"; do
    prefix_complete "$triplet" || needed=1
  done
  if [ "$needed" -eq 0 ]; then
    log "all prefixes up to date under $deps_root"
    return
  fi
  fetch_sources
  for triplet in "${triplets[@]}"; do
    build_triplet "$triplet"
  done
  rm -rf "$deps_root/.build"
  log "finished in $((SECONDS - started)) s"
}

main "$@"
