// The Enum\PCI sweep over the in-memory registry: a tree is planted, and the
// keys left afterwards and the registry calls made are compared with what is
// expected.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "devices/UnknownDevicePurge.h"
#include "host/FaultInjectingHost.h"
#include "support/RegistryFixturesPosix.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Flavour = MemoryRegistry::Flavour;

using namespace registry_codes;

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
    if (result == kSuccess && claimFullNames && nameSize != nullptr) *nameSize = bufferSize;
    if (result == kMoreData && name != nullptr && bufferSize > 0)
      CutName(key, index, name, bufferSize);
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

// After this many registry calls every further call fails with
// ERROR_INVALID_HANDLE, so that a sweep that would loop for ever stops.
constexpr std::uint32_t kCallBudget = 100000;

class PurgeTest : public ::testing::Test {
 protected:
  PurgeTest() {
    faults_.Plan().FailCallsFrom(HostCall::kAnyRegistryCall, kCallBudget + 1,
                                 win::kErrorInvalidHandle);
  }
  void TearDown() override {
    EXPECT_EQ(Registry().OpenHandleCount(), 0u) << "the sweep left keys open";
    EXPECT_LE(faults_.Plan().Calls(HostCall::kAnyRegistryCall), kCallBudget)
        << "the sweep did not come to an end";
  }

  MemoryRegistry& Registry() { return scratch_.Registry(); }

  // Loads the keys of `body` (REGEDIT4 key and value lines) into an empty
  // registry.
  void PlantTree(const FixtureTree& tree) { ::PlantTree(Registry(), tree); }

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
  FaultInjectingHost faults_{junk_};
  RegistryCallLog log_{faults_};
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

// A value of the device key: its name, type and bytes.
struct ClassCase {
  std::string name;
  std::uint32_t type;
  std::string bytes;
  bool purged;
};

// A text value as regedit stores it, with its terminating zero.
ClassCase Text(const std::string& name, const std::string& text, bool purged) {
  return {name, win::kRegSz, text + '\0', purged};
}

// A "Class" value of type REG_SZ holding exactly `bytes`.
ClassCase ClassBytes(const std::string& bytes, bool purged) {
  return {"Class", win::kRegSz, bytes, purged};
}

constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;
const std::string kUnknownThenZero = std::string("Unknown") + '\0';

const std::vector<ClassCase> kClassCases = {
    Text("Class", "Unknown", true),
    Text("Class", "UNKNOWN", true),
    Text("Class", "unknown", true),
    Text("Class", "uNKNOWn", true),
    Text("CLASS", "Unknown", true),
    Text("Class", "Unknown ", false),
    Text("Class", " Unknown", false),
    Text("Class", "Unknowns", false),
    Text("Class", "Unknown device", false),
    Text("Class", "Unknow", false),
    Text("Class", "", false),
    Text("Class", "Net", false),
    {"", 0, "", false},  // no value at all
    Text("ClassGUID", "Unknown", false),
    Text("", "Unknown", false),
    // Stored without its terminating zero: 7 bytes.
    ClassBytes("Unknown", true),
    ClassBytes("UNKNOWN", true),
    // The text ends at the first zero byte.
    ClassBytes(kUnknownThenZero + "garbage", true),
    ClassBytes(std::string(1, '\0') + kUnknownThenZero, false),
    ClassBytes("", false),
    // The type is not examined.
    {"Class", kRegBinary, "Unknown", true},
    {"Class", kRegMultiSz, kUnknownThenZero + '\0', true},
    {"Class", kRegMultiSz, "UNKNOWN" + std::string(1, '\0') + "Net" + std::string(2, '\0'), true},
    {"Class", kRegBinary, kUnknownThenZero + std::string(247, 'x'), true},
    {"Class", kRegBinary, std::string(255, 'u'), false},
    {"Class", kRegDword, std::string(4, '\0'), false},
    {"Class", kRegDword, "Unkn", false},
    // The whole 255-byte buffer: filled exactly, or too small.
    ClassBytes(kUnknownThenZero + std::string(247, 'x'), true),
    ClassBytes(kUnknownThenZero + std::string(248, 'x'), false),
    ClassBytes("Unknown" + std::string(248, 'x'), false),
    ClassBytes(std::string(255, 'U'), false),
};

TEST_F(PurgeTest, ClassValueDecidesWhetherTheDeviceKeyIsPurged) {
  for (const ClassCase& test : kClassCases) {
    SCOPED_TRACE(test.name + " " + test.bytes.substr(0, 40));
    PlantTree({{"Enum\\PCI\\VEN_8086&DEV_7110"}, {"Enum\\PCI\\VEN_8086&DEV_7112", "USB"}});
    if (test.type != 0) {
      ASSERT_TRUE(Registry().SetValue("HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7110", test.name,
                                      test.type, test.bytes));
    }
    EXPECT_EQ(Sweep(), kSuccess);
    EXPECT_EQ(Registry().KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7110"),
              !test.purged);
    EXPECT_TRUE(Registry().KeyExists("HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_8086&DEV_7112"));
  }
}

TEST_P(PurgeEitherFlavourTest, AdjacentUnknownSiblingsGoInOneSweep) {
  PlantTree({{"Enum\\PCI\\A", "Unknown"},
             {"Enum\\PCI\\B", "Unknown"},
             {"Enum\\PCI\\C", "unknown"},
             {"Enum\\PCI\\D", "Net"},
             {"Enum\\PCI\\E", "Unknown"},
             {"Enum\\PCI\\F", "Unknown"},
             {"Enum\\PCI\\G", "hdc"}});
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\D", "PCI\\G"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B", "HKLM\\Enum\\PCI\\C",
                          "HKLM\\Enum\\PCI\\E", "HKLM\\Enum\\PCI\\F"));
}

TEST_P(PurgeEitherFlavourTest, NestedUnknownKeysGoChildrenFirst) {
  PlantTree({{"Enum\\PCI\\A", "Unknown"},
             {"Enum\\PCI\\A\\B", "Unknown"},
             {"Enum\\PCI\\A\\B\\C", "Unknown"},
             {"Enum\\PCI\\A\\D", "UNKNOWN"},
             {"Enum\\PCI\\E", "Net"},
             {"Enum\\PCI\\E\\F", "Unknown"}});
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\E"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A\\B\\C", "HKLM\\Enum\\PCI\\A\\B",
                          "HKLM\\Enum\\PCI\\A\\D", "HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\E\\F"));
}

const FixtureTree kUnknownParentWithKnownChild = {{"Enum\\PCI\\A", "Unknown"},
                                                  {"Enum\\PCI\\A\\Kept", "Net"},
                                                  {"Enum\\PCI\\A\\Gone", "Unknown"},
                                                  {"Enum\\PCI\\B", "Unknown"}};

TEST_F(PurgeTest, Windows95DeletesAnUnknownKeyWithItsOtherSubkeys) {
  Registry().SetFlavour(Flavour::kWindows95);
  PlantTree(kUnknownParentWithKnownChild);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A\\Gone", "HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B"));
}

TEST_F(PurgeTest, NtKeepsAnUnknownKeyThatStillHasSubkeys) {
  Registry().SetFlavour(Flavour::kNt);
  PlantTree(kUnknownParentWithKnownChild);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\A", "PCI\\A\\Kept"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A\\Gone",
                                                  "HKLM\\Enum\\PCI\\A -> 5", "HKLM\\Enum\\PCI\\B"));
}

const FixtureTree kUnknownStartKey = {{"Enum\\PCI", "Unknown"},
                                      {"Enum\\PCI\\A", "Unknown"},
                                      {"Enum\\PCI\\B", "Net"},
                                      {"Enum\\ISAPNP", "Unknown"}};

TEST_F(PurgeTest, AnUnknownStartKeyIsTestedLastAndDeletedOnWindows95) {
  Registry().SetFlavour(Flavour::kWindows95);
  PlantTree(kUnknownStartKey);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("ISAPNP"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI"));
  EXPECT_EQ(log_.Calls().back(), "close HKLM\\Enum\\PCI");
}

TEST_F(PurgeTest, AnUnknownStartKeyWithSubkeysStaysOnNt) {
  Registry().SetFlavour(Flavour::kNt);
  PlantTree(kUnknownStartKey);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\B", "ISAPNP"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI -> 5"));
}

TEST_F(PurgeTest, MissingStartKeyEndsTheSweepAtOnce) {
  PlantTree({{"Enum\\ISAPNP\\A", "Unknown"}});
  const std::vector<std::string> before = Registry().KeyPaths();
  EXPECT_EQ(Sweep(), kFileNotFound);
  EXPECT_THAT(log_.Calls(), ElementsAre("open HKLM\\Enum\\PCI -> 2"));
  EXPECT_EQ(Registry().KeyPaths(), before);
}

TEST_F(PurgeTest, EmptyOrAbsentKeyNameIsRefusedWithoutTouchingTheRegistry) {
  PlantTree({{"Enum", "Unknown"}});
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
    PlantTree({{"Enum\\PCI\\" + name, "Unknown"}, {"Enum\\PCI\\Z", "Unknown"}});
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
  PlantTree({{"Enum\\PCI\\" + longName, "Unknown"},
             {"Enum\\PCI\\" + cutName, "Net"},
             {"Enum\\PCI\\" + cutName + "\\Sub", "Unknown"}});
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\" + longName, "PCI\\" + cutName));
  EXPECT_THAT(log_.CallsOf("open"), ElementsAre("HKLM\\Enum\\PCI", "HKLM\\Enum\\PCI\\" + cutName,
                                                "HKLM\\Enum\\PCI\\" + cutName + "\\Sub"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\" + cutName + "\\Sub"));
}

TEST_F(PurgeTest, NameClaimedToFillTheWholeBufferIsSkipped) {
  PlantTree({{"Enum\\PCI\\A", "Unknown"}});
  junk_.claimFullNames = true;
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\A"));
  EXPECT_THAT(log_.CallsOf("open"), ElementsAre("HKLM\\Enum\\PCI"));
}

const FixtureTree kThreeUnknownDevices = {
    {"Enum\\PCI\\A", "Unknown"}, {"Enum\\PCI\\B", "Unknown"}, {"Enum\\PCI\\C", "Unknown"}};

TEST_F(PurgeTest, SubkeyThatCannotBeOpenedIsPassedOver) {
  PlantTree(kThreeUnknownDevices);
  faults_.Plan().FailCall(HostCall::kRegOpenKeyExA, 3, win::kErrorAccessDenied);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\B"));
  EXPECT_THAT(log_.CallsOf("open"), Contains("HKLM\\Enum\\PCI\\B -> 5"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\C"));
}

TEST_F(PurgeTest, RefusedDeleteMovesOnToTheNextSubkey) {
  PlantTree(kThreeUnknownDevices);
  faults_.Plan().FailCall(HostCall::kRegDeleteKeyA, 2, win::kErrorAccessDenied);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI", "PCI\\B"));
  EXPECT_THAT(log_.CallsOf("delete"),
              ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B -> 5", "HKLM\\Enum\\PCI\\C"));
}

TEST_F(PurgeTest, EnumerationErrorEndsTheSubkeysButTheKeyIsStillTested) {
  PlantTree({{"Enum\\PCI\\X", "Unknown"},
             {"Enum\\PCI\\X\\A", "Unknown"},
             {"Enum\\PCI\\X\\B", "Unknown"}});
  // Enumerations: PCI 0, X 0, A 0, then X 0 again once A is gone.
  faults_.Plan().FailCall(HostCall::kRegEnumKeyExA, 4, win::kErrorNotEnoughMemory);
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(log_.CallsOf("enum"), Contains("HKLM\\Enum\\PCI\\X 0 -> 8"));
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI"));
  EXPECT_THAT(log_.CallsOf("delete"), ElementsAre("HKLM\\Enum\\PCI\\X\\A", "HKLM\\Enum\\PCI\\X"));
}

TEST_F(PurgeTest, EveryOpenedKeyIsClosedAfterItsSubkeys) {
  PlantTree({{"Enum\\PCI\\A", "Unknown"}, {"Enum\\PCI\\B\\C", "Net"}});
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(log_.CallsOf("open"), ElementsAre("HKLM\\Enum\\PCI", "HKLM\\Enum\\PCI\\A",
                                                "HKLM\\Enum\\PCI\\B", "HKLM\\Enum\\PCI\\B\\C"));
  EXPECT_THAT(log_.CallsOf("close"), ElementsAre("HKLM\\Enum\\PCI\\A", "HKLM\\Enum\\PCI\\B\\C",
                                                 "HKLM\\Enum\\PCI\\B", "HKLM\\Enum\\PCI"));
}

}  // namespace
