# The Debian package: both programs, the desktop entry, the AppStream metadata, the icons, the
# manual pages, the copyright file and the changelog, with the shared-library dependencies that
# dpkg-shlibdeps finds in the installed programs. `cmake --install` installs the same files.
set(LINEWRIGHT_HOME_PAGE "https://www.ferrowick.example/")
set(LINEWRIGHT_CONTACT "Linewright developers <linewright@ferrowick.example>")
set(linewright_docdir "${CMAKE_INSTALL_DATADIR}/doc/linewright")

# LICENSE is the one source of the licence: the copyright file takes its holder line and quotes
# its permission text, in the machine-readable format Debian uses (continuation lines indented by
# one space, an empty line written as " .").
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" linewright_license)
if(NOT linewright_license MATCHES "Copyright \\(c\\) ([^\n]+)")
  message(FATAL_ERROR "LICENSE has no copyright line")
endif()
set(LINEWRIGHT_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${linewright_license}" "Permission is hereby granted" linewright_permission)
string(SUBSTRING "${linewright_license}" ${linewright_permission} -1 linewright_license)
string(STRIP "${linewright_license}" linewright_license)
string(REPLACE "\n\n" "\n.\n" linewright_license "${linewright_license}")
string(REPLACE "\n" "\n " LINEWRIGHT_LICENSE_TEXT " ${linewright_license}")
configure_file(cmake/debian/copyright.in "${PROJECT_BINARY_DIR}/copyright" @ONLY)
if(UNIX)
  install(FILES "${PROJECT_BINARY_DIR}/copyright" DESTINATION ${linewright_docdir})
endif()

# Manual pages and the changelog go compressed, as Debian's policy asks; -n keeps the output
# the same from build to build.
if(UNIX)
  find_program(GZIP_PROGRAM gzip REQUIRED)
  set(linewright_compressed "")
  foreach(source doc/linewright.1 doc/linewright-count.1 cmake/debian/changelog)
    get_filename_component(name "${source}" NAME)
    set(output "${PROJECT_BINARY_DIR}/compressed/${name}.gz")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/compressed"
      COMMAND ${GZIP_PROGRAM} -9 -n -c "${PROJECT_SOURCE_DIR}/${source}" > "${output}"
      DEPENDS "${PROJECT_SOURCE_DIR}/${source}"
      VERBATIM)
    list(APPEND linewright_compressed "${output}")
  endforeach()
  add_custom_target(linewright_compressed_docs ALL DEPENDS ${linewright_compressed})
  install(FILES "${PROJECT_BINARY_DIR}/compressed/linewright.1.gz"
                "${PROJECT_BINARY_DIR}/compressed/linewright-count.1.gz"
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES "${PROJECT_BINARY_DIR}/compressed/changelog.gz" DESTINATION ${linewright_docdir})
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "linewright")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Linewright developers")
set(CPACK_PACKAGE_CONTACT "${LINEWRIGHT_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count the FIXME lines, code and comments of source files")
# One text: several arguments would make a list, and the list's ";" would begin the lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Linewright lists every matching source file of the given directories with the
lines that mention FIXME, code occurrences, comment openings and counted lines,
in a window (linewright) or on the command line (linewright-count).")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LINEWRIGHT_HOME_PAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libgit2 is loaded when first used, so the libraries' scan does not see it: its package, named
# after its soname as Debian names library packages (libgit2.so.1.5: libgit2-1.5), is added.
if(LINEWRIGHT_LIBGIT2_SONAME MATCHES "^lib(.+)\\.so\\.(.+)$")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "lib${CMAKE_MATCH_1}-${CMAKE_MATCH_2}")
endif()
set(CPACK_STRIP_FILES ON)

# On Windows a zip of one folder: the programs, README.md and LICENSE, unpacked anywhere and run
# from there (the programs need no DLL beyond the system's).
if(WIN32)
  set(CPACK_GENERATOR "ZIP")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME "linewright-${PROJECT_VERSION}-win64")
  else()
    set(CPACK_PACKAGE_FILE_NAME "linewright-${PROJECT_VERSION}-win32")
  endif()
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()

# Only the programs and their files; a test or benchmark target never installs anything.
include(CPack)
