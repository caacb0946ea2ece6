// The registry rules that the device sweep relies on, held against the
// memory registry of either family natively and against the real registry
// under Wine, in a prefix of either family: subkeys renumber after a delete,
// a name buffer too small answers ERROR_MORE_DATA, a key with subkeys is
// deleted whole by the Windows 95 family and refused by NT, and the handle
// of a deleted key fails until it is closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "support/TestRegistry.h"

// The family by name, in the cases' names and in GoogleTest's reports.
static void PrintTo(TestRegistry::Family family, std::ostream* out) {
  *out << (family == TestRegistry::Family::kWindows95 ? "Windows95" : "Nt");
}

namespace {

using Family = TestRegistry::Family;

using namespace registry_codes;

class RegistryContract : public ::testing::TestWithParam<Family> {
 protected:
  // Under Wine the real registry follows the family that the prefix reports:
  // a family's cases run in a prefix of that family or fail.
  void SetUp() override {
    const std::vector<Family> held = TestRegistry::Families();
    ASSERT_NE(std::find(held.begin(), held.end(), GetParam()), held.end())
        << "this Windows reports the other family";
  }

  void TearDown() override {
    for (const win::HKEY key : opened_) registry_.RegCloseKey(key);
  }

  // Opens a key below the scratch key ("" for the scratch key itself).
  win::HKEY Open(const std::string& path) {
    const std::string full = path.empty() ? scratch_.Path() : scratch_.Path() + "\\" + path;
    win::HKEY key = nullptr;
    EXPECT_EQ(
        registry_.RegOpenKeyExA(win::HkeyCurrentUser(), full.c_str(), 0, win::kKeyAllAccess, &key),
        kSuccess)
        << path;
    opened_.push_back(key);
    return key;
  }

  std::string SubkeyAt(win::HKEY key, std::uint32_t index) {
    return ::SubkeyAt(registry_, key, index);
  }

  TestRegistry scratch_{GetParam()};
  RegistryServices& registry_ = scratch_.Registry();
  std::vector<win::HKEY> opened_;
};

std::string FamilyName(const ::testing::TestParamInfo<Family>& info) {
  return ::testing::PrintToString(info.param);
}

// Both families are named in every build, whatever Windows lists the cases.
INSTANTIATE_TEST_SUITE_P(Families, RegistryContract,
                         ::testing::Values(Family::kWindows95, Family::kNt), FamilyName);

TEST_P(RegistryContract, DeletingAKeyRenumbersTheKeysAfterIt) {
  for (const char* name : {"A", "B", "C", "D"}) scratch_.MakeKey(name);
  const win::HKEY root = Open("");
  ASSERT_EQ(SubkeyAt(root, 0), "A");

  // A sweep that advances its index after each delete skips every second key.
  std::vector<std::string> deletedWhileAdvancing;
  for (std::uint32_t index = 0;; ++index) {
    const std::string name = SubkeyAt(root, index);
    if (name.front() == '<') break;
    EXPECT_EQ(registry_.RegDeleteKeyA(root, name.c_str()), kSuccess) << name;
    deletedWhileAdvancing.push_back(name);
  }
  EXPECT_EQ(deletedWhileAdvancing, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(SubkeyAt(root, 0), "B");
  EXPECT_EQ(SubkeyAt(root, 1), "D");
  EXPECT_EQ(SubkeyAt(root, 2), EnumerationFailure(kNoMoreItems));
}

// The answer is ERROR_MORE_DATA with the size as it was, whether the buffer
// holds nothing, part of the name, or all of it but its terminator. NT also
// leaves the buffer alone; what the Windows 95 family leaves in it is not to
// be read.
TEST_P(RegistryContract, ANameBufferTooSmallAnswersMoreDataAndKeepsItsSize) {
  scratch_.MakeKey("PCI_VEN_8086");
  const win::HKEY root = Open("");
  for (const std::uint32_t given : {0u, 4u, 12u}) {
    SCOPED_TRACE(given);
    char name[16];
    std::memset(name, '#', sizeof name);
    std::uint32_t size = given;
    EXPECT_EQ(registry_.RegEnumKeyExA(root, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              kMoreData);
    EXPECT_EQ(size, given);
    if (GetParam() == Family::kNt) {
      EXPECT_EQ(std::string(name, sizeof name), std::string(16, '#'));
    }
  }
}

// A text value comes with its terminator; a value too large for the buffer
// answers ERROR_MORE_DATA with the size it needs; a missing one, not found.
TEST_P(RegistryContract, ClassValueQueries) {
  scratch_.MakeKey("DEV", "Unknown");
  const win::HKEY device = Open("DEV");
  std::uint8_t data[64] = {};
  std::uint32_t type = 0;
  std::uint32_t size = sizeof data;
  EXPECT_EQ(registry_.RegQueryValueExA(device, "Class", nullptr, &type, data, &size), kSuccess);
  EXPECT_EQ(type, win::kRegSz);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data)), "Unknown");

  std::uint32_t small = 4;
  EXPECT_EQ(registry_.RegQueryValueExA(device, "Class", nullptr, &type, data, &small), kMoreData);
  EXPECT_EQ(small, 8u);

  std::uint32_t missingSize = sizeof data;
  EXPECT_EQ(registry_.RegQueryValueExA(device, "Driver", nullptr, &type, data, &missingSize),
            kFileNotFound);
}

TEST_P(RegistryContract, DeletingAKeyWithSubkeysFollowsTheFamily) {
  scratch_.MakeKey("PARENT\\CHILD");
  const win::HKEY root = Open("");
  if (GetParam() == Family::kWindows95) {
    EXPECT_EQ(registry_.RegDeleteKeyA(root, "PARENT"), kSuccess);
    EXPECT_EQ(SubkeyAt(root, 0), EnumerationFailure(kNoMoreItems));
  } else {
    EXPECT_EQ(registry_.RegDeleteKeyA(root, "PARENT"), kAccessDenied);
    EXPECT_EQ(SubkeyAt(root, 0), "PARENT");
  }
}

// The sweep deletes a key while it holds it open, and its subkeys while it
// holds their parent: every later call on such a handle fails, and closing
// it still succeeds.
TEST_P(RegistryContract, TheHandleOfADeletedKeyFailsUntilItIsClosed) {
  scratch_.MakeKey("GONE\\SUB", "Unknown");
  const win::HKEY gone = Open("GONE");
  win::HKEY sub = nullptr;
  ASSERT_EQ(registry_.RegOpenKeyExA(gone, "SUB", 0, win::kKeyAllAccess, &sub), kSuccess);
  ASSERT_EQ(registry_.RegDeleteKeyA(gone, "SUB"), kSuccess);

  std::uint8_t data[16];
  std::uint32_t size = sizeof data;
  EXPECT_EQ(registry_.RegQueryValueExA(sub, "Class", nullptr, nullptr, data, &size), kKeyDeleted);
  EXPECT_EQ(SubkeyAt(sub, 0), EnumerationFailure(kKeyDeleted));
  win::HKEY below = nullptr;
  EXPECT_EQ(registry_.RegOpenKeyExA(sub, "", 0, win::kKeyAllAccess, &below), kKeyDeleted);
  EXPECT_EQ(registry_.RegCloseKey(sub), kSuccess);

  EXPECT_EQ(registry_.RegDeleteKeyA(Open(""), "GONE"), kSuccess);
  EXPECT_EQ(SubkeyAt(gone, 0), EnumerationFailure(kKeyDeleted));
}

TEST_P(RegistryContract, OpeningAMissingKeyFails) {
  win::HKEY key = nullptr;
  const std::string missing = scratch_.Path() + "\\NONE";
  EXPECT_EQ(
      registry_.RegOpenKeyExA(win::HkeyCurrentUser(), missing.c_str(), 0, win::kKeyAllAccess, &key),
      kFileNotFound);
}

}  // namespace
