# JPEG, PNG, TIFF, HEIF/AVIF, WebP and lcms2 (colour profiles): Debian's -dev packages
# natively; for Windows, static libraries cross-built from Debian's source packages into
# VC_THIRDPARTY
# (tools/build-thirdparty.sh).
#
# Without VC_THIRDPARTY the Windows build still configures and compiles everything that
# does not include a picture-library header, so window code can be checked before the
# libraries exist; only linking a program that uses them then fails, naming the fix.
if(WIN32)
  set(VC_THIRDPARTY_DEFAULT /var/cache/vomracube/thirdparty/i686)
  if(DEFINED ENV{VC_THIRDPARTY})
    set(VC_THIRDPARTY_DEFAULT $ENV{VC_THIRDPARTY})
  endif()
  if(NOT EXISTS ${VC_THIRDPARTY_DEFAULT}/lib/libjpeg.a)
    set(VC_THIRDPARTY_DEFAULT "")
  endif()
  set(VC_THIRDPARTY "${VC_THIRDPARTY_DEFAULT}" CACHE PATH "cross-built picture libraries")

  add_library(vc_picturelibs INTERFACE)
  set(VC_MINGW_ZLIB /usr/i686-w64-mingw32/lib/libz.a)
  if(VC_THIRDPARTY AND EXISTS ${VC_THIRDPARTY}/lib/libjpeg.a)
    if(NOT EXISTS ${VC_THIRDPARTY}/lib/liblcms2.a)
      message(WARNING "${VC_THIRDPARTY} holds no liblcms2.a: run tools/build-thirdparty.sh "
                      "again to link.")
    endif()
    target_include_directories(vc_picturelibs INTERFACE ${VC_THIRDPARTY}/include)
    target_link_libraries(vc_picturelibs INTERFACE
      ${VC_THIRDPARTY}/lib/libtiff.a ${VC_THIRDPARTY}/lib/libpng16.a
      ${VC_THIRDPARTY}/lib/libjpeg.a ${VC_THIRDPARTY}/lib/liblcms2.a ${VC_MINGW_ZLIB})
    # HEIF and AVIF: libheif over libde265 (HEVC) and dav1d (AV1); WebP with its demuxer.
    target_compile_definitions(vc_picturelibs INTERFACE LIBHEIF_STATIC_BUILD LIBDE265_STATIC_BUILD)
    target_link_libraries(vc_picturelibs INTERFACE
      ${VC_THIRDPARTY}/lib/libheif.a ${VC_THIRDPARTY}/lib/libde265.a
      ${VC_THIRDPARTY}/lib/libdav1d.a
      ${VC_THIRDPARTY}/lib/libwebpdemux.a ${VC_THIRDPARTY}/lib/libwebp.a)
  else()
    message(WARNING "VC_THIRDPARTY is not set or holds no libraries: compiling only. "
                    "Run tools/build-thirdparty.sh, then configure with "
                    "-DVC_THIRDPARTY=/var/cache/vomracube/thirdparty/i686 to link.")
    # A link input that cannot exist: the linker's error then names the remedy.
    target_link_libraries(vc_picturelibs INTERFACE
      "-lVC_THIRDPARTY-missing--run-tools-build-thirdparty.sh")
  endif()
  set(VC_PICTURE_LIBS vc_picturelibs)
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(TIFF REQUIRED)
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
  pkg_check_modules(VC_HEIF REQUIRED IMPORTED_TARGET libheif)
  pkg_check_modules(VC_WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)
  set(VC_PICTURE_LIBS JPEG::JPEG PNG::PNG TIFF::TIFF ZLIB::ZLIB PkgConfig::VC_HEIF
      PkgConfig::VC_WEBP PkgConfig::LCMS2)
endif()
