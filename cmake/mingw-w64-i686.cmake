# 32-bit Windows (PE32) with Debian's MinGW-w64:
#   cmake -S . -B build/windows/x86-build --toolchain cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VEXMOOR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
