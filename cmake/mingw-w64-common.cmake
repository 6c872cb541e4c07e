# Shared by the two MinGW-w64 toolchain files, which set VEXMOOR_MINGW_TRIPLE
# first. The -posix compilers are the ones whose libstdc++ has std::thread
# and std::mutex (the -win32 ones have neither).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VEXMOOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXMOOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXMOOR_MINGW_TRIPLE}-windres)

# Headers and libraries come from the cross toolchain only; programs (the
# media generator's output is copied, not run) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VEXMOOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in (libstdc++, libgcc, winpthread), so that a program
# imports only Windows' own DLLs and runs from wherever it is copied.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs what it built under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
