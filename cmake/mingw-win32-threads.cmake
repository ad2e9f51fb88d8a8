# What both MinGW-w64 toolchain files share; each sets VORNIX_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR, then includes this.
#
# The win32 thread model keeps the executables loadable on Windows 2000 and XP:
# the posix model's libstdc++ pulls in winpthreads, which imports
# GetTickCount64 (Vista) and, on i686, the vectored exception handler
# functions (XP). Tests run under Wine through scripts/wine-run.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VORNIX_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VORNIX_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${VORNIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORNIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
