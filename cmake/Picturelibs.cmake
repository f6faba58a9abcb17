# JPEG, PNG and TIFF: Debian's -dev packages natively; for Windows, static libraries
# cross-built from Debian's source packages into VC_THIRDPARTY (see tools/build-thirdparty.sh).
if(WIN32)
  set(VC_THIRDPARTY "$ENV{VC_THIRDPARTY}" CACHE PATH "cross-built picture libraries")
  if(NOT VC_THIRDPARTY)
    message(FATAL_ERROR "VC_THIRDPARTY is not set: run tools/build-thirdparty.sh")
  endif()
  add_library(vc_picturelibs INTERFACE)
  target_include_directories(vc_picturelibs INTERFACE ${VC_THIRDPARTY}/include)
  target_link_libraries(vc_picturelibs INTERFACE
    ${VC_THIRDPARTY}/lib/libtiff.a ${VC_THIRDPARTY}/lib/libpng16.a
    ${VC_THIRDPARTY}/lib/libjpeg.a z)
  set(VC_PICTURE_LIBS vc_picturelibs)
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(TIFF REQUIRED)
  find_package(ZLIB REQUIRED)
  set(VC_PICTURE_LIBS JPEG::JPEG PNG::PNG TIFF::TIFF ZLIB::ZLIB)
endif()
