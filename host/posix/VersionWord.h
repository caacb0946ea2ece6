// The version word that GetVersion gives for a version of Windows: the major
// version in the low byte, the minor in the next; the Windows 95 family and
// Win32s set the top bit. The program reads the major version alone.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

inline std::uint32_t VersionWord(const win::OSVERSIONINFOA& version) {
  const bool nt = version.dwPlatformId == win::kVerPlatformWin32Nt;
  return version.dwMajorVersion | (version.dwMinorVersion << 8) | (nt ? 0 : 0x80000000u);
}
