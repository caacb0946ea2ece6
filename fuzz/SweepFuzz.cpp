// The unknown-device sweep on random registry trees below Enum\PCI, with a
// sibling tree beside it, "Class" values of every type and length, names of
// up to 300 characters, in either flavour of delete. Afterwards the tree is
// exactly what the rules leave: a key whose "Class" spells "Unknown" in any
// letter case (up to its first zero byte, within 255 bytes) is deleted with
// its subkeys (Windows 95) or when it has no subkeys left (NT); a key whose
// name does not fit the 255-character buffer is not visited; every other
// key remains. No key is left open.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FuzzMachine.h"
#include "devices/UnknownDevicePurge.h"

namespace {

using Flavour = MemoryRegistry::Flavour;

constexpr std::size_t kMostKeys = 80;
constexpr std::size_t kNameBufferSize = 255;
constexpr std::size_t kValueBufferSize = 255;
const std::string kStart = "HKEY_LOCAL_MACHINE\\Enum\\PCI";

struct Key {
  std::string path;
  std::string name;
  std::size_t parent;
  bool unknown = false;
  std::vector<std::size_t> children;
};

bool SpellsUnknown(const std::string& bytes) {
  if (bytes.size() > kValueBufferSize) return false;
  return fuzz::Folded(bytes.substr(0, bytes.find('\0'))) == "unknown";
}

std::string RandomCaseUnknown(FuzzedDataProvider& input) {
  std::string text = "Unknown";
  for (char& c : text)
    c = input.ConsumeBool() ? static_cast<char>(std::toupper(c))
                            : static_cast<char>(std::tolower(c));
  return text;
}

std::string KeyName(FuzzedDataProvider& input) {
  std::string name;
  switch (input.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      name = std::string(input.ConsumeIntegralInRange<std::size_t>(250, 300), 'L');
      break;
    default:
      name = input.ConsumeRandomLengthString(12);
  }
  for (char& c : name) {
    if (c == '\\' || c == '\0') c = '_';
  }
  return name.empty() ? "k" : name;
}

// A "Class" value: text, or bytes of another type, often spelling "Unknown"
// in some letter case, with or without a terminator and garbage after it.
// Gives the bytes stored.
std::string SetClass(FuzzedDataProvider& input, MemoryRegistry& registry, const std::string& path) {
  static const std::uint32_t kTypes[] = {win::kRegSz, win::kRegBinary, win::kRegDword,
                                         win::kRegMultiSz};
  std::string bytes;
  if (input.ConsumeBool()) {
    bytes = RandomCaseUnknown(input);
    if (input.ConsumeBool()) bytes += std::string(1, '\0') + input.ConsumeRandomLengthString(8);
    if (input.ConsumeBool()) {
      bytes += std::string(input.ConsumeIntegralInRange<std::size_t>(0, 260), 'x');
    }
  } else {
    bytes = input.ConsumeRandomLengthString(300);
  }
  const std::uint32_t type = kTypes[input.ConsumeIntegralInRange<std::size_t>(0, 3)];
  registry.SetValue(path, input.ConsumeBool() ? "Class" : "CLASS", type, bytes);
  return bytes;
}

// The keys left by the rules, by folded path.
void Expect(const std::vector<Key>& keys, std::size_t at, bool visited, Flavour flavour,
            std::set<std::string>& left) {
  const Key& key = keys[at];
  const bool visits = visited && key.name.size() < kNameBufferSize;
  std::set<std::string> below;
  for (const std::size_t child : key.children) Expect(keys, child, visits, flavour, below);
  const bool deleted = visits && key.unknown && (flavour == Flavour::kWindows95 || below.empty());
  if (deleted) return;
  left.insert(fuzz::Folded(key.path));
  left.insert(below.begin(), below.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  fuzz::FuzzMachine& machine = fuzz::FuzzMachine::Instance();
  MemoryRegistry& registry = machine.Host().Registry();
  registry.Clear();
  const Flavour flavour = input.ConsumeBool() ? Flavour::kNt : Flavour::kWindows95;
  registry.SetFlavour(flavour);
  registry.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\Unknown");
  registry.SetValue("HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\Unknown", "Class", win::kRegSz, "Unknown");

  std::vector<Key> keys = {Key{kStart, "PCI", 0, false, {}}};
  registry.CreateKey(kStart);
  std::map<std::string, std::size_t> byFoldedPath = {{fuzz::Folded(kStart), 0}};
  while (input.remaining_bytes() > 0 && keys.size() < kMostKeys) {
    const auto parent = input.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1);
    const std::string name = KeyName(input);
    const std::string path = keys[parent].path + "\\" + name;
    const auto [found, added] = byFoldedPath.emplace(fuzz::Folded(path), keys.size());
    const std::size_t at = found->second;
    if (added) {
      if (!registry.CreateKey(path)) {
        byFoldedPath.erase(found);
        continue;
      }
      keys.push_back(Key{path, name, parent, false, {}});
      keys[parent].children.push_back(at);
    }
    if (input.ConsumeBool()) {
      keys[at].unknown = SpellsUnknown(SetClass(input, registry, keys[at].path));
    }
  }
  std::set<std::string> expected = {fuzz::Folded("HKEY_LOCAL_MACHINE\\Enum"),
                                    fuzz::Folded("HKEY_LOCAL_MACHINE\\Enum\\ISAPNP"),
                                    fuzz::Folded("HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\Unknown")};
  Expect(keys, 0, true, flavour, expected);

  PurgeUnknownDevices(machine.Host().registry, win::HkeyLocalMachine(), "Enum\\PCI");
  std::set<std::string> left;
  for (const std::string& path : registry.KeyPaths()) left.insert(fuzz::Folded(path));
  fuzz::Require(left == expected, "the sweep leaves exactly the keys the rules keep");
  fuzz::Require(registry.OpenHandleCount() == 0, "no key is left open");
  return 0;
}
