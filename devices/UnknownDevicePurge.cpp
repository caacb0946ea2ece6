#include "devices/UnknownDevicePurge.h"

#include "base/Text.h"

namespace {

using namespace registry_codes;

// Both buffers of a visit hold 255 bytes; a name's buffer includes its
// terminating zero.
constexpr std::uint32_t kNameBufferSize = 255;
constexpr std::uint32_t kValueBufferSize = 255;

constexpr char kClassValueName[] = "Class";
constexpr char kUnknownClass[] = "Unknown";
constexpr std::uint32_t kUnknownClassLength = sizeof kUnknownClass - 1;

// The text is what the value holds up to its first zero byte, or all of the
// returned bytes when there is none: a value that fills the buffer without
// a terminator is never read past its end.
bool SpellsUnknown(const std::uint8_t* value, std::uint32_t size) {
  std::uint32_t length = 0;
  while (length < size && value[length] != 0) ++length;
  if (length != kUnknownClassLength) return false;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (LowerAscii(static_cast<char>(value[i])) != LowerAscii(kUnknownClass[i])) return false;
  }
  return true;
}

// The type of the value is not examined: whatever its bytes spell counts.
bool HasUnknownClass(RegistryServices& registry, win::HKEY key) {
  std::uint8_t value[kValueBufferSize];
  value[0] = 0;
  std::uint32_t size = kValueBufferSize;
  std::uint32_t type = 0;
  if (registry.RegQueryValueExA(key, kClassValueName, nullptr, &type, value, &size) != kSuccess) {
    return false;
  }
  return SpellsUnknown(value, size < kValueBufferSize ? size : kValueBufferSize);
}

std::int32_t VisitKey(RegistryServices& registry, win::HKEY parent, const char* keyName,
                      bool* deleted);

// After a subkey has been deleted the host moves the next one into its
// index, so that index is asked for again. A name too long for the buffer
// is skipped: the part that fits could be the name of another key.
void VisitSubkeys(RegistryServices& registry, win::HKEY key) {
  std::uint32_t index = 0;
  for (;;) {
    char name[kNameBufferSize];
    name[0] = '\0';
    std::uint32_t nameSize = kNameBufferSize;
    win::FILETIME lastWrite{};
    const std::int32_t result =
        registry.RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, &lastWrite);
    if (result == kMoreData || (result == kSuccess && nameSize >= kNameBufferSize)) {
      ++index;
      continue;
    }
    if (result != kSuccess) return;
    name[nameSize] = '\0';
    bool deleted = false;
    VisitKey(registry, key, name, &deleted);
    if (!deleted) ++index;
  }
}

// One visit: sweeps the key's subkeys, then tests the key itself and
// deletes it by its name below `parent` while it is still open. `deleted`
// tells whether the host removed it.
std::int32_t VisitKey(RegistryServices& registry, win::HKEY parent, const char* keyName,
                      bool* deleted) {
  *deleted = false;
  if (keyName == nullptr || keyName[0] == '\0') return kInvalidParameter;
  win::HKEY key = nullptr;
  const std::int32_t opened = registry.RegOpenKeyExA(parent, keyName, 0, win::kKeyAllAccess, &key);
  if (opened != kSuccess) return opened;
  VisitSubkeys(registry, key);
  if (HasUnknownClass(registry, key))
    *deleted = registry.RegDeleteKeyA(parent, keyName) == kSuccess;
  return registry.RegCloseKey(key);
}

}  // namespace

std::int32_t PurgeUnknownDevices(RegistryServices& registry, win::HKEY parent,
                                 const char* keyName) {
  bool deleted = false;
  return VisitKey(registry, parent, keyName, &deleted);
}
