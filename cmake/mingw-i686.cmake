# Cross-compiling for 32-bit Windows with MinGW-w64 (i686-w64-mingw32), the shipped target.
#
# TESSIV_MINGW_THREADS picks the compiler's thread model:
#   win32 (default): the shipped executable. Its runtime uses no Windows call newer than XP.
#   posix: the test executables. GoogleTest needs std::mutex, which only the posix model has;
#          its winpthreads runtime imports GetTickCount64, which Windows XP lacks, so nothing
#          built this way is shipped.
if(NOT TESSIV_MINGW_PREFIX)
  set(TESSIV_MINGW_PREFIX i686-w64-mingw32)
  set(CMAKE_SYSTEM_PROCESSOR i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 5.1)

set(TESSIV_MINGW_THREADS "win32" CACHE STRING "Thread model of the MinGW compiler: win32 or posix")
set_property(CACHE TESSIV_MINGW_THREADS PROPERTY STRINGS win32 posix)
# Try-compile projects see the choice too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSIV_MINGW_THREADS)

set(CMAKE_C_COMPILER ${TESSIV_MINGW_PREFIX}-gcc-${TESSIV_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${TESSIV_MINGW_PREFIX}-g++-${TESSIV_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${TESSIV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSIV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables are Windows programs: ctest runs them through Wine. The 64-bit loader is
# called directly, as the wine script would pick the 32-bit one whenever it is installed.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  find_program(TESSIV_WINE wine)
  if(TESSIV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSIV_WINE})
  endif()
endif()
