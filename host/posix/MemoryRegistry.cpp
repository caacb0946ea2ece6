// Placeholder until the realisation lands; every call fails.
#include "host/posix/MemoryRegistry.h"

std::int32_t MemoryRegistry::RegOpenKeyExA(win::HKEY, const char*, std::uint32_t, std::uint32_t,
                                           win::HKEY*) {
  return {};
}
std::int32_t MemoryRegistry::RegEnumKeyExA(win::HKEY, std::uint32_t, char*, std::uint32_t*,
                                           std::uint32_t*, char*, std::uint32_t*, win::FILETIME*) {
  return {};
}
std::int32_t MemoryRegistry::RegQueryValueExA(win::HKEY, const char*, std::uint32_t*,
                                              std::uint32_t*, std::uint8_t*, std::uint32_t*) {
  return {};
}
std::int32_t MemoryRegistry::RegDeleteKeyA(win::HKEY, const char*) { return {}; }
std::int32_t MemoryRegistry::RegCloseKey(win::HKEY) { return {}; }
