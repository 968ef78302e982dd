# Gives a Windows executable its version record (the project's version with a fourth part 0) and
# its manifest, compiled in by the resource compiler.
#   linewright_windows_resources(TARGET DESCRIPTION "text" MANIFEST path/to/file.manifest)
function(linewright_windows_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;MANIFEST" "")
  set(LW_RC_FILENAME "${target}.exe")
  set(LW_RC_INTERNAL_NAME "${target}")
  set(LW_RC_DESCRIPTION "${arg_DESCRIPTION}")
  set(LW_RC_MANIFEST "${arg_MANIFEST}")
  set(LW_RC_VERSION_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(LW_RC_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  # The rights line is LICENSE's, so that the record and the licence never disagree.
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE LW_RC_COPYRIGHT REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
  if(NOT LW_RC_COPYRIGHT)
    message(FATAL_ERROR "LICENSE has no copyright line")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # The resource compiler does not see the manifest as a dependency of its own.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${arg_MANIFEST})
endfunction()
