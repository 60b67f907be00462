# Cross build for i686 Windows with MinGW-w64 from a Linux host: the
# compilers, windres, and a find root that keeps host libraries out. The
# top-level build links the C and C++ runtimes statically, so the .scr
# needs no DLL beside it.
#
# The top-level build computes doubles with SSE2 on this target, as on
# x86_64 (-msse2 -mfpmath=sse): on the x87 unit, which the runtime leaves
# at 64-bit precision, intermediate values would keep extra bits and the
# outline samples would round differently from the x86_64 build. The price
# is a Pentium 4 or later (every CPU Windows 8 runs on). Windows calls back
# with the stack aligned to 4 bytes only, so functions that keep SSE values
# on the stack realign it (-mstackrealign). tests/win32 checks the result.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_mingw_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
