// A registry held as an in-memory tree, loadable from and savable to a
// REGEDIT4 .reg text file. Subkeys are renumbered after a delete.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

class MemoryRegistry {
 public:
  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result);
  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite);
  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);
  std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey);
  std::int32_t RegCloseKey(win::HKEY key);
};
