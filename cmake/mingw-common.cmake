# Shared body of the MinGW-w64 toolchain files: the compilers, windres, and
# a find root that keeps host libraries out. The including file sets
# CMAKE_SYSTEM_PROCESSOR and _mingw_prefix first.
set(CMAKE_SYSTEM_NAME Windows)

find_program(_mingw_cc NAMES ${_mingw_prefix}-gcc-win32 ${_mingw_prefix}-gcc ${_mingw_prefix}-gcc-posix REQUIRED)
find_program(_mingw_cxx NAMES ${_mingw_prefix}-g++-win32 ${_mingw_prefix}-g++ ${_mingw_prefix}-g++-posix REQUIRED)
find_program(_mingw_rc NAMES ${_mingw_prefix}-windres REQUIRED)
set(CMAKE_C_COMPILER ${_mingw_cc})
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
set(CMAKE_RC_COMPILER ${_mingw_rc})

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw_prefix})
# pkg-config must not hand out the host's libraries: only the target's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${_mingw_prefix}/lib/pkgconfig:/usr/lib/${_mingw_prefix}/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
