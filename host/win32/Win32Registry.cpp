#include "host/win32/Win32Registry.h"

#include <cstddef>
#include <cstdint>

#include "host/win32/Win32Records.h"
#include "host/win32/WindowsApi.h"

std::int32_t Win32Registry::RegOpenKeyExA(win::HKEY parent, const char* subKey,
                                          std::uint32_t options, std::uint32_t access,
                                          win::HKEY* result) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(As<HKEY>(parent), subKey, options, access, &opened);
  if (result) *result = As<win::HKEY>(opened);
  return status;
}

std::int32_t Win32Registry::RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                          std::uint32_t* nameSize, std::uint32_t* reserved,
                                          char* className, std::uint32_t* classSize,
                                          win::FILETIME* lastWrite) {
  DwordArgument nameLength(nameSize);
  DwordArgument reservedWord(reserved);
  DwordArgument classLength(classSize);
  return ::RegEnumKeyExA(As<HKEY>(key), index, name, nameLength.Get(), reservedWord.Get(),
                         className, classLength.Get(), reinterpret_cast<::FILETIME*>(lastWrite));
}

std::int32_t Win32Registry::RegQueryValueExA(win::HKEY key, const char* valueName,
                                             std::uint32_t* reserved, std::uint32_t* type,
                                             std::uint8_t* data, std::uint32_t* dataSize) {
  DwordArgument reservedWord(reserved);
  DwordArgument valueType(type);
  DwordArgument dataLength(dataSize);
  return ::RegQueryValueExA(As<HKEY>(key), valueName, reservedWord.Get(), valueType.Get(), data,
                            dataLength.Get());
}

std::int32_t Win32Registry::RegDeleteKeyA(win::HKEY parent, const char* subKey) {
  return ::RegDeleteKeyA(As<HKEY>(parent), subKey);
}

std::int32_t Win32Registry::RegCloseKey(win::HKEY key) { return ::RegCloseKey(As<HKEY>(key)); }
