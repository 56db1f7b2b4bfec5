# Cross-compiling layrix.exe for Windows (x86_64) with MinGW-w64
# (Debian package g++-mingw-w64-x86-64):
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LAYRIX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LAYRIX_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${LAYRIX_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${LAYRIX_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW-w64 tree only; programs run on the build host.
set(CMAKE_FIND_ROOT_PATH /usr/${LAYRIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

