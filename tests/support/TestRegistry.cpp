#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

std::string EnumerationFailure(std::int32_t code) { return "<" + std::to_string(code) + ">"; }

std::string SubkeyAt(RegistryServices& registry, win::HKEY key, std::uint32_t index) {
  char name[256];
  std::uint32_t size = sizeof name;
  const std::int32_t status =
      registry.RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
  if (status != 0) return EnumerationFailure(status);
  EXPECT_EQ(size, std::strlen(name));
  return name;
}
