// A scratch key for the registry's contract, with the registry behind it:
// natively a memory registry of the family asked for; in the Windows builds
// the real registry, whose family is the host's. The scratch key lies below
// HKEY_CURRENT_USER and goes away with all it holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/RegistryServices.h"

class TestRegistry {
 public:
  enum class Family { kWindows95, kNt };

  // The families the scratch registry can be: both natively, the family
  // that the running Windows reports on Windows.
  static std::vector<Family> Families();

  explicit TestRegistry(Family family);
  ~TestRegistry();
  TestRegistry(const TestRegistry&) = delete;
  TestRegistry& operator=(const TestRegistry&) = delete;

  RegistryServices& Registry();
  // The scratch key's path below HKEY_CURRENT_USER.
  const std::string& Path() const;
  // Makes a key below the scratch key, with the levels it needs, and gives
  // it a "Class" text value when one is given.
  void MakeKey(const std::string& path, const char* classValue = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// How SubkeyAt tells a failed enumeration: "<code>".
std::string EnumerationFailure(std::int32_t code);

// The name of the subkey at `index`, or EnumerationFailure(code) when the
// enumeration fails.
std::string SubkeyAt(RegistryServices& registry, win::HKEY key, std::uint32_t index);
