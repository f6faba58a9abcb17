# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 i686 compilers.
# The win32 thread model is used: the program has no threads of its own, and this
# model needs no winpthread library, so -static links nothing beyond system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VC_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VC_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VC_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${VC_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VC_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VC_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# Headers and libraries only from the cross sysroot (and the picture-library prefix,
# which Picturelibs.cmake names by full path); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VC_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs built here run under Wine when CMake or CTest needs to run one.
find_program(VC_WINE wine)
if(VC_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VC_WINE})
endif()
