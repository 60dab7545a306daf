# Cross-compiling for 64-bit Windows with MinGW-w64 (x86_64-w64-mingw32). Never shipped: it
# exists to run the Windows build under a 64-bit-only Wine, on hosts whose kernel cannot run
# 32-bit programs and so cannot run the 32-bit Wine loader.
set(TESSIV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
