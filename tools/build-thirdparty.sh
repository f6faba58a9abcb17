#!/bin/bash
# Cross-builds the picture libraries of the Windows build as static i686 libraries from
# Debian's own source packages: libjpeg-turbo (libjpeg 6 interface), libpng 1.6, a
# minimal libtiff (deflate and JPEG codecs only), lcms2 (colour profiles), dav1d (AV1),
# libwebp (with its demuxer, for animation), libde265 (HEVC) and a decode-only libheif over
# those two (HEIF and AVIF), and for the making tools a minimal FFmpeg (clip demuxers and
# decoders). zlib comes from libz-mingw-w64-dev.
#
# Sources, build trees and the install prefix live outside the repository, under
# $VOMRA_CACHE (default /var/cache/vomracube). A stamp file records the source versions
# and this script's checksum; when it matches, nothing is rebuilt.
#
# Prints the prefix on its last line; configure the Windows build with
#   -DVC_THIRDPARTY=<that prefix>
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
CACHE=${VOMRA_CACHE:-/var/cache/vomracube}
TP=$CACHE/thirdparty
PREFIX=$TP/i686
SRC=$TP/src
BUILD=$TP/build
JOBS=${JOBS:-2}
TOOLCHAIN=$ROOT/cmake/mingw-i686.cmake
STD_MUTEX=$ROOT/tools/thirdparty/win32-std-mutex.h
ZLIB_INC=/usr/i686-w64-mingw32/include
ZLIB_LIB=/usr/i686-w64-mingw32/lib/libz.a
PACKAGES=(libjpeg-turbo libpng1.6 tiff)
PACKAGES+=(dav1d)
PACKAGES+=(libwebp libde265 libheif)
# Every library the Windows build links; a prefix without one of them is rebuilt.
REQUIRED_LIBS=(libjpeg.a libpng16.a libtiff.a)
REQUIRED_LIBS+=(libdav1d.a)
REQUIRED_LIBS+=(libwebp.a libwebpdemux.a libde265.a libheif.a)
# Colour profiles.
PACKAGES+=(lcms2)
REQUIRED_LIBS+=(liblcms2.a)
# The making tools' clip decoder (see the ffmpeg block below).
PACKAGES+=(ffmpeg)
REQUIRED_LIBS+=(libavformat.a libavcodec.a libswscale.a libavutil.a)

log() { echo "build-thirdparty: $*" >&2; }

source_version() { # package -> version apt would fetch
    apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -1
}

want_stamp() {
    local p
    for p in "${PACKAGES[@]}"; do echo "$p $(source_version "$p")"; done
    echo "zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)"
    echo "script $(cat "$0" "$TOOLCHAIN" "$STD_MUTEX" | sha256sum | cut -c1-16)"
}

have_required_libs() { # prefix -> whether every required library is there
    local lib
    for lib in "${REQUIRED_LIBS[@]}"; do [ -f "$1/lib/$lib" ] || return 1; done
}

STAMP=$PREFIX/.stamp
want=$(want_stamp)
if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$want" ] && have_required_libs "$PREFIX"; then
    echo "$PREFIX"
    exit 0
fi
if grep -q "^[a-z0-9.-]* $" <<<"$want"; then
    log "no source version known for some package (is the deb-src entry there? run tools/setup.sh)"
    exit 1
fi

started=$(date +%s)
# Installed into a fresh directory that replaces the old prefix only when complete, so a
# Windows build never sees half a set of libraries.
STAGE=$TP/i686.new
rm -rf "$SRC" "$BUILD" "$STAGE"
mkdir -p "$SRC" "$BUILD" "$STAGE"

# apt's download sandbox user cannot write into root's cache directory.
log "fetching sources: ${PACKAGES[*]}"
(cd "$SRC" && apt-get source -q --download-only -o APT::Sandbox::User=root "${PACKAGES[@]}" >"$BUILD/fetch.log" 2>&1) ||
    { cat "$BUILD/fetch.log" >&2; exit 1; }

unpack() { # package -> prints the unpacked directory (Debian patches applied)
    local dsc
    dsc=$(ls "$SRC/$1"_*.dsc | head -1)
    dpkg-source --no-check -x "$dsc" "$SRC/$1" >"$BUILD/unpack-$1.log" 2>&1 ||
        { cat "$BUILD/unpack-$1.log" >&2; exit 1; }
    echo "$SRC/$1"
}

cmake_build() { # name, source dir, cmake args...
    local name=$1 dir=$2
    shift 2
    log "building $name"
    cmake -S "$dir" -B "$BUILD/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_CROSSCOMPILING_EMULATOR= \
        -DCMAKE_INSTALL_PREFIX="$STAGE" -DCMAKE_C_FLAGS="-O2 -msse2 -mfpmath=sse" \
        -DBUILD_SHARED_LIBS=OFF "$@" >"$BUILD/$name.configure.log" 2>&1 ||
        { tail -40 "$BUILD/$name.configure.log" >&2; exit 1; }
    cmake --build "$BUILD/$name" -j"$JOBS" >"$BUILD/$name.build.log" 2>&1 ||
        { tail -40 "$BUILD/$name.build.log" >&2; exit 1; }
    cmake --install "$BUILD/$name" >"$BUILD/$name.install.log" 2>&1 ||
        { tail -40 "$BUILD/$name.install.log" >&2; exit 1; }
}

meson_build() { # name, source dir, meson args...
    local name=$1 dir=$2 cross=$BUILD/mingw-i686.meson
    shift 2
    log "building $name"
    # The same compilers and code generation flags as the CMake builds.
    printf '%s\n' "[binaries]" "c = 'i686-w64-mingw32-gcc-win32'" \
        "cpp = 'i686-w64-mingw32-g++-win32'" "ar = 'i686-w64-mingw32-ar'" \
        "strip = 'i686-w64-mingw32-strip'" "windres = 'i686-w64-mingw32-windres'" \
        "nasm = 'nasm'" "[host_machine]" "system = 'windows'" "cpu_family = 'x86'" \
        "cpu = 'i686'" "endian = 'little'" "[built-in options]" \
        "c_args = ['-O2', '-msse2', '-mfpmath=sse']" >"$cross"
    meson setup "$BUILD/$name" "$dir" --cross-file "$cross" --prefix "$STAGE" --libdir lib \
        --buildtype release --default-library static "$@" >"$BUILD/$name.configure.log" 2>&1 ||
        { tail -40 "$BUILD/$name.configure.log" >&2; exit 1; }
    ninja -C "$BUILD/$name" -j"$JOBS" install >"$BUILD/$name.build.log" 2>&1 ||
        { tail -40 "$BUILD/$name.build.log" >&2; exit 1; }
}

cmake_build jpeg "$(unpack libjpeg-turbo)" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DWITH_12BIT=OFF -DWITH_SIMD=ON

cmake_build png "$(unpack libpng1.6)" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_BUILD_ZLIB=OFF -DZLIB_INCLUDE_DIR="$ZLIB_INC" -DZLIB_LIBRARY="$ZLIB_LIB" \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON

cmake_build tiff "$(unpack tiff)" \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-deprecated=OFF \
    -Dcxx=OFF -Dzlib=ON -Djpeg=ON -Dold-jpeg=OFF -Djpeg12=OFF -Dpixarlog=OFF \
    -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF -Dlibdeflate=OFF \
    -DZLIB_INCLUDE_DIR="$ZLIB_INC" -DZLIB_LIBRARY="$ZLIB_LIB" \
    -DJPEG_INCLUDE_DIR="$STAGE/include" -DJPEG_LIBRARY="$STAGE/lib/libjpeg.a" \
    -DCMAKE_DISABLE_FIND_PACKAGE_OpenGL=ON -DCMAKE_DISABLE_FIND_PACKAGE_GLUT=ON

# lcms2: the library alone (its tools would want libjpeg and libtiff), with autotools; only
# src/ and include/ are built and installed.
lcms2_build() {
    local dir
    dir=$(unpack lcms2)
    log "building lcms2"
    (cd "$dir" && ./configure --host=i686-w64-mingw32 --prefix="$STAGE" --disable-shared \
        --enable-static --without-jpeg --without-tiff --without-zlib --without-fastfloat \
        --without-threaded CFLAGS="-O2 -msse2 -mfpmath=sse" >"$BUILD/lcms2.configure.log" 2>&1 &&
        make -j"$JOBS" -C src >"$BUILD/lcms2.build.log" 2>&1 &&
        make -C src install >"$BUILD/lcms2.install.log" 2>&1 &&
        make -C include install >>"$BUILD/lcms2.install.log" 2>&1) ||
        { tail -40 "$BUILD"/lcms2.*.log >&2; exit 1; }
}
lcms2_build

# AV1, with its x86 assembly (nasm): 8- and 10-bit streams, as phones write both.
meson_build dav1d "$(unpack dav1d)" \
    -Denable_tools=false -Denable_examples=false -Denable_tests=false -Denable_docs=false \
    -Denable_asm=true -Dlogging=false

# WebP: the decoder and the demuxer (animation) only.
cmake_build webp "$(unpack libwebp)" \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF \
    -DWEBP_BUILD_EXTRAS=OFF -DWEBP_USE_THREAD=OFF -DWEBP_NEAR_LOSSLESS=OFF

# HEVC and HEIF are C++ that locks a std::mutex, which the win32 thread model lacks:
# win32-std-mutex.h supplies one.
HEIF_CXX_FLAGS="-O2 -msse2 -mfpmath=sse -include $STD_MUTEX"
cmake_build de265 "$(unpack libde265)" -DCMAKE_CXX_FLAGS="$HEIF_CXX_FLAGS" \
    -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF

# Decoding only, both codecs built in, tiles decoded on the caller's thread.
cmake_build heif "$(unpack libheif)" -DCMAKE_CXX_FLAGS="$HEIF_CXX_FLAGS" \
    -DWITH_EXAMPLES=OFF -DWITH_GDK_PIXBUF=OFF -DWITH_FUZZERS=OFF -DENABLE_PLUGIN_LOADING=OFF \
    -DENABLE_MULTITHREADING_SUPPORT=OFF -DENABLE_PARALLEL_TILE_DECODING=OFF \
    -DWITH_LIBDE265=ON -DWITH_DAV1D=ON -DWITH_X265=OFF -DWITH_AOM_ENCODER=OFF \
    -DWITH_AOM_DECODER=OFF -DWITH_SvtEnc=OFF -DWITH_RAV1E=OFF -DWITH_LIBSHARPYUV=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Doxygen=ON \
    -DLIBDE265_INCLUDE_DIR="$STAGE/include" -DLIBDE265_LIBRARY="$STAGE/lib/libde265.a" \
    -DDAV1D_INCLUDE_DIR="$STAGE/include" -DDAV1D_LIBRARY="$STAGE/lib/libdav1d.a"

# FFmpeg for the making tools only (the saver links none of it): the MP4/MOV and MKV/WebM
# demuxers, the H.264, HEVC, VP8 and VP9 decoders (and AV1 through dav1d when that is in
# the prefix), their parsers, and the scaler. No programs, no protocols (the tools feed the
# bytes through their own reads), no encoders, nothing found on the build machine.
ffmpeg_build() {
    local dir=$1 av1=() started_ff
    started_ff=$(date +%s)
    log "building ffmpeg"
    if [ -f "$STAGE/lib/libdav1d.a" ]; then
        av1=(--enable-libdav1d --enable-decoder=libdav1d)
    fi
    mkdir -p "$BUILD/ffmpeg"
    (cd "$BUILD/ffmpeg" && PKG_CONFIG_LIBDIR="$STAGE/lib/pkgconfig" "$dir/configure" \
        --prefix="$STAGE" --enable-cross-compile --cross-prefix=i686-w64-mingw32- \
        --arch=x86 --target-os=mingw32 --pkg-config=pkg-config --enable-static --disable-shared \
        --disable-everything --disable-programs --disable-doc --disable-network \
        --disable-autodetect --disable-avdevice --disable-avfilter --disable-swresample \
        --disable-postproc --disable-debug --enable-w32threads \
        --enable-demuxer=mov,matroska --enable-decoder=h264,hevc,vp8,vp9 \
        --enable-parser=h264,hevc,vp8,vp9,av1 --enable-swscale "${av1[@]}" \
        --extra-cflags="-msse2 -mfpmath=sse" >"$BUILD/ffmpeg.configure.log" 2>&1) ||
        { tail -40 "$BUILD/ffmpeg.configure.log" >&2; exit 1; }
    # Windows gives a 32-bit program's stack only 4-byte alignment, so gcc keeps EBP for
    # realigning the frames of functions with aligned locals, and the 7-register CABAC
    # assembly of the H.264 decoder then has no register left ("impossible constraints").
    # Without EBP the decoder takes its C CABAC reader; the SIMD of the rest is unchanged.
    sed -i 's/^#define HAVE_EBP_AVAILABLE 1$/#define HAVE_EBP_AVAILABLE 0/' "$BUILD/ffmpeg/config.h"
    make -C "$BUILD/ffmpeg" -j"$JOBS" >"$BUILD/ffmpeg.build.log" 2>&1 ||
        { tail -40 "$BUILD/ffmpeg.build.log" >&2; exit 1; }
    make -C "$BUILD/ffmpeg" install >"$BUILD/ffmpeg.install.log" 2>&1 ||
        { tail -40 "$BUILD/ffmpeg.install.log" >&2; exit 1; }
    log "ffmpeg built in $(($(date +%s) - started_ff)) s"
}
ffmpeg_build "$(unpack ffmpeg)"

for lib in "${REQUIRED_LIBS[@]}"; do
    [ -f "$STAGE/lib/$lib" ] || { log "missing $STAGE/lib/$lib after the build"; exit 1; }
done
# Only the libraries and headers are kept; the build trees are large and not needed again.
rm -rf "$BUILD" "$SRC" "$STAGE/bin" "$STAGE/share"
echo "$want" >"$STAGE/.stamp"
rm -rf "$PREFIX"
mv "$STAGE" "$PREFIX"
log "done in $(($(date +%s) - started)) s"
echo "$PREFIX"
