# 64-bit Windows executables with MinGW-w64; the tests run under Wine (wine64).
set(LINEWRIGHT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
