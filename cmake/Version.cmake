# The project's version (project() in the top-level CMakeLists) for the code and the
# resources: VomraCubeVersion.h in ${VC_GENERATED} for the About box and the maker, and
# vc_version_resource() for the VERSIONINFO resource of each Windows program.
set(VC_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(VC_VERSION_TEXT ${PROJECT_VERSION})
set(VC_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
configure_file(${CMAKE_SOURCE_DIR}/res/VomraCubeVersion.h.in
               ${VC_GENERATED}/VomraCubeVersion.h @ONLY)

# vc_version_resource(<target> <file name> <description>): the program's version resource,
# which Windows shows in the file's properties.
function(vc_version_resource target file_name description)
  set(VC_FILE_NAME ${file_name})
  set(VC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/res/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
