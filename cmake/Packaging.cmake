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
# Only the programs and their files; a test or benchmark target never installs anything.
include(CPack)
