// The in-memory registry's subkey index under many siblings: creation,
// lookup by name in any letter case, enumeration by index and deletes,
// checked against a plain list of names after every step, across the point
// where deleted slots are squeezed out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "host/posix/MemoryRegistry.h"

namespace {

constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kFileNotFound = 2;
constexpr std::int32_t kNoMoreItems = 259;
constexpr char kPciPath[] = "HKEY_LOCAL_MACHINE\\Enum\\PCI";

const win::HKEY kLocalMachine = win::HkeyLocalMachine();

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

class SubkeyIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.CreateKey(kPciPath));
    ASSERT_EQ(registry_.RegOpenKeyExA(kLocalMachine, "Enum\\PCI", 0, win::kKeyAllAccess, &pci_),
              kSuccess);
  }
  void TearDown() override { EXPECT_EQ(registry_.RegCloseKey(pci_), kSuccess); }

  void Create(const std::string& name) {
    ASSERT_TRUE(registry_.CreateKey(std::string(kPciPath) + "\\" + name));
  }

  // The subkey of `key` at `index`: the enumeration's result, the name
  // into `name`.
  std::int32_t NameAt(win::HKEY key, std::uint32_t index, std::string* name) {
    char buffer[256];
    std::uint32_t size = sizeof buffer;
    const std::int32_t result =
        registry_.RegEnumKeyExA(key, index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    *name = result == kSuccess ? std::string(buffer, size) : std::string();
    return result;
  }

  // Every subkey by index, then the index past the last one.
  std::vector<std::string> Enumerated() {
    std::vector<std::string> names;
    for (std::uint32_t index = 0;; ++index) {
      std::string name;
      const std::int32_t result = NameAt(pci_, index, &name);
      if (result == kNoMoreItems) return names;
      EXPECT_EQ(result, kSuccess) << "index " << index;
      if (result != kSuccess) return names;
      names.push_back(name);
    }
  }

  bool Opens(const std::string& name) {
    win::HKEY key = nullptr;
    if (registry_.RegOpenKeyExA(pci_, name.c_str(), 0, win::kKeyAllAccess, &key) != kSuccess) {
      return false;
    }
    return registry_.RegCloseKey(key) == kSuccess;
  }

  MemoryRegistry registry_;
  win::HKEY pci_ = nullptr;
};

TEST_F(SubkeyIndexTest, RandomCreatesAndDeletesMatchAPlainList) {
  std::mt19937 random(20240611);
  std::vector<std::string> model;
  for (int step = 0; step < 3000; ++step) {
    const std::string name = "Dev_" + std::to_string(random() % 600);
    const bool present = std::find_if(model.begin(), model.end(), [&](const std::string& known) {
                           return Lower(known) == Lower(name);
                         }) != model.end();
    const bool deleting = random() % 3 == 0 || (present && random() % 2 == 0);
    const std::string spellings[] = {name, Upper(name), Lower(name)};
    const std::string& spelling = spellings[random() % 3];
    if (deleting) {
      EXPECT_EQ(registry_.RegDeleteKeyA(pci_, spelling.c_str()),
                present ? kSuccess : kFileNotFound);
      std::erase_if(model, [&](const std::string& known) { return Lower(known) == Lower(name); });
    } else {
      Create(spelling);
      if (!present) model.push_back(spelling);
    }
    EXPECT_EQ(Opens(Upper(name)), !deleting) << "step " << step << " " << name;
    if (step % 100 == 0) {
      ASSERT_EQ(Enumerated(), model) << "step " << step;
    }
  }
  EXPECT_EQ(Enumerated(), model);
}

TEST_F(SubkeyIndexTest, SweepingDeletesKeepTheOrderOfTheRest) {
  std::vector<std::string> model;
  for (int i = 0; i < 10000; ++i) {
    model.push_back("VEN_8086&DEV_" + std::to_string(i));
    Create(model.back());
  }
  // A sweep's pattern: every third key, deleted at its own index, so that
  // the next key moves into that index.
  std::vector<std::string> kept;
  std::uint32_t index = 0;
  for (std::size_t i = 0; i < model.size(); ++i) {
    if (i % 3 != 0) {
      kept.push_back(model[i]);
      ++index;
      continue;
    }
    std::string name;
    ASSERT_EQ(NameAt(pci_, index, &name), kSuccess);
    ASSERT_EQ(name, model[i]);
    ASSERT_EQ(registry_.RegDeleteKeyA(pci_, name.c_str()), kSuccess);
  }
  EXPECT_EQ(Enumerated(), kept);
}

TEST_F(SubkeyIndexTest, HandlesSurviveTheSqueezeOfDeletedSlots) {
  for (int i = 0; i < 200; ++i) Create("K" + std::to_string(i));
  Create("Last\\Child");
  win::HKEY last = nullptr;
  ASSERT_EQ(registry_.RegOpenKeyExA(pci_, "last", 0, win::kKeyAllAccess, &last), kSuccess);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(registry_.RegDeleteKeyA(pci_, ("k" + std::to_string(i)).c_str()), kSuccess);
  }
  EXPECT_EQ(Enumerated(), std::vector<std::string>{"Last"});
  std::string name;
  EXPECT_EQ(NameAt(last, 0, &name), kSuccess);
  EXPECT_EQ(name, "Child");
  Create("K0");
  EXPECT_EQ(Enumerated(), (std::vector<std::string>{"Last", "K0"}));
  EXPECT_EQ(registry_.RegCloseKey(last), kSuccess);
}

}  // namespace
