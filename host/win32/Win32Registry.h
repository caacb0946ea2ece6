// The Win32 realisation of the host's registry: each operation is the ANSI
// Win32 call of the same name.
#pragma once

#include <cstdint>

#include "host/RegistryServices.h"

class Win32Registry final : public RegistryServices {
 public:
  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result) override;
  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite) override;
  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) override;
  std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) override;
  std::int32_t RegCloseKey(win::HKEY key) override;
};
