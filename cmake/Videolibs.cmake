# The clip decoder of the making tools (demuxers for MP4/MOV and MKV/WebM, decoders for
# H.264, HEVC, VP8, VP9 and AV1, and the scaler): Debian's -dev packages natively; for
# Windows, the minimal static build tools/build-thirdparty.sh makes into VC_THIRDPARTY.
# Only vc_make links it: the saver itself carries none of it.
if(WIN32)
  add_library(vc_videolibs INTERFACE)
  set(VC_VIDEO_LIBS_FOUND OFF)
  if(VC_THIRDPARTY AND EXISTS ${VC_THIRDPARTY}/lib/libavformat.a)
    set(VC_VIDEO_LIBS_FOUND ON)
    target_include_directories(vc_videolibs INTERFACE ${VC_THIRDPARTY}/include)
    set(VC_VIDEO_ARCHIVES ${VC_THIRDPARTY}/lib/libavformat.a ${VC_THIRDPARTY}/lib/libavcodec.a
                          ${VC_THIRDPARTY}/lib/libswscale.a ${VC_THIRDPARTY}/lib/libavutil.a)
    if(EXISTS ${VC_THIRDPARTY}/lib/libdav1d.a)
      list(APPEND VC_VIDEO_ARCHIVES ${VC_THIRDPARTY}/lib/libdav1d.a)
    endif()
    target_link_libraries(vc_videolibs INTERFACE ${VC_VIDEO_ARCHIVES} bcrypt)
  else()
    target_link_libraries(vc_videolibs INTERFACE
      "-lVC_THIRDPARTY-has-no-libavformat--run-tools-build-thirdparty.sh")
  endif()
  set(VC_VIDEO_LIBS vc_videolibs)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VC_AV REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
  set(VC_VIDEO_LIBS PkgConfig::VC_AV)
endif()
