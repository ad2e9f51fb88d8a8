# Cross-compiles the Windows build with MinGW-w64 (i686, win32 threads).
set(CMAKE_SYSTEM_PROCESSOR X86)
set(VORNIX_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-win32-threads.cmake)
