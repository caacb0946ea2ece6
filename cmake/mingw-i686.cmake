# mingw-w64 for 32-bit x86: the executable for Windows 95 and Windows NT.
set(TXINFUPD_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# The i686 build is the product executable alone. It runs on the processors
# of TX-chipset boards, the Pentium and Pentium MMX (and their AMD and Cyrix
# peers), which lack the Pentium Pro's conditional moves. It has no
# exceptions to unwind, so it carries no unwind tables.
set(CMAKE_CXX_FLAGS_INIT "-march=pentium -fno-asynchronous-unwind-tables -fno-unwind-tables")
