# mingw-w64 for x86-64: the build whose tests run under wine64.
set(TXINFUPD_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
