// The in-memory registry's own rules, beyond the registry contract that it
// shares with the real registry: opening by path, handle bookkeeping, value
// types, the set-up calls, and Clear.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/posix/MemoryRegistry.h"
#include "support/RegistryFixturesPosix.h"
#include "support/TestRegistry.h"

namespace {

using ::testing::ElementsAre;
using Flavour = MemoryRegistry::Flavour;

using namespace registry_codes;

const win::HKEY kLocalMachine = win::HkeyLocalMachine();

class MemoryRegistryTest : public ::testing::Test {
 protected:
  void PlantTree(const FixtureTree& tree) { ::PlantTree(registry_, tree); }

  win::HKEY Open(win::HKEY parent, const char* path) {
    win::HKEY key = nullptr;
    EXPECT_EQ(registry_.RegOpenKeyExA(parent, path, 0, win::kKeyAllAccess, &key), kSuccess) << path;
    return key;
  }

  std::string NameAt(win::HKEY key, std::uint32_t index) { return SubkeyAt(registry_, key, index); }

  MemoryRegistry registry_;
};

const FixtureTree kPciTree = {{"Enum\\PCI\\VEN_8086&DEV_7110", "System"},
                              {"Enum\\PCI\\VEN_8086&DEV_7111", "hdc"},
                              {"Enum\\PCI\\VEN_8086&DEV_7112", "Unknown"}};

TEST_F(MemoryRegistryTest, OpensPathsOfSeveralLevelsWithoutRegardToCase) {
  PlantTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "enum\\pci");
  EXPECT_EQ(NameAt(pci, 0), "VEN_8086&DEV_7110");
  const win::HKEY device = Open(pci, "ven_8086&dev_7111");
  const win::HKEY again = Open(kLocalMachine, "ENUM\\PCI\\VEN_8086&DEV_7111");
  EXPECT_NE(device, again);
  EXPECT_EQ(registry_.OpenHandleCount(), 3u);
  for (const win::HKEY key : {pci, device, again}) EXPECT_EQ(registry_.RegCloseKey(key), kSuccess);
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
}

TEST_F(MemoryRegistryTest, OpenFailures) {
  PlantTree(kPciTree);
  struct Case {
    win::HKEY parent;
    const char* path;
    std::int32_t expected;
  };
  const win::HKEY unknownHandle = reinterpret_cast<win::HKEY>(std::uintptr_t{0x4242});
  const Case cases[] = {
      {kLocalMachine, "Enum\\ISAPNP", kFileNotFound},
      {kLocalMachine, "Enum\\PCI\\VEN_8086&DEV_7110\\Sub", kFileNotFound},
      {kLocalMachine, "Enum\\\\PCI", kFileNotFound},
      {kLocalMachine, "Enum\\PCI\\", kFileNotFound},
      {win::HkeyCurrentUser(), "Enum\\PCI", kFileNotFound},
      {unknownHandle, "Enum", kInvalidHandle},
      {nullptr, "Enum", kInvalidHandle},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.path);
    win::HKEY key = unknownHandle;
    EXPECT_EQ(registry_.RegOpenKeyExA(test.parent, test.path, 0, win::kKeyAllAccess, &key),
              test.expected);
    EXPECT_EQ(key, nullptr);
  }
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
}

TEST_F(MemoryRegistryTest, EmptySubkeyNameOpensTheSameKeyAgain) {
  PlantTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  const win::HKEY same = Open(pci, "");
  EXPECT_NE(same, pci);
  EXPECT_EQ(NameAt(same, 2), "VEN_8086&DEV_7112");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
  EXPECT_EQ(registry_.RegCloseKey(same), kSuccess);
}

TEST_F(MemoryRegistryTest, EnumeratesSubkeysInCreationOrderWithTheirSpelling) {
  PlantTree(
      {{"Enum\\PCI\\Zeta"}, {"Enum\\PCI\\alpha"}, {"Enum\\PCI\\ZETA\\Sub"}, {"Enum\\PCI\\Mid"}});
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  EXPECT_EQ(NameAt(pci, 0), "Zeta");
  EXPECT_EQ(NameAt(pci, 1), "alpha");
  EXPECT_EQ(NameAt(pci, 2), "Mid");
  EXPECT_EQ(NameAt(pci, 3), "<259>");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

TEST_F(MemoryRegistryTest, QueryValueRules) {
  const std::string dev = "HKEY_LOCAL_MACHINE\\Enum\\PCI\\DEV";
  ASSERT_TRUE(registry_.SetValue(dev, "Class", win::kRegSz, std::string("Unknown") + '\0'));
  ASSERT_TRUE(registry_.SetValue(dev, "Empty", win::kRegSz, std::string(1, '\0')));
  ASSERT_TRUE(registry_.SetValue(dev, "Raw", win::kRegSz, "Unk"));
  ASSERT_TRUE(registry_.SetValue(dev, "Flags", win::kRegDword, std::string("\x0a\0\0\0", 4)));
  ASSERT_TRUE(registry_.SetValue(dev, "", win::kRegSz, std::string("default") + '\0'));
  const win::HKEY device = Open(kLocalMachine, "Enum\\PCI\\DEV");
  struct Case {
    const char* valueName;
    std::uint32_t bufferSize;
    std::int32_t expected;
    std::uint32_t type;
    std::uint32_t sizeAfter;
    std::string data;  // the buffer's first sizeAfter bytes (or 4 untouched bytes)
  };
  const Case cases[] = {
      {"CLASS", 8, kSuccess, win::kRegSz, 8, std::string("Unknown") + '\0'},
      {"Empty", 255, kSuccess, win::kRegSz, 1, std::string(1, '\0')},
      {"Raw", 255, kSuccess, win::kRegSz, 3, "Unk"},
      {"Flags", 4, kSuccess, win::kRegDword, 4, std::string("\x0a\0\0\0", 4)},
      {"", 255, kSuccess, win::kRegSz, 8, std::string("default") + '\0'},
      {nullptr, 255, kSuccess, win::kRegSz, 8, std::string("default") + '\0'},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.valueName == nullptr ? "(null)" : test.valueName);
    std::uint8_t data[255];
    std::memset(data, '.', sizeof data);
    std::uint32_t size = test.bufferSize;
    std::uint32_t type = 99;
    EXPECT_EQ(registry_.RegQueryValueExA(device, test.valueName, nullptr, &type, data, &size),
              test.expected);
    EXPECT_EQ(type, test.type);
    EXPECT_EQ(size, test.sizeAfter);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), test.data.size()), test.data);
  }
  std::uint32_t size = 0;
  EXPECT_EQ(registry_.RegQueryValueExA(device, "Class", nullptr, nullptr, nullptr, &size),
            kSuccess);
  EXPECT_EQ(size, 8u);
  std::uint8_t data[8];
  EXPECT_EQ(registry_.RegQueryValueExA(device, "Class", nullptr, nullptr, data, nullptr),
            kInvalidParameter);
  EXPECT_EQ(registry_.RegCloseKey(device), kSuccess);
}

TEST_F(MemoryRegistryTest, DeleteFailures) {
  PlantTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, "VEN_8086&DEV_7113"), kFileNotFound);
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, ""), kInvalidParameter);
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, nullptr), kInvalidParameter);
  EXPECT_EQ(registry_.RegDeleteKeyA(reinterpret_cast<win::HKEY>(std::uintptr_t{8}), "A"),
            kInvalidHandle);
  EXPECT_EQ(registry_.KeyPaths().size(), 5u);
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

const FixtureTree kKeyWithSubkeys = {
    {"Enum\\PCI\\A", "Unknown"}, {"Enum\\PCI\\A\\B\\C"}, {"Enum\\PCI\\D"}};

TEST_F(MemoryRegistryTest, KeyRecreatedUnderTheSameNameIsNotTheDeletedOne) {
  PlantTree(kKeyWithSubkeys);
  const win::HKEY a = Open(kLocalMachine, "Enum\\PCI\\A");
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kSuccess);
  ASSERT_TRUE(registry_.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\PCI\\A"));
  std::uint32_t size = 0;
  EXPECT_EQ(registry_.RegQueryValueExA(a, "Class", nullptr, nullptr, nullptr, &size), kKeyDeleted);
  EXPECT_EQ(registry_.RegCloseKey(a), kSuccess);
}

TEST_F(MemoryRegistryTest, CloseRules) {
  PlantTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
  EXPECT_EQ(registry_.RegCloseKey(pci), kInvalidHandle);
  EXPECT_EQ(registry_.RegCloseKey(nullptr), kInvalidHandle);
  EXPECT_EQ(registry_.RegCloseKey(kLocalMachine), kSuccess);
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
  win::HKEY key = nullptr;
  EXPECT_EQ(registry_.RegOpenKeyExA(pci, "VEN_8086&DEV_7110", 0, win::kKeyAllAccess, &key),
            kInvalidHandle);
}

TEST_F(MemoryRegistryTest, NamesKeepTheirFirstSpelling) {
  ASSERT_TRUE(registry_.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\PCI"));
  ASSERT_TRUE(registry_.CreateKey("hkey_local_machine\\ENUM\\pci\\Dev"));
  ASSERT_TRUE(registry_.SetValue("HKEY_LOCAL_MACHINE\\Enum\\PCI\\DEV", "Class", win::kRegSz,
                                 std::string("Net") + '\0'));
  ASSERT_TRUE(registry_.SetValue("HKEY_LOCAL_MACHINE\\Enum\\PCI\\DEV", "CLASS", win::kRegSz,
                                 std::string("Unknown") + '\0'));
  EXPECT_THAT(registry_.KeyPaths(),
              ElementsAre("HKEY_LOCAL_MACHINE\\Enum", "HKEY_LOCAL_MACHINE\\Enum\\PCI",
                          "HKEY_LOCAL_MACHINE\\Enum\\PCI\\Dev"));
  win::HKEY dev = nullptr;
  ASSERT_EQ(registry_.RegOpenKeyExA(kLocalMachine, "Enum\\PCI\\DEV", 0, win::kKeyAllAccess, &dev),
            kSuccess);
  std::uint8_t data[16];
  std::uint32_t size = sizeof data;
  EXPECT_EQ(registry_.RegQueryValueExA(dev, "class", nullptr, nullptr, data, &size), kSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("Unknown") + '\0');
  EXPECT_EQ(registry_.RegCloseKey(dev), kSuccess);
  EXPECT_FALSE(registry_.CreateKey("HKEY_CLASSES_ROOT\\CLSID"));
  EXPECT_FALSE(registry_.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\\\PCI"));
  EXPECT_FALSE(registry_.SetValue("HKEY_LOCAL_MACHINE\\Enum", "Two\nLines", win::kRegSz, "x"));
}

TEST_F(MemoryRegistryTest, ClearLeavesEmptyRootsAndDeletesOpenKeys) {
  PlantTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  const win::HKEY root = Open(kLocalMachine, "");
  registry_.Clear();
  EXPECT_TRUE(registry_.KeyPaths().empty());
  EXPECT_EQ(NameAt(pci, 0), "<1018>");
  EXPECT_EQ(NameAt(root, 0), "<259>");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
  EXPECT_EQ(registry_.RegCloseKey(root), kSuccess);
}

// Enumerations at any index, between creations and deletes anywhere among
// the siblings (ahead of the last index asked for, at it, after it), give
// what a plain list in creation order gives, the renumbering included.
TEST_F(MemoryRegistryTest, EnumerationFollowsCreationsAndDeletesAnywhere) {
  const std::string devicePrefix = "HKEY_LOCAL_MACHINE\\Enum\\PCI\\";
  ASSERT_TRUE(registry_.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\PCI"));
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  std::vector<std::string> model;
  std::mt19937 random(1995);
  std::uint32_t lastIndex = 0;
  for (int step = 0; step < 3000; ++step) {
    const std::uint32_t near = lastIndex + static_cast<std::uint32_t>(random() % 5) - 2;
    const std::uint32_t index =
        random() % 2 == 0 ? near : static_cast<std::uint32_t>(random() % 40);
    switch (random() % 4) {
      case 0: {
        const std::string name = "Dev" + std::to_string(step);
        ASSERT_TRUE(registry_.CreateKey(devicePrefix + name));
        model.push_back(name);
        break;
      }
      case 1:
        if (index < model.size()) {
          const std::string upper = "DEV" + model[index].substr(3);
          ASSERT_EQ(registry_.RegDeleteKeyA(pci, upper.c_str()), kSuccess) << step;
          model.erase(model.begin() + index);
        }
        break;
      default:
        lastIndex = index;
        ASSERT_EQ(NameAt(pci, index),
                  index < model.size() ? model[index] : EnumerationFailure(kNoMoreItems))
            << "step " << step << ", index " << index;
    }
  }
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

}  // namespace
