#!/bin/bash
# Installs everything the build, the tests and the run command need on a
# Debian 12 machine. Idempotent: a second run only checks and returns.
set -euo pipefail

STAMP_DIR=${VOMRA_CACHE:-/var/cache/vomracube}
mkdir -p "$STAMP_DIR"

PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3 clang llvm
  libclang-rt-14-dev
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
  libz-mingw-w64-dev
  libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libpixman-1-dev libcairo2-dev libosmesa6-dev
  wine wine32 xvfb x11-utils xdotool imagemagick fonts-wqy-microhei
  dpkg-dev fakeroot ffmpeg python3-pil
  autoconf automake libtool nasm
)

need_install() {
  local p missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  printf '%s\n' "${missing[@]}"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  NEED_UPDATE=1
fi

# Source packages for the cross-built picture libraries.
SRC_LIST=/etc/apt/sources.list.d/vomracube-src.sources
if [ ! -f "$SRC_LIST" ]; then
  cat >"$SRC_LIST" <<'LIST'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
  NEED_UPDATE=1
fi

missing=$(need_install)
if [ -n "$missing" ] || [ -n "${NEED_UPDATE:-}" ] || [ ! -f "$STAMP_DIR/apt-updated" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  touch "$STAMP_DIR/apt-updated"
  missing=$(need_install)
fi
if [ -n "$missing" ]; then
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
