# The Debian package: both programs, the desktop entry, the icons and the manual pages, with the
# shared-library dependencies that dpkg-shlibdeps finds in the installed programs.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "linewright")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Linewright developers")
set(CPACK_PACKAGE_CONTACT "Linewright developers <linewright@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count the FIXME lines, code and comments of source files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Linewright lists every matching source file of the given directories with the lines\n"
    "that mention FIXME, code occurrences, comment openings and counted lines, in a window\n"
    "(linewright) or on the command line (linewright-count).")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
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
