# 64-bit Windows (PE32+) with Debian's MinGW-w64:
#   cmake -S . -B build/windows/x64-build --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VEXMOOR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
