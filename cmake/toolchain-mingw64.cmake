# Cross-compiles the Windows build with MinGW-w64 (x86_64, win32 threads).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VORNIX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-win32-threads.cmake)
