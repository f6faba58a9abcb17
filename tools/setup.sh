#!/bin/bash
# Installs everything the build, the tests and the run command need on a fresh Debian 12
# machine (run as root). Idempotent: a second run only checks and returns in about a second.
set -euo pipefail

CACHE=${VOMRA_CACHE:-/var/cache/vomracube}
mkdir -p "$CACHE"

PACKAGES=(
  # native build, unit tests, sanitizers and fuzzers
  build-essential cmake ninja-build pkg-config git python3 clang llvm clang-format
  libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev libtiff-dev liblcms2-dev zlib1g-dev libheif-dev libwebp-dev
  # the making tools' clip decoder (natively the system's; cross-built for Windows)
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  # benchmark comparisons
  libpixman-1-dev libcairo2-dev libosmesa6-dev
  # Windows build and the cross-built picture libraries
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
  libz-mingw-w64-dev dpkg-dev nasm meson
  # the installer, and the compiler cache that the reproducible-build check builds through
  nsis ccache
  # end-to-end tests under Wine
  wine wine32:i386 xvfb x11-utils x11-apps xdotool imagemagick fonts-wqy-microhei
  # the two-monitor display: Xorg's dummy driver, xrandr, and 32-bit Wine's view of the
  # monitors (without these three libraries it sees one wide monitor)
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libxrandr2:i386 libxinerama1:i386 libxrender1:i386
  # test material (ffmpeg only makes clips for the tests; the tools carry their own decoder)
  ffmpeg python3-pil
  # encoders and reference decoders of the newer picture formats (tests/suites)
  libheif-examples libavif-bin webp
)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
  done
}

NEED_UPDATE=
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  NEED_UPDATE=1
fi

# Source packages for the cross-built picture libraries (tools/build-thirdparty.sh).
SRC_LIST=/etc/apt/sources.list.d/vomracube-src.sources
SRC_TEXT='Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg'
if [ "$(cat "$SRC_LIST" 2>/dev/null)" != "$SRC_TEXT" ]; then
  printf '%s\n' "$SRC_TEXT" >"$SRC_LIST"
  NEED_UPDATE=1
fi

export DEBIAN_FRONTEND=noninteractive
missing=$(missing_packages)
if [ -n "$missing" ] || [ -n "$NEED_UPDATE" ] || [ ! -f "$CACHE/apt-updated" ]; then
  echo "setup: updating the package lists" >&2
  apt-get update -q >/dev/null
  touch "$CACHE/apt-updated"
  missing=$(missing_packages)
fi
if [ -n "$missing" ]; then
  echo "setup: installing" $missing >&2
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing >"$CACHE/apt-install.log" 2>&1 ||
    { tail -30 "$CACHE/apt-install.log" >&2; exit 1; }
fi
