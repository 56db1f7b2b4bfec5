# Cross-compiling layrix.exe for Windows (i686) with MinGW-w64
# (Debian package g++-mingw-w64-i686):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(LAYRIX_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LAYRIX_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${LAYRIX_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${LAYRIX_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW-w64 tree only; programs run on the build host.
set(CMAKE_FIND_ROOT_PATH /usr/${LAYRIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

