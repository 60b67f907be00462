# Cross build for i686 Windows with MinGW-w64 from a Linux host: the
# compilers, windres, and a find root that keeps host libraries out. The
# top-level build links the C and C++ runtimes statically, so the .scr
# needs no DLL beside it.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_mingw_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
