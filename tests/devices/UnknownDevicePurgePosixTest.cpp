// The Enum\PCI sweep over the in-memory registry: a tree goes in as .reg
// text, the keys left afterwards and the registry calls made are compared
// with what is expected.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "devices/UnknownDevicePurge.h"
#include "support/RegistryFixturesPosix.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Flavour = MemoryRegistry::Flavour;

constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kFileNotFound = 2;
constexpr std::int32_t kAccessDenied = 5;
constexpr std::int32_t kInvalidParameter = 87;
constexpr std::int32_t kNotEnoughMemory = 8;
constexpr std::int32_t kMoreData = 234;

// Fills every buffer with junk before handing it on, so that a reader that
// goes past what the host wrote meets bytes that are neither zero nor
// "Unknown". A name too long for its buffer comes back cut to it, as a
// Windows 95 host may leave it. Can also claim that a name filled the whole
// buffer.
class JunkFillingHost : public HostWrapper<ForwardingRegistry> {
 public:
  using HostWrapper::HostWrapper;

  bool claimFullNames = false;

  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite) override {
    if (name != nullptr && nameSize != nullptr) std::memset(name, '#', *nameSize);
    const std::uint32_t bufferSize = nameSize != nullptr ? *nameSize : 0;
    const std::int32_t result = ForwardingRegistry::RegEnumKeyExA(
        key, index, name, nameSize, reserved, className, classSize, lastWrite);
    if (result == kSuccess && claimFullNames) *nameSize = bufferSize;
    if (result == kMoreData && bufferSize > 0) CutName(key, index, name, bufferSize);
    return result;
  }

  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) override {
    if (data != nullptr && dataSize != nullptr) std::memset(data, 'x', *dataSize);
    return ForwardingRegistry::RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
  }

 private:
  void CutName(win::HKEY key, std::uint32_t index, char* name, std::uint32_t bufferSize) {
    char whole[1024];
    std::uint32_t wholeSize = sizeof whole;
    if (ForwardingRegistry::RegEnumKeyExA(key, index, whole, &wholeSize, nullptr, nullptr, nullptr,
                                          nullptr) != kSuccess) {
      return;
    }
    std::memcpy(name, whole, bufferSize - 1);
    name[bufferSize - 1] = '\0';
  }
};

class PurgeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(Registry().OpenHandleCount(), 0u) << "the sweep left keys open";
    EXPECT_FALSE(log_.BudgetExceeded()) << "the sweep did not come to an end";
  }

  MemoryRegistry& Registry() { return scratch_.Registry(); }

  // Loads the keys of `body` (REGEDIT4 key and value lines) into an empty
  // registry.
  void LoadTree(const std::string& body) {
    Registry().Clear();
    std::string error;
    ASSERT_TRUE(Registry().Load("REGEDIT4\n\n" + body, &error)) << error;
  }

  std::int32_t Sweep() { return PurgeUnknownDevices(log_, win::HkeyLocalMachine(), "Enum\\PCI"); }

  // Keys left below HKEY_LOCAL_MACHINE\Enum, named from there.
  std::vector<std::string> KeysLeft() {
    const std::string prefix = "HKEY_LOCAL_MACHINE\\Enum\\";
    std::vector<std::string> left;
    for (const std::string& path : Registry().KeyPaths()) {
      if (path.rfind(prefix, 0) == 0) left.push_back(path.substr(prefix.size()));
    }
    return left;
  }

  ScratchHost scratch_;
  JunkFillingHost junk_{scratch_.Host()};
  RegistryCallLog log_{junk_};
};

class PurgeEitherFlavourTest : public PurgeTest, public ::testing::WithParamInterface<Flavour> {
 protected:
  void SetUp() override { Registry().SetFlavour(GetParam()); }
};

std::string FlavourName(const ::testing::TestParamInfo<Flavour>& info) {
  return info.param == Flavour::kWindows95 ? "Windows95" : "Nt";
}

INSTANTIATE_TEST_SUITE_P(Flavours, PurgeEitherFlavourTest,
                         ::testing::Values(Flavour::kWindows95, Flavour::kNt), FlavourName);

std::string HexBytes(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string list;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (!list.empty()) list += ',';
    list += kDigits[byte >> 4];
    list += kDigits[byte & 0x0F];
  }
  return list;
}

// A "Class" value of type REG_SZ holding exactly `bytes`.
std::string ClassBytes(const std::string& bytes) { return "\"Class\"=hex(1):" + HexBytes(bytes); }

const std::string kUnknownThenZero = std::string("Unknown") + '\0';

struct ClassCase {
  std::string valueLine;
  bool purged;
};

const std::vector<ClassCase> kClassCases = {
    {R"("Class"="Unknown")", true},
    {R"("Class"="UNKNOWN")", true},
    {R"("Class"="unknown")", true},
    {R"("Class"="uNKNOWn")", true},
    {R"("CLASS"="Unknown")", true},
    {R"("Class"="Unknown ")", false},
    {R"("Class"=" Unknown")", false},
    {R"("Class"="Unknowns")", false},
    {R"("Class"="Unknown device")", false},
    {R"("Class"="Unknow")", false},
    {R"("Class"="")", false},
    {R"("Class"="Net")", false},
    {"", false},
    {R"("ClassGUID"="Unknown")", false},
    {R"(@="Unknown")", false},
    // Stored without its terminating zero: 7 bytes.
    {ClassBytes("Unknown"), true},
    {ClassBytes("UNKNOWN"), true},
    // The text ends at the first zero byte.
    {ClassBytes(kUnknownThenZero + "garbage"), true},
    {ClassBytes(std::string(1, '\0') + kUnknownThenZero), false},
    {ClassBytes(""), false},
    // The type is not examined.
    {R"("Class"=hex:55,6e,6b,6e,6f,77,6e)", true},
    {R"("Class"=hex(7):55,6e,6b,6e,6f,77,6e,00,00)", true},
    {R"("Class"=hex(7):55,4e,4b,4e,4f,57,4e,00,4e,65,74,00,00)", true},
    {"\"Class\"=hex:" + HexBytes(kUnknownThenZero + std::string(247, 'x')), true},
    {"\"Class\"=hex:" + HexBytes(std::string(255, 'u')), false},
    {R"("Class"=dword:00000000)", false},
    {R"("Class"=dword:6b6e6e55)", false},
    // The whole 255-byte buffer: filled exactly, or too small.
    {ClassBytes(kUnknownThenZero + std::string(247, 'x')), true},
    {ClassBytes(kUnknownThenZero + std::string(248, 'x')), false},
    {ClassBytes("Unknown" + std::string(248, 'x')), false},
    {ClassBytes(std::string(255, 'U')), false},
};

TEST_F(PurgeTest, ClassValueDecidesWhetherTheDeviceKeyIsPurged) {
  for (const ClassCase& test : kClassCases) {
    SCOPED_TRACE(test.valueLine.substr(0, 60));
    LoadTree("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7110]\n" + test.valueLine +
             "\n"
             "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7112]\n"
             "\"Class\"=\"USB\"\n");
    EXPECT_EQ(Sweep(), kSuccess);
    EXPECT_EQ(Registry().KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7110"),
              !test.purged);
    EXPECT_TRUE(Registry().KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7112"));
  }
}

TEST_P(PurgeEitherFlavourTest, AdjacentUnknownSiblingsGoInOneSweep) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\B]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\C]
"Class"="unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\D]
"Class"="Net"
[HKEY_LOCAL_MACHINE\Enum\PCI\E]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\F]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\G]
"Class"="hdc"
)");
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\D", "PCI\\G"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B", "HKLM\\Enum\\PCI\\C",
                          "HKLM\\Enum\\PCI\\E", "HKLM\\Enum\\PCI\\F"));
}

TEST_P(PurgeEitherFlavourTest, NestedUnknownKeysGoChildrenFirst) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\A\B]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\A\B\C]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\A\D]
"Class"="UNKNOWN"
[HKEY_LOCAL_MACHINE\Enum\PCI\E]
"Class"="Net"
[HKEY_LOCAL_MACHINE\Enum\PCI\E\F]
"Class"="Unknown"
)");
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\E"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A\\B\\C", "HKLM\\Enum\\PCI\\A\\B",
                          "HKLM\\Enum\\PCI\\A\\D", "HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\E\\F"));
}

const char kUnknownParentWithKnownChild[] = R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\A\Kept]
"Class"="Net"
[HKEY_LOCAL_MACHINE\Enum\PCI\A\Gone]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\B]
"Class"="Unknown"
)";

TEST_F(PurgeTest, Windows95DeletesAnUnknownKeyWithItsOtherSubkeys) {
  Registry().SetFlavour(Flavour::kWindows95);
  LoadTree(kUnknownParentWithKnownChild);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A\\Gone", "HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B"));
}

TEST_F(PurgeTest, NtKeepsAnUnknownKeyThatStillHasSubkeys) {
  Registry().SetFlavour(Flavour::kNt);
  LoadTree(kUnknownParentWithKnownChild);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\A", "PCI\\A\\Kept"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A\\Gone",
                                                  "HKLM\\Enum\\PCI\\A -> 5", "HKLM\\Enum\\PCI\\B"));
}

const char kUnknownStartKey[] = R"([HKEY_LOCAL_MACHINE\Enum\PCI]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\B]
"Class"="Net"
[HKEY_LOCAL_MACHINE\Enum\ISAPNP]
"Class"="Unknown"
)";

TEST_F(PurgeTest, AnUnknownStartKeyIsTestedLastAndDeletedOnWindows95) {
  Registry().SetFlavour(Flavour::kWindows95);
  LoadTree(kUnknownStartKey);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("ISAPNP"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI"));
  EXPECT_EQ(log_.Calls().back(), "close HKLM\\Enum\\PCI");
}

TEST_F(PurgeTest, AnUnknownStartKeyWithSubkeysStaysOnNt) {
  Registry().SetFlavour(Flavour::kNt);
  LoadTree(kUnknownStartKey);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\B", "ISAPNP"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI -> 5"));
}

TEST_F(PurgeTest, MissingStartKeyEndsTheSweepAtOnce) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\ISAPNP\A]
"Class"="Unknown"
)");
  const std::string before = Registry().Save();
  EXPECT_EQ(Sweep(), kFileNotFound);
  EXPECT_THAT(log_.Calls(), ElementsAre("open HKLM\\Enum\\PCI -> 2"));
  EXPECT_EQ(Registry().Save(), before);
}

TEST_F(PurgeTest, EmptyOrAbsentKeyNameIsRefusedWithoutTouchingTheRegistry) {
  LoadTree("[HKEY_LOCAL_MACHINE\\Enum]\n\"Class\"=\"Unknown\"\n");
  EXPECT_EQ(PurgeUnknownDevices(log_, win::HkeyLocalMachine(), ""), kInvalidParameter);
  EXPECT_EQ(PurgeUnknownDevices(log_, win::HkeyLocalMachine(), nullptr), kInvalidParameter);
  EXPECT_THAT(log_.Calls(), IsEmpty());
}

// Names that fill the 255-character buffer with their terminator fit; longer
// ones are skipped and their sibling after them is still swept.
TEST_P(PurgeEitherFlavourTest, NamesTooLongForTheBufferAreSkipped) {
  struct LengthCase {
    std::size_t length;
    bool visited;
  };
  for (const LengthCase test : {LengthCase{254, true}, {255, false}, {256, false}, {300, false}}) {
    SCOPED_TRACE(test.length);
    const std::string name(test.length, 'N');
    LoadTree("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\" + name + "]\n\"Class\"=\"Unknown\"\n" +
             "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\Z]\n\"Class\"=\"Unknown\"\n");
    EXPECT_EQ(Sweep(), kSuccess);
    EXPECT_EQ(Registry().KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\" + name), !test.visited);
    EXPECT_FALSE(Registry().KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\Z"));
  }
  for (const std::string& opened : log_.CallsOf("open")) {
    EXPECT_TRUE(opened == "HKLM\\Enum\\PCI" || opened == "HKLM\\Enum\\PCI\\Z" ||
                opened == "HKLM\\Enum\\PCI\\" + std::string(254, 'N'))
        << opened;
  }
}

// The part of an over-long name that fits the buffer names another key: it
// is visited once, in its own turn, never in place of the long one.
TEST_P(PurgeEitherFlavourTest, TruncatedNameNeverStandsForAnotherKey) {
  const std::string longName(300, 'A');
  const std::string cutName(254, 'A');
  LoadTree("[HKEY_LOCAL_MACHINE\\Enum\\PCI\\" + longName + "]\n\"Class\"=\"Unknown\"\n" +
           "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\" + cutName + "]\n\"Class\"=\"Net\"\n" +
           "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\" + cutName + "\\Sub]\n\"Class\"=\"Unknown\"\n");
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\" + longName, "PCI\\" + cutName));
  EXPECT_THAT(log_.CallsOf("open"), ElementsAre("HKLM\\Enum\\PCI", "HKLM\\Enum\\PCI\\" + cutName,
                                                "HKLM\\Enum\\PCI\\" + cutName + "\\Sub"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\" + cutName + "\\Sub"));
}

TEST_F(PurgeTest, NameClaimedToFillTheWholeBufferIsSkipped) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
)");
  junk_.claimFullNames = true;
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\A"));
  EXPECT_THAT(log_.CallsOf("open"), ElementsAre("HKLM\\Enum\\PCI"));
}

const char kThreeUnknownDevices[] = R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\B]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\C]
"Class"="Unknown"
)";

TEST_F(PurgeTest, SubkeyThatCannotBeOpenedIsPassedOver) {
  LoadTree(kThreeUnknownDevices);
  log_.openFault = [](const std::string& path) -> std::optional<std::int32_t> {
    if (path == "HKLM\\Enum\\PCI\\B") return kAccessDenied;
    return std::nullopt;
  };
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\B"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\C"));
}

TEST_F(PurgeTest, RefusedDeleteMovesOnToTheNextSubkey) {
  LoadTree(kThreeUnknownDevices);
  log_.deleteFault = [](const std::string& path) -> std::optional<std::int32_t> {
    if (path == "HKLM\\Enum\\PCI\\B") return kAccessDenied;
    return std::nullopt;
  };
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\B"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B -> 5", "HKLM\\Enum\\PCI\\C"));
}

TEST_F(PurgeTest, EnumerationErrorEndsTheSubkeysButTheKeyIsStillTested) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\X]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\X\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\X\B]
"Class"="Unknown"
)");
  int enumerationsOfX = 0;
  log_.enumFault = [&](const std::string& path, std::uint32_t) -> std::optional<std::int32_t> {
    if (path == "HKLM\\Enum\\PCI\\X" && ++enumerationsOfX == 2) return kNotEnoughMemory;
    return std::nullopt;
  };
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\X\\A", "HKLM\\Enum\\PCI\\X"));
}

TEST_F(PurgeTest, EveryOpenedKeyIsClosedAfterItsSubkeys) {
  LoadTree(R"([HKEY_LOCAL_MACHINE\Enum\PCI\A]
"Class"="Unknown"
[HKEY_LOCAL_MACHINE\Enum\PCI\B\C]
"Class"="Net"
)");
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(log_.CallsOf("open"), ElementsAre("HKLM\\Enum\\PCI", "HKLM\\Enum\\PCI\\A",
                                                "HKLM\\Enum\\PCI\\B", "HKLM\\Enum\\PCI\\B\\C"));
  EXPECT_THAT(log_.CallsOf("close"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B\\C",
                                                 "HKLM\\Enum\\PCI\\B", "HKLM\\Enum\\PCI"));
}

}  // namespace
