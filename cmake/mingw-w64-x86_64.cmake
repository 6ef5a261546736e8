# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads
# flavour, which std::thread and GoogleTest need). Test programs run under
# Wine through CTest's cross-compiling emulator, run-under-wine.sh.
#
#   cmake -S . -B build/windows -DQUARNEL_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# With Qt for Windows (scripts/windows-tests.sh), Qt's own toolchain file comes
# first and loads this one:
#
#   -DCMAKE_TOOLCHAIN_FILE=<qt>/lib/cmake/Qt6/qt.toolchain.cmake
#   -DQT_CHAINLOAD_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUARNEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUARNEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARNEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARNEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUARNEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Which programs link the C++ runtime statically: ProjectOptions.cmake.

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
