// Registry helpers for tests on the POSIX host: the scratch host, a builder
// of the trees that the tests plant in its memory registry, and a wrapper
// that records the registry calls that it hands on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/HostWrapper.h"
#include "support/ScratchHostPosix.h"

// A key of a fixture tree by its path below HKEY_LOCAL_MACHINE, with the
// text of its "Class" value when it has one.
struct FixtureKey {
  std::string path;
  std::optional<std::string> classText = std::nullopt;
};
using FixtureTree = std::vector<FixtureKey>;

// Empties the registry and plants the keys in the order given, with the
// levels they need; a "Class" text is stored as regedit stores it, with its
// terminating zero.
void PlantTree(MemoryRegistry& registry, const FixtureTree& tree);

// Records registry calls as "open HKLM\Enum\PCI", "delete HKLM\Enum\PCI\A",
// "close HKLM\Enum\PCI", "query HKLM\Enum\PCI Class", "enum HKLM\Enum\PCI 0"
// (keys named by full path, roots as HKLM and HKCU; an empty subkey name
// shows as a trailing backslash), followed by " -> N"
// when the call answered N other than ERROR_SUCCESS. Put it over a
// fault-injecting host to see the faults planted there as the caller did.
class RegistryCallLog : public HostWrapper<ForwardingRegistry> {
 public:
  explicit RegistryCallLog(HostServices& inner);

  const std::vector<std::string>& Calls() const { return calls_; }
  // The calls of one verb ("open", "delete", ...), without the verb.
  std::vector<std::string> CallsOf(const std::string& verb) const;

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

 private:
  std::string PathOf(win::HKEY key) const;
  static std::string Join(const std::string& parent, const char* subKey);
  std::int32_t Record(const std::string& call, std::int32_t result);

  std::vector<std::string> calls_;
  std::map<win::HKEY, std::string> paths_;
};
