# 32-bit Windows executables with MinGW-w64. Built and linked only: a machine whose kernel runs
# no 32-bit code cannot run them, not even under Wine.
set(LINEWRIGHT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
