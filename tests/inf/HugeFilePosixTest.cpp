// An INF file of 50 MB through a whole plan: read in one piece, merged and
// saved whole, the old text kept whole as the backup. Native only, and one
// file, to keep the suite's time and memory in bounds.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "StoreScenarios.h"

namespace {

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

TEST(HugeFile, FiftyMegabytesAreMergedAndSavedWhole) {
  const std::string line = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI,70108086,1,04,00";
  std::string text = "[Version]";
  text.reserve(50u << 20);
  while (text.size() < (50u << 20)) text.append("\r\n").append(line);
  TestMachine machine;
  machine.WriteInf(store::kOwnName, text);
  ScriptTableHost strings(machine.Host());
  store::InstallPlan(strings);
  {
    InfUpdater engine(strings, nullptr);
    engine.RunPlan(store::kPlan);
    EXPECT_EQ(engine.GetError(), 0);
  }
  EXPECT_EQ(machine.ListInf(), (std::vector<std::string>{"mshdc.OR0", "mshdc.inf"}));
  EXPECT_TRUE(ReadWhole(machine.InfDir() / "mshdc.OR0") == text);
  EXPECT_TRUE(ReadWhole(machine.InfDir() / "mshdc.inf") == text + "\r\n" + store::kAppended);
}

}  // namespace
