// The sweep over registry trees at their size limits: a chain of keys 100
// levels deep, and one key with 10,000 subkeys, in either flavour of delete.
// The sweep comes to its end, deletes what the rules say, keeps the rest and
// leaves no key open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/UnknownDevicePurge.h"
#include "support/RegistryFixturesPosix.h"

namespace {

using ::testing::ElementsAre;
using Flavour = MemoryRegistry::Flavour;

constexpr std::int32_t kSuccess = 0;
const std::string kPci = "HKEY_LOCAL_MACHINE\\Enum\\PCI";

class HugeRegistryTest : public ::testing::TestWithParam<Flavour> {
 protected:
  void SetUp() override {
    Registry().SetFlavour(GetParam());
    ASSERT_TRUE(Registry().CreateKey(kPci));
  }
  void TearDown() override { EXPECT_EQ(Registry().OpenHandleCount(), 0u); }

  MemoryRegistry& Registry() { return scratch_.Registry(); }

  void SetClass(const std::string& path, const std::string& text) {
    ASSERT_TRUE(Registry().SetValue(path, "Class", win::kRegSz, text + '\0'));
  }

  std::int32_t Sweep() {
    return PurgeUnknownDevices(scratch_.Host().registry, win::HkeyLocalMachine(), "Enum\\PCI");
  }

  // The keys below Enum\PCI, PCI itself included, named from PCI on.
  std::vector<std::string> KeysLeft() {
    std::vector<std::string> left;
    for (const std::string& path : Registry().KeyPaths()) {
      if (path.rfind(kPci, 0) == 0) left.push_back(path.substr(kPci.size() - 3));
    }
    return left;
  }

  ScratchHost scratch_;
};

INSTANTIATE_TEST_SUITE_P(Flavours, HugeRegistryTest,
                         ::testing::Values(Flavour::kWindows95, Flavour::kNt),
                         [](const ::testing::TestParamInfo<Flavour>& info) {
                           return info.param == Flavour::kWindows95 ? "Windows95" : "Nt";
                         });

// L1\L2\...\L100 below PCI, each level's path.
std::vector<std::string> Chain() {
  std::vector<std::string> levels;
  std::string path = kPci;
  for (int level = 1; level <= 100; ++level) {
    path += "\\L" + std::to_string(level);
    levels.push_back(path);
  }
  return levels;
}

TEST_P(HugeRegistryTest, ChainOfUnknownKeysAHundredLevelsDeepGoesWhole) {
  const std::vector<std::string> levels = Chain();
  for (const std::string& path : levels) SetClass(path, "Unknown");
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_THAT(KeysLeft(), ElementsAre("PCI"));
}

// A known device at the bottom: Windows 95 deletes it with the unknown key
// above it; NT refuses every unknown key that still holds it.
TEST_P(HugeRegistryTest, KnownKeyAtTheBottomOfAHundredLevels) {
  const std::vector<std::string> levels = Chain();
  for (const std::string& path : levels) SetClass(path, "Unknown");
  SetClass(levels.back(), "Net");
  EXPECT_EQ(Sweep(), kSuccess);
  if (GetParam() == Flavour::kWindows95) {
    EXPECT_THAT(KeysLeft(), ElementsAre("PCI"));
    return;
  }
  EXPECT_EQ(KeysLeft().size(), 101u);
  EXPECT_TRUE(Registry().KeyExists(levels.back()));
}

// Two of every three subkeys are unknown, so that unknown ones follow one
// another: each is deleted and the one moved into its index is still seen.
TEST_P(HugeRegistryTest, KeyWithTenThousandSubkeys) {
  constexpr int kSubkeys = 10000;
  std::vector<std::string> kept = {"PCI"};
  for (int i = 0; i < kSubkeys; ++i) {
    std::string name = std::to_string(100000 + i);
    name = "DEV_" + name.substr(1);
    SetClass(kPci + "\\" + name, i % 3 == 0 ? "PCI bridge" : "UNKNOWN");
    if (i % 3 == 0) kept.push_back("PCI\\" + name);
  }
  EXPECT_EQ(Sweep(), kSuccess);
  EXPECT_EQ(KeysLeft(), kept);
}

}  // namespace
