# Cross-compiles for 32-bit Windows with Debian's posix-thread mingw-w64 GCC: the program that
# carries the 64-bit build.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
