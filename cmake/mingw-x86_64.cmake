# Cross-compiles for 64-bit Windows with Debian's posix-thread mingw-w64 GCC.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
