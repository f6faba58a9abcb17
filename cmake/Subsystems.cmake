# vc_subsystem(<target> FOLDERS <dir>... [DEPS <target>...]): a static library from every
# .cpp in the folders. Files named *_win.cpp are window code and join only the Windows
# build; files named *_posix.cpp join only the native build.
function(vc_subsystem target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;DEPS" ${ARGN})
  set(srcs)
  foreach(folder ${ARG_FOLDERS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND srcs ${found})
  endforeach()
  if(WIN32)
    list(FILTER srcs EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER srcs EXCLUDE REGEX "_win\\.cpp$")
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# vc_test_suite(<name> <folder> [deps...]): one GoogleTest executable from a tests folder.
function(vc_test_suite name folder)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE VC_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# vc_saver_resources(<target>): the saver's resource script (icon, cursors, default picture,
# About box) in a Windows program: the saver itself and the programs that load its resources
# as it does. windres finds the files the script names beside it, its headers under src/.
function(vc_saver_resources target)
  set(res ${CMAKE_SOURCE_DIR}/res)
  target_sources(${target} PRIVATE ${res}/VomraCube.rc)
  set_source_files_properties(${res}/VomraCube.rc PROPERTIES OBJECT_DEPENDS
    "${res}/hand.cur;${res}/blank.cur;${res}/vomracube.ico;${res}/picture140.bmp;${res}/vomracube.manifest")
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src ${res})
endfunction()

# vc_manifest(<target>): only the application manifest (DPI awareness, common controls,
# supported systems), for a Windows program without the saver's other resources.
function(vc_manifest target)
  set(res ${CMAKE_SOURCE_DIR}/res)
  target_sources(${target} PRIVATE ${res}/Manifest.rc)
  set_source_files_properties(${res}/Manifest.rc PROPERTIES OBJECT_DEPENDS
    "${res}/vomracube.manifest")
  target_include_directories(${target} PRIVATE ${res})
endfunction()
