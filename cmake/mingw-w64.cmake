# What the two Windows toolchain files share. Each sets LINEWRIGHT_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10)

# The posix thread model: std::thread and std::mutex need it; the win32 one has neither.
set(CMAKE_C_COMPILER ${LINEWRIGHT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LINEWRIGHT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LINEWRIGHT_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${LINEWRIGHT_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${LINEWRIGHT_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${LINEWRIGHT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in, the C++ runtime and the thread library too, so that an executable needs
# no DLL beyond the system's and runs from a copied folder on a bare Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Release programs without their symbol tables: a few hundred kilobytes instead of a megabyte.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
