# Tests of a Windows build made on Linux: GoogleTest compiled from Debian's sources with the cross
# compiler, and every test program run through wine64 in a Wine prefix inside the build folder.

set(LINEWRIGHT_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest's sources (Debian's googletest package)")
if(NOT EXISTS ${LINEWRIGHT_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${LINEWRIGHT_GOOGLETEST_SOURCE}: "
                      "install Debian's googletest package (scripts/install-deps)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${LINEWRIGHT_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
                 EXCLUDE_FROM_ALL SYSTEM)
# Someone else's code: its warnings are not ours to fix. It names its targets GTest::gtest and
# GTest::gtest_main itself, as the installed package does.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

find_program(LINEWRIGHT_WINE64 wine64 HINTS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(LINEWRIGHT_WINESERVER wineserver HINTS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT LINEWRIGHT_WINE64 OR NOT LINEWRIGHT_WINESERVER)
  message(FATAL_ERROR "The Windows tests run under Wine: install Debian's wine64 package "
                      "(scripts/install-deps), or configure with LINEWRIGHT_TESTS=OFF")
endif()

set(LINEWRIGHT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(LINEWRIGHT_WINE_ENVIRONMENT
    WINEPREFIX=${LINEWRIGHT_WINE_PREFIX}
    WINEDEBUG=-all
    WINE64=${LINEWRIGHT_WINE64}
    WINESERVER=${LINEWRIGHT_WINESERVER})
# add_test() puts this in front of every test program that is a target of the build.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env ${LINEWRIGHT_WINE_ENVIRONMENT} ${LINEWRIGHT_WINE64})

# The prefix and its server, once for each CTest run: created before the first Windows test and
# ended after the last one.
set(prefix_script ${PROJECT_SOURCE_DIR}/tests/wine/prefix.sh)
add_test(NAME wine_prefix_setup COMMAND ${prefix_script} setup ${LINEWRIGHT_WINE_PREFIX})
add_test(NAME wine_prefix_cleanup COMMAND ${prefix_script} cleanup ${LINEWRIGHT_WINE_PREFIX})
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
                     ENVIRONMENT "WINE64=${LINEWRIGHT_WINE64};WINESERVER=${LINEWRIGHT_WINESERVER}")
set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60
                     ENVIRONMENT "WINE64=${LINEWRIGHT_WINE64};WINESERVER=${LINEWRIGHT_WINESERVER}")

# A Japanese ANSI code page: Wine takes the code page from the locale's name and the file names
# character set from the C library, so the locale is compiled into the build folder (no root
# needed) and named with LOCPATH.
set(LINEWRIGHT_LOCALES ${CMAKE_BINARY_DIR}/locales)
file(MAKE_DIRECTORY ${LINEWRIGHT_LOCALES})
add_test(NAME japanese_locale_setup
         COMMAND localedef -i ja_JP -f UTF-8 ${LINEWRIGHT_LOCALES}/ja_JP.UTF-8)
set_tests_properties(japanese_locale_setup PROPERTIES FIXTURES_SETUP japanese_locale)
set(LINEWRIGHT_JAPANESE_ENVIRONMENT "LOCPATH=${LINEWRIGHT_LOCALES};LC_ALL=ja_JP.UTF-8")
# UTF-8 as the ANSI code page without a manifest that asks for it: Wine gives it to a locale whose
# Windows counterpart has no ANSI code page, such as Hindi (en_US.UTF-8 or C.UTF-8 give 1252).
add_test(NAME utf8_locale_setup
         COMMAND localedef -i hi_IN -f UTF-8 ${LINEWRIGHT_LOCALES}/hi_IN.UTF-8)
set_tests_properties(utf8_locale_setup PROPERTIES FIXTURES_SETUP utf8_locale)
set(LINEWRIGHT_UTF8_ENVIRONMENT "LOCPATH=${LINEWRIGHT_LOCALES};LC_ALL=hi_IN.UTF-8")

# A GoogleTest program as one CTest test: one Wine start for all its cases, not one per case.
function(linewright_add_gtest target)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
endfunction()
