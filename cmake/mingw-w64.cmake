# Cross-compiling for Windows with mingw-w64. TXINFUPD_MINGW_ARCH picks the
# processor: i686 (the executable for Windows 95 and NT) or x86_64 (runs
# under wine64 for the tests). mingw-i686.cmake and mingw-x86_64.cmake set it.
set(TXINFUPD_MINGW_ARCH "${TXINFUPD_MINGW_ARCH}" CACHE STRING "mingw-w64 processor: i686 or x86_64")
if(NOT TXINFUPD_MINGW_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "TXINFUPD_MINGW_ARCH must be i686 or x86_64, not '${TXINFUPD_MINGW_ARCH}'")
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TXINFUPD_MINGW_ARCH})

set(TXINFUPD_MINGW_TRIPLE ${TXINFUPD_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${TXINFUPD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TXINFUPD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TXINFUPD_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TXINFUPD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every target names the system libraries it uses; the product executable
# must import from no others.
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)

# Programs that use the C runtime (the tests) carry it inside, so that wine
# needs no mingw DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
