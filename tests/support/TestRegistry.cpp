#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

std::string SubkeyAt(RegistryServices& registry, win::HKEY key, std::uint32_t index) {
  char name[256];
  std::uint32_t size = sizeof name;
  const std::int32_t status =
      registry.RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
  if (status != 0) return "<" + std::to_string(status) + ">";
  EXPECT_EQ(size, std::strlen(name));
  return name;
}
