#include "RegistryFixturesPosix.h"

#include <gtest/gtest.h>

using namespace registry_codes;

void PlantTree(MemoryRegistry& registry, const FixtureTree& tree) {
  registry.Clear();
  for (const FixtureKey& key : tree) {
    const std::string path = "HKEY_LOCAL_MACHINE\\" + key.path;
    ASSERT_TRUE(registry.CreateKey(path)) << key.path;
    if (!key.classText) continue;
    ASSERT_TRUE(registry.SetValue(path, "Class", win::kRegSz, *key.classText + '\0')) << key.path;
  }
}

RegistryCallLog::RegistryCallLog(HostServices& inner) : HostWrapper(inner) {
  paths_[win::HkeyLocalMachine()] = "HKLM";
  paths_[win::HkeyCurrentUser()] = "HKCU";
}

std::vector<std::string> RegistryCallLog::CallsOf(const std::string& verb) const {
  std::vector<std::string> found;
  const std::string prefix = verb + " ";
  for (const std::string& call : calls_) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call.substr(prefix.size()));
  }
  return found;
}

std::int32_t RegistryCallLog::RegOpenKeyExA(win::HKEY parent, const char* subKey,
                                            std::uint32_t options, std::uint32_t access,
                                            win::HKEY* result) {
  const std::string path = Join(PathOf(parent), subKey);
  const std::int32_t status =
      ForwardingRegistry::RegOpenKeyExA(parent, subKey, options, access, result);
  if (status == kSuccess) paths_[*result] = path;
  return Record("open " + path, status);
}

std::int32_t RegistryCallLog::RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                            std::uint32_t* nameSize, std::uint32_t* reserved,
                                            char* className, std::uint32_t* classSize,
                                            win::FILETIME* lastWrite) {
  const std::string call = "enum " + PathOf(key) + " " + std::to_string(index);
  return Record(call, ForwardingRegistry::RegEnumKeyExA(key, index, name, nameSize, reserved,
                                                        className, classSize, lastWrite));
}

std::int32_t RegistryCallLog::RegQueryValueExA(win::HKEY key, const char* valueName,
                                               std::uint32_t* reserved, std::uint32_t* type,
                                               std::uint8_t* data, std::uint32_t* dataSize) {
  const std::string call = "query " + PathOf(key) + " " + (valueName ? valueName : "");
  return Record(
      call, ForwardingRegistry::RegQueryValueExA(key, valueName, reserved, type, data, dataSize));
}

std::int32_t RegistryCallLog::RegDeleteKeyA(win::HKEY parent, const char* subKey) {
  const std::string path = Join(PathOf(parent), subKey);
  return Record("delete " + path, ForwardingRegistry::RegDeleteKeyA(parent, subKey));
}

std::int32_t RegistryCallLog::RegCloseKey(win::HKEY key) {
  const std::string path = PathOf(key);
  const std::int32_t status = ForwardingRegistry::RegCloseKey(key);
  if (status == kSuccess && key != win::HkeyLocalMachine() && key != win::HkeyCurrentUser()) {
    paths_.erase(key);
  }
  return Record("close " + path, status);
}

std::string RegistryCallLog::PathOf(win::HKEY key) const {
  const auto found = paths_.find(key);
  return found == paths_.end() ? "?" : found->second;
}

// An empty subkey name shows as a trailing backslash: it names the parent.
std::string RegistryCallLog::Join(const std::string& parent, const char* subKey) {
  if (subKey == nullptr) return parent;
  return parent + "\\" + subKey;
}

std::int32_t RegistryCallLog::Record(const std::string& call, std::int32_t result) {
  calls_.push_back(result == kSuccess ? call : call + " -> " + std::to_string(result));
  return result;
}
