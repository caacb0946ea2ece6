// An INF file of 50 MB through a whole plan: read in one piece, merged and
// saved whole, the old text kept whole as the backup. Native only, and one
// file, to keep the suite's time and memory in bounds.
#include <gtest/gtest.h>

#include "StoreScenarios.h"

namespace {

TEST(HugeFile, FiftyMegabytesAreMergedAndSavedWhole) {
  const std::string line = "HKLM,System\\CurrentControlSet\\Services\\VxD\\PCI,70108086,1,04,00";
  std::string text = "[Version]";
  text.reserve(50u << 20);
  while (text.size() < (50u << 20)) text.append("\r\n").append(line);
  TestMachine machine;
  machine.WriteInf(store::kOwnName, text);
  EXPECT_EQ(store::RunPlan(machine.Host()), 0);
  EXPECT_EQ(machine.ListInf(), (std::vector<std::string>{"mshdc.OR0", "mshdc.inf"}));
  EXPECT_TRUE(machine.ReadInf("mshdc.OR0") == text);
  EXPECT_TRUE(machine.ReadInf("mshdc.inf") == text + "\r\n" + store::kAppended);
}

}  // namespace
