# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model,
# so std::thread and std::mutex work). Libraries built by
# scripts/windows-deps.sh live under QUORVEL_WINDOWS_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORVEL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORVEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORVEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORVEL_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${QUORVEL_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUORVEL_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

if(NOT QUORVEL_WINDOWS_PREFIX)
  if(DEFINED ENV{QUORVEL_WINDOWS_PREFIX})
    set(QUORVEL_WINDOWS_PREFIX $ENV{QUORVEL_WINDOWS_PREFIX})
  else()
    get_filename_component(QUORVEL_WINDOWS_PREFIX ${CMAKE_CURRENT_LIST_DIR}/../.windows/prefix ABSOLUTE)
  endif()
endif()
# Try-compile projects see the toolchain file again; hand the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVEL_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORVEL_MINGW_TRIPLET} ${QUORVEL_WINDOWS_PREFIX})
set(CMAKE_PREFIX_PATH ${QUORVEL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must read the prefix's .pc files only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} ${QUORVEL_WINDOWS_PREFIX}/lib/pkgconfig:${QUORVEL_WINDOWS_PREFIX}/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Test programs run under Wine on the build machine.
find_program(QUORVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUORVEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEL_WINE})
endif()
