// The registry of the host: opening, enumerating, reading and deleting keys,
// with the arguments and return codes of the Win32 calls of the same names.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

// What the registry's calls answer: an error code, as a signed 32-bit value.
namespace registry_codes {
constexpr std::int32_t Code(std::uint32_t error) { return static_cast<std::int32_t>(error); }
constexpr std::int32_t kSuccess = Code(win::kErrorSuccess);
constexpr std::int32_t kFileNotFound = Code(win::kErrorFileNotFound);
constexpr std::int32_t kAccessDenied = Code(win::kErrorAccessDenied);
constexpr std::int32_t kInvalidHandle = Code(win::kErrorInvalidHandle);
constexpr std::int32_t kNotEnoughMemory = Code(win::kErrorNotEnoughMemory);
constexpr std::int32_t kInvalidParameter = Code(win::kErrorInvalidParameter);
constexpr std::int32_t kMoreData = Code(win::kErrorMoreData);
constexpr std::int32_t kNoMoreItems = Code(win::kErrorNoMoreItems);
constexpr std::int32_t kKeyDeleted = 1018;
}  // namespace registry_codes

class RegistryServices {
 public:
  virtual std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                                     std::uint32_t access, win::HKEY* result) = 0;
  virtual std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                     std::uint32_t* nameSize, std::uint32_t* reserved,
                                     char* className, std::uint32_t* classSize,
                                     win::FILETIME* lastWrite) = 0;
  virtual std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* dataSize) = 0;
  virtual std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) = 0;
  virtual std::int32_t RegCloseKey(win::HKEY key) = 0;

 protected:
  // Realisations are never deleted through the facet.
  ~RegistryServices() = default;
};
