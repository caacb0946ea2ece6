// The in-memory registry of the POSIX host: Win32's rules for handles,
// enumeration, values and deletes, both delete flavours, and .reg text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/posix/MemoryRegistry.h"
#include "support/RegistryFixturesPosix.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Flavour = MemoryRegistry::Flavour;

constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kFileNotFound = 2;
constexpr std::int32_t kAccessDenied = 5;
constexpr std::int32_t kInvalidHandle = 6;
constexpr std::int32_t kInvalidParameter = 87;
constexpr std::int32_t kMoreData = 234;
constexpr std::int32_t kNoMoreItems = 259;
constexpr std::int32_t kKeyDeleted = 1018;

const win::HKEY kLocalMachine = win::HkeyLocalMachine();

class MemoryRegistryTest : public ::testing::Test {
 protected:
  void LoadTree(const std::string& body) {
    std::string error;
    ASSERT_TRUE(registry_.Load("REGEDIT4\n\n" + body, &error)) << error;
  }

  win::HKEY Open(win::HKEY parent, const char* path) {
    win::HKEY key = nullptr;
    EXPECT_EQ(registry_.RegOpenKeyExA(parent, path, 0, win::kKeyAllAccess, &key), kSuccess) << path;
    return key;
  }

  // The name at `index`, or the error code as text.
  std::string NameAt(win::HKEY key, std::uint32_t index) {
    char name[256];
    std::uint32_t size = sizeof name;
    const std::int32_t result =
        registry_.RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (result != kSuccess) return "error " + std::to_string(result);
    return std::string(name, size);
  }

  MemoryRegistry registry_;
};

const char kPciTree[] = R"([HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_7110]
"Class"="System"
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_7111]
"Class"="hdc"
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_7112]
"Class"="Unknown"
)";

TEST_F(MemoryRegistryTest, OpensPathsOfSeveralLevelsWithoutRegardToCase) {
  LoadTree(kPciTree);
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
  LoadTree(kPciTree);
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
  LoadTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  const win::HKEY same = Open(pci, "");
  EXPECT_NE(same, pci);
  EXPECT_EQ(NameAt(same, 2), "VEN_8086&DEV_7112");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
  EXPECT_EQ(registry_.RegCloseKey(same), kSuccess);
}

TEST_F(MemoryRegistryTest, EnumeratesSubkeysInCreationOrderWithTheirSpelling) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\Zeta]
[HKEY_LOCAL_MACHINE\Enum\PCI\alpha]
[HKEY_LOCAL_MACHINE\Enum\PCI\ZETA\Sub]
[HKEY_LOCAL_MACHINE\Enum\PCI\Mid]
)");
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  EXPECT_EQ(NameAt(pci, 0), "Zeta");
  EXPECT_EQ(NameAt(pci, 1), "alpha");
  EXPECT_EQ(NameAt(pci, 2), "Mid");
  EXPECT_EQ(NameAt(pci, 3), "error 259");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

// Buffer sizes count the terminator; the name fits when it is shorter.
TEST_F(MemoryRegistryTest, EnumerationNameBufferRules) {
  LoadTree("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\ABCDEFGH]\n");
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  struct Case {
    Flavour flavour;
    std::uint32_t bufferSize;
    std::int32_t expected;
    std::string buffer;  // the first bufferSize bytes afterwards
    std::uint32_t sizeAfter;
  };
  const Case cases[] = {
      {Flavour::kWindows95, 9, kSuccess, std::string("ABCDEFGH") + '\0', 8},
      {Flavour::kNt, 9, kSuccess, std::string("ABCDEFGH") + '\0', 8},
      {Flavour::kWindows95, 8, kMoreData, std::string("ABCDEFG") + '\0', 8},
      {Flavour::kWindows95, 4, kMoreData, std::string("ABC") + '\0', 4},
      {Flavour::kWindows95, 1, kMoreData, std::string(1, '\0'), 1},
      {Flavour::kWindows95, 0, kMoreData, "", 0},
      {Flavour::kNt, 8, kMoreData, "########", 8},
      {Flavour::kNt, 4, kMoreData, "####", 4},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message()
                 << "size " << test.bufferSize << " flavour " << static_cast<int>(test.flavour));
    registry_.SetFlavour(test.flavour);
    char name[16];
    std::memset(name, '#', sizeof name);
    std::uint32_t size = test.bufferSize;
    EXPECT_EQ(registry_.RegEnumKeyExA(pci, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              test.expected);
    EXPECT_EQ(std::string(name, test.bufferSize), test.buffer);
    EXPECT_EQ(size, test.sizeAfter);
  }
  std::uint32_t size = 16;
  char name[16];
  std::uint32_t reserved = 0;
  EXPECT_EQ(registry_.RegEnumKeyExA(pci, 0, name, &size, &reserved, nullptr, nullptr, nullptr),
            kInvalidParameter);
  EXPECT_EQ(registry_.RegEnumKeyExA(pci, 0, nullptr, &size, nullptr, nullptr, nullptr, nullptr),
            kInvalidParameter);
  EXPECT_EQ(registry_.RegEnumKeyExA(pci, 1, name, &size, nullptr, nullptr, nullptr, nullptr),
            kNoMoreItems);
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

TEST_F(MemoryRegistryTest, QueryValueRules) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\DEV]
"Class"="Unknown"
"Empty"=""
"Raw"=hex(1):55,6e,6b
"Flags"=dword:0000000a
@="default"
)");
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
      {"Class", 255, kSuccess, win::kRegSz, 8, std::string("Unknown") + '\0'},
      {"CLASS", 8, kSuccess, win::kRegSz, 8, std::string("Unknown") + '\0'},
      {"Class", 7, kMoreData, win::kRegSz, 8, "...."},
      {"Empty", 255, kSuccess, win::kRegSz, 1, std::string(1, '\0')},
      {"Raw", 255, kSuccess, win::kRegSz, 3, "Unk"},
      {"Flags", 4, kSuccess, win::kRegDword, 4, std::string("\x0a\0\0\0", 4)},
      {"", 255, kSuccess, win::kRegSz, 8, std::string("default") + '\0'},
      {nullptr, 255, kSuccess, win::kRegSz, 8, std::string("default") + '\0'},
      {"Missing", 255, kFileNotFound, 99, 255, "...."},
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

TEST_F(MemoryRegistryTest, DeleteRenumbersTheSubkeysAfterIt) {
  LoadTree(
      "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\A]\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\B]\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\C]\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\D]\n");
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, "b"), kSuccess);
  EXPECT_EQ(NameAt(pci, 1), "C");
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kSuccess);
  EXPECT_EQ(NameAt(pci, 0), "C");
  EXPECT_EQ(NameAt(pci, 1), "D");
  EXPECT_EQ(NameAt(pci, 2), "error 259");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

TEST_F(MemoryRegistryTest, DeleteFailures) {
  LoadTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, "VEN_8086&DEV_7113"), kFileNotFound);
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, ""), kInvalidParameter);
  EXPECT_EQ(registry_.RegDeleteKeyA(pci, nullptr), kInvalidParameter);
  EXPECT_EQ(registry_.RegDeleteKeyA(reinterpret_cast<win::HKEY>(std::uintptr_t{8}), "A"),
            kInvalidHandle);
  EXPECT_EQ(registry_.KeyPaths().size(), 5u);
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
}

const char kKeyWithSubkeys[] = R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\A\B\C]
[HKEY_LOCAL_MACHINE\Enum\PCI\D]
)";

TEST_F(MemoryRegistryTest, Windows95DeletesAKeyWithItsSubkeys) {
  registry_.SetFlavour(Flavour::kWindows95);
  LoadTree(kKeyWithSubkeys);
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kSuccess);
  EXPECT_THAT(registry_.KeyPaths(),
              ElementsAre("HKEY_LOCAL_MACHINE\\Enum", "HKEY_LOCAL_MACHINE\\Enum\\PCI",
                          "HKEY_LOCAL_MACHINE\\Enum\\PCI\\D"));
}

TEST_F(MemoryRegistryTest, NtRefusesAKeyThatHasSubkeys) {
  registry_.SetFlavour(Flavour::kNt);
  LoadTree(kKeyWithSubkeys);
  const std::string before = registry_.Save();
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kAccessDenied);
  EXPECT_EQ(registry_.Save(), before);
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A\\B\\C"), kSuccess);
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A\\B"), kSuccess);
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kSuccess);
  EXPECT_FALSE(registry_.KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\A"));
}

TEST_F(MemoryRegistryTest, HandlesOfDeletedKeysFailUntilClosed) {
  LoadTree(kKeyWithSubkeys);
  const win::HKEY a = Open(kLocalMachine, "Enum\\PCI\\A");
  const win::HKEY c = Open(a, "B\\C");
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kSuccess);
  for (const win::HKEY key : {a, c}) {
    char name[32];
    std::uint32_t size = sizeof name;
    win::HKEY sub = nullptr;
    std::uint32_t valueSize = 0;
    EXPECT_EQ(registry_.RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              kKeyDeleted);
    EXPECT_EQ(registry_.RegQueryValueExA(key, "Class", nullptr, nullptr, nullptr, &valueSize),
              kKeyDeleted);
    EXPECT_EQ(registry_.RegOpenKeyExA(key, "", 0, win::kKeyAllAccess, &sub), kKeyDeleted);
    EXPECT_EQ(registry_.RegDeleteKeyA(key, "B"), kKeyDeleted);
  }
  EXPECT_EQ(registry_.OpenHandleCount(), 2u);
  EXPECT_EQ(registry_.RegCloseKey(c), kSuccess);
  EXPECT_EQ(registry_.RegCloseKey(a), kSuccess);
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
}

TEST_F(MemoryRegistryTest, KeyRecreatedUnderTheSameNameIsNotTheDeletedOne) {
  LoadTree(kKeyWithSubkeys);
  const win::HKEY a = Open(kLocalMachine, "Enum\\PCI\\A");
  EXPECT_EQ(registry_.RegDeleteKeyA(kLocalMachine, "Enum\\PCI\\A"), kSuccess);
  ASSERT_TRUE(registry_.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\PCI\\A"));
  std::uint32_t size = 0;
  EXPECT_EQ(registry_.RegQueryValueExA(a, "Class", nullptr, nullptr, nullptr, &size), kKeyDeleted);
  EXPECT_EQ(registry_.RegCloseKey(a), kSuccess);
}

TEST_F(MemoryRegistryTest, CloseRules) {
  LoadTree(kPciTree);
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
  EXPECT_EQ(registry_.Save(), CrLf("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\Dev]\n"
                                   "\"Class\"=\"Unknown\"\n\n"));
  EXPECT_FALSE(registry_.CreateKey("HKEY_CLASSES_ROOT\\CLSID"));
  EXPECT_FALSE(registry_.CreateKey("HKEY_LOCAL_MACHINE\\Enum\\\\PCI"));
  EXPECT_FALSE(registry_.SetValue("HKEY_LOCAL_MACHINE\\Enum", "Two\nLines", win::kRegSz, "x"));
}

// Texts in the form that Save writes come back unchanged.
TEST_F(MemoryRegistryTest, SavedTextRoundTripsExactly) {
  const char* const texts[] = {
      "REGEDIT4\n\n",
      R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_7110\BUS_00&DEV_07&FUNC_00]
"Class"="System"
"DeviceDesc"="Intel 82371AB PCI to ISA bridge"
"HardwareID"="PCI\\VEN_8086&DEV_7110"
"Quoted"="say \"hi\" \\ bye"
"Empty"=""
"Flags"=dword:0000000a
"Big"=dword:fedcba98
"Binary"=hex:00,01,7f,80,ff
"NoBytes"=hex:
"Multi"=hex(7):61,00,62,00,00
"Unterminated"=hex(1):55,6e,6b
"TwoLines"=hex(1):61,0d,0a,62,00
"Expand"=hex(2):25,31,25,00
"OddDword"=hex(4):01,02
"None"=hex(0):
@="default"

[HKEY_LOCAL_MACHINE\Enum\PCI\Empty Key]

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\*PNP0303]
"Class"="Keyboard"

[HKEY_CURRENT_USER\Software\Wine]
"Version"="win95"

)",
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n\"Root\"=\"value\"\n\n[HKEY_LOCAL_MACHINE\\A]\n\n",
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum]\n\"Eight\"=\"\xe9t\xe9\"\n\n",
  };
  for (const char* const text : texts) {
    SCOPED_TRACE(text);
    MemoryRegistry registry;
    std::string error;
    ASSERT_TRUE(registry.Load(CrLf(text), &error)) << error;
    EXPECT_EQ(registry.Save(), CrLf(text));
  }
}

TEST_F(MemoryRegistryTest, LoadReadsWhatRegeditWrites) {
  LoadTree(
      "; comment line\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\A]   \r\n"
      "  \"Class\" = \"Unknown\"\r\n"
      "\"Data\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "[hkey_local_machine\\enum\\pci\\a]\r\n"
      "\"More\"=dword:1\r\n"
      "\"Class\"=\"Net\"\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\B\\C]\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\Gone]\r\n"
      "\"X\"=\"y\"\r\n"
      "[-HKEY_LOCAL_MACHINE\\Enum\\PCI\\Gone]\r\n"
      "[-HKEY_LOCAL_MACHINE\\Enum\\PCI\\Never]\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\A]\r\n"
      "\"More\"=-\r\n");
  EXPECT_EQ(registry_.Save(), CrLf(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Net"
"Data"=hex:01,02,03,04

[HKEY_LOCAL_MACHINE\Enum\PCI\B\C]

)"));
}

TEST_F(MemoryRegistryTest, TextThatDoesNotParseChangesNothing) {
  LoadTree(kPciTree);
  const std::string before = registry_.Save();
  struct Case {
    std::string text;
    const char* where;
  };
  const std::string key = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum\\PCI\\New]\n";
  const Case cases[] = {
      {"", "line 1"},
      {"Windows Registry Editor Version 5.00\n", "line 1"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\CLSID]\n", "line 2"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum\\\\PCI]\n", "line 2"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Enum\n", "line 2"},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", "line 2"},
      {"REGEDIT4\n\"Class\"=\"Unknown\"\n", "line 2"},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Enum]\n\"Class\"=\"x\"\n", "line 3"},
      {key + "\"Class\"=\"Unknown\n", "line 3"},
      {key + "\"Class\"=\"Unknown\" trailing\n", "line 3"},
      {key + "\"Class\"=\"bad \\escape\"\n", "line 3"},
      {key + "\"Class\"\n", "line 3"},
      {key + "Class=\"Unknown\"\n", "line 3"},
      {key + "\"Flags\"=dword:123456789\n", "line 3"},
      {key + "\"Flags\"=dword:xyz\n", "line 3"},
      {key + "\"Data\"=hex:01,,02\n", "line 3"},
      {key + "\"Data\"=hex:100\n", "line 3"},
      {key + "\"Data\"=hex(7:00\n", "line 3"},
      {key + "\"Data\"=hex:01,\\\n", "line 3"},
      {key + "\"Data\"=str:x\n", "line 3"},
      {key + "\"Ok\"=\"x\"\n\n\"Data\"=hex:01,\\\n 02,\\\n zz\n", "line 5"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    std::string error;
    EXPECT_FALSE(registry_.Load(test.text, &error));
    EXPECT_THAT(error, HasSubstr(test.where));
    EXPECT_EQ(registry_.Save(), before);
  }
}

TEST_F(MemoryRegistryTest, ClearLeavesEmptyRootsAndDeletesOpenKeys) {
  LoadTree(kPciTree);
  const win::HKEY pci = Open(kLocalMachine, "Enum\\PCI");
  const win::HKEY root = Open(kLocalMachine, "");
  registry_.Clear();
  EXPECT_EQ(registry_.Save(), CrLf("REGEDIT4\n\n"));
  EXPECT_EQ(NameAt(pci, 0), "error 1018");
  EXPECT_EQ(NameAt(root, 0), "error 259");
  EXPECT_EQ(registry_.RegCloseKey(pci), kSuccess);
  EXPECT_EQ(registry_.RegCloseKey(root), kSuccess);
}

}  // namespace
