// Walking update plans over INF files on a scratch machine.
#include <gtest/gtest.h>

#include <ostream>
#include <utility>

#include "InfTexts.h"
#include "support/FileCallRecorder.h"
#include "support/ScriptTableHost.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

using namespace inf_texts;
using Names = std::vector<std::string>;

class PlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.WriteInf("mshdc.inf", MshdcBefore());
    machine.WriteInf("machine.inf", MachineBefore());
    machine.WriteInf("usb.inf", UsbBefore());
  }

  TestMachine machine;
};

TEST_F(PlanTest, TheRoadOfOneFile) {
  FileCallRecorder host(machine.Host(), machine);
  UpdaterProbe engine(host);
  engine.ApplyFileEntry(9900);
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_FALSE(engine.HasDocument());

  EXPECT_EQ(machine.ReadInf("mshdc.inf"), MshdcAfter());
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), MshdcBefore());
  EXPECT_EQ(machine.ListInf(), (Names{"machine.inf", "mshdc.OR0", "mshdc.inf", "usb.inf"}));

  std::vector<std::string> road = {"GetWindowsDirectory",
                                   "QueryFileStatus mshdc.inf",
                                   "CreateFile mshdc.inf to read",
                                   "ReadFile",
                                   "CloseHandle",
                                   "CreateFile mshdc.tmp to write"};
  const std::string after = MshdcAfter();
  for (std::size_t start = 0; start < after.size();) {
    const std::size_t end = after.find("\r\n", start) + 2;
    road.push_back("WriteFile " + after.substr(start, end - start));
    start = end;
  }
  road.insert(road.end(), {"FlushFileBuffers", "CloseHandle", "QueryFileStatus mshdc.OR0 (none)",
                           "MoveFile mshdc.inf to mshdc.OR0", "CreateFile mshdc.OR0 to flush",
                           "FlushFileBuffers", "CloseHandle", "MoveFile mshdc.tmp to mshdc.inf",
                           "CreateFile mshdc.inf to flush", "FlushFileBuffers", "CloseHandle"});
  EXPECT_EQ(host.Calls(), road);
}

TEST_F(PlanTest, Plan3UpdatesMshdcAndMachineWithoutMiniports) {
  UpdaterProbe engine(machine.Host());
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), MshdcAfter());
  EXPECT_EQ(machine.ReadInf("machine.inf"), Machine(true, false, 1));
  EXPECT_EQ(machine.ReadInf("usb.inf"), UsbBefore());
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), MshdcBefore());
  EXPECT_EQ(machine.ReadInf("machine.OR0"), MachineBefore());
  EXPECT_EQ(machine.ListInf(),
            (Names{"machine.OR0", "machine.inf", "mshdc.OR0", "mshdc.inf", "usb.inf"}));
}

TEST_F(PlanTest, Plan4UpdatesAllThreeFilesWithMiniports) {
  UpdaterProbe engine(machine.Host());
  engine.RunPlan(4);
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), MshdcAfter());
  EXPECT_EQ(machine.ReadInf("machine.inf"), Machine(true, true, 1));
  EXPECT_EQ(machine.ReadInf("usb.inf"), UsbAfter());
  EXPECT_EQ(machine.ReadInf("usb.OR0"), UsbBefore());
  EXPECT_EQ(machine.ListInf(),
            (Names{"machine.OR0", "machine.inf", "mshdc.OR0", "mshdc.inf", "usb.OR0", "usb.inf"}));
}

TEST_F(PlanTest, ASecondRunChangesOnlyTheLineEndsAndAddsBackups) {
  UpdaterProbe engine(machine.Host());
  engine.RunPlan(4);
  engine.RunPlan(4);
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), Mshdc(true, true, true, 2));
  EXPECT_EQ(machine.ReadInf("mshdc.OR1"), MshdcAfter());
  EXPECT_EQ(machine.ReadInf("machine.inf"), Machine(true, true, 2));
  EXPECT_EQ(machine.ReadInf("usb.inf"), UsbAfter() + "\r\n");
  EXPECT_EQ(machine.ReadInf("usb.OR1"), UsbAfter());
}

TEST(EmptyDocument, MissingFileIsCreatedFromTheBlocksAlone) {
  TestMachine machine;
  UpdaterProbe engine(machine.Host());
  engine.ApplyFileEntry(9900);
  EXPECT_EQ(engine.GetError(), 0);
  using namespace script;
  EXPECT_EQ(machine.ReadInf("mshdc.inf"),
            Join({"[INTEL_HDC]", k12, k13, "[ControlFlags]", k32, k33, "[Strings]", k52, k53}));
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.inf"}));
}

TEST(EmptyDocument, ZeroSizeFileIsOverwrittenWithoutBackup) {
  TestMachine machine;
  machine.WriteInf("usb.inf", "");
  UpdaterProbe engine(machine.Host());
  engine.ApplyFileEntry(9903);
  using namespace script;
  EXPECT_EQ(machine.ReadInf("usb.inf"),
            Join({"[Intel.Section]", k302, k303, "[Strings]", k332, k333}));
  EXPECT_EQ(machine.ListInf(), (Names{"usb.inf"}));
}

// The script changes of each case, the error at the end, and what became of
// the two files that plan 3 names.
struct WalkCase {
  const char* name;
  std::vector<std::pair<std::uint32_t, std::string>> strings;
  std::int32_t error;
  std::string mshdc;
  std::string machine;
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

std::string MshdcSaved() { return MshdcAfter(); }
std::string MachineSaved() { return Machine(true, false, 1); }

class WalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(WalkTest, EndsAsTheTableSays) {
  const WalkCase& c = GetParam();
  TestMachine machine;
  machine.WriteInf("mshdc.inf", MshdcBefore());
  machine.WriteInf("machine.inf", MachineBefore());
  ScriptTableHost host(machine.Host());
  for (const auto& [id, text] : c.strings) host.Set(id, text);
  UpdaterProbe engine(host);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), c.error);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), c.mshdc);
  EXPECT_EQ(machine.ReadInf("machine.inf"), c.machine);
  EXPECT_EQ(machine.InfExists("mshdc.OR0"), c.mshdc != MshdcBefore());
  EXPECT_EQ(machine.InfExists("machine.OR0"), c.machine != MachineBefore());
  EXPECT_FALSE(machine.InfExists("mshdc.tmp"));
  EXPECT_FALSE(machine.InfExists("machine.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, WalkTest,
    ::testing::Values(
        WalkCase{"StoredPlan", {}, 0, MshdcSaved(), MachineSaved()},
        WalkCase{"PlanStringMissing", {{3, ""}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"PlanCountMissing", {{3, "   "}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"PlanCountZero", {{3, "0 9900 9901"}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"PlanCountNegative", {{3, "-1 9900 9901"}}, 0, MshdcBefore(), MachineBefore()},
        WalkCase{"CountBeyondTheIds", {{3, "3 9900 9901"}}, 1, MshdcSaved(), MachineSaved()},
        WalkCase{
            "IdsBeyondTheCountAreNotRead", {{3, "1 9900 9901"}}, 0, MshdcSaved(), MachineBefore()},
        WalkCase{"EntryIdZero", {{3, "2 0 9901"}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"EntryStringMissing", {{3, "2 9900 9905"}}, 1, MshdcSaved(), MachineBefore()},
        WalkCase{"EntryOfBlanksOnly", {{9900, "   "}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"EntryCountMissing", {{9900, "mshdc.inf"}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"EntryCountZero", {{9900, "mshdc.inf 0 10"}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"EntryCountNegative",
                 {{9900, "mshdc.inf -2 10"}},
                 0,
                 Mshdc(false, false, false, 1),
                 MachineSaved()},
        WalkCase{
            "BlockIdMissing", {{9900, "mshdc.inf 3 10 30"}}, 1, MshdcBefore(), MachineBefore()},
        WalkCase{"BlockIdZero", {{9900, "mshdc.inf 3 10 0 50"}}, 1, MshdcBefore(), MachineBefore()},
        // A failed block ends its own file's blocks; the file is saved, the
        // plan goes on, and the plan ends as a failure.
        WalkCase{"BlockFails",
                 {{9900, "mshdc.inf 3 10 20 50"}},
                 1,
                 Mshdc(true, false, false, 1),
                 MachineSaved()},
        WalkCase{"LastBlockOfLastEntryFails",
                 {{9901, "machine.inf 5 100 130 150 170 20"}},
                 1,
                 MshdcSaved(),
                 MachineSaved()},
        WalkCase{"ExtraBlanksReadAsOne",
                 {{3, "  2   9900    9901  "}, {9900, "  mshdc.inf   3 10  30 50 "}},
                 0,
                 MshdcSaved(),
                 MachineSaved()},
        WalkCase{"DigitsFollowedByLetters", {{3, "1 9900x"}}, 0, MshdcSaved(), MachineBefore()},
        WalkCase{"LettersOnly", {{3, "1 abc"}}, 1, MshdcBefore(), MachineBefore()},
        // "2\t9900" is one token worth 2; 9901 follows, then nothing.
        WalkCase{"TabDoesNotSeparate", {{3, "2\t9900 9901"}}, 1, MshdcBefore(), MachineSaved()}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

TEST(Walk, ANegativeEntryIdIsAMissingString) {
  TestMachine machine;
  ScriptTableHost host(machine.Host());
  host.Set(3, "1 -9900");
  UpdaterProbe engine(host);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_TRUE(machine.ListInf().empty());
}

TEST(Walk, ABlockFailureOfAnEarlierPlanDoesNotFailTheNext) {
  TestMachine machine;
  ScriptTableHost host(machine.Host());
  host.Set(5, "1 9910");
  host.Set(9910, "usb.inf 1 20");
  UpdaterProbe engine(host);
  engine.RunPlan(5);
  EXPECT_EQ(engine.GetError(), 1);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 0);
}

TEST(Walk, AFileWithAZeroByteStopsThePlanUntouched) {
  TestMachine machine;
  const std::string withZero = std::string("[Version]\r\n\0[INTEL_HDC]\r\n", 25);
  machine.WriteInf("mshdc.inf", withZero);
  machine.WriteInf("machine.inf", MachineBefore());
  UpdaterProbe engine(machine.Host());
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), withZero);
  EXPECT_EQ(machine.ReadInf("machine.inf"), MachineBefore());
  EXPECT_EQ(machine.ListInf(), (Names{"machine.inf", "mshdc.inf"}));
}

TEST(Walk, AFileStartingWithAZeroByteIsRefusedToo) {
  TestMachine machine;
  const std::string withZero = std::string("\0[Strings]\r\n", 12);
  machine.WriteInf("mshdc.inf", withZero);
  UpdaterProbe engine(machine.Host());
  engine.ApplyFileEntry(9900);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_FALSE(engine.HasDocument());
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), withZero);
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.inf"}));
}

TEST(Walk, FileNameMayCarryBlanksBeforeIt) {
  TestMachine machine;
  machine.WriteInf("usb.inf", UsbBefore());
  ScriptTableHost host(machine.Host());
  host.Set(9903, "\t  usb.inf 2 300 330");
  UpdaterProbe engine(host);
  engine.ApplyFileEntry(9903);
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("usb.inf"), UsbAfter());
}

}  // namespace
