// The plan ends as a failure, and touches nothing more, when the host lets
// it down: no Windows directory, a refused file operation.
#include <gtest/gtest.h>

#include <ostream>

#include "InfTexts.h"
#include "host/FaultInjectingHost.h"
#include "support/FileCallRecorder.h"
#include "support/HostWrapper.h"
#include "support/ScriptTableHost.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"
#include "support/WindowsDirectoryHost.h"

namespace {

using namespace inf_texts;
using Names = std::vector<std::string>;

struct DirectoryCase {
  std::uint32_t result;
  std::string directory;
};

void PrintTo(const DirectoryCase& c, std::ostream* os) { *os << c.result; }

// Runs plan 3 and a load through `host`, which answers the Windows
// directory query badly: both fail, and no file call reaches `recording`.
void ExpectNothingTouched(TestMachine& machine, const FileCallRecorder& recording,
                          HostServices& host) {
  UpdaterProbe engine(host);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_TRUE(recording.Calls().empty());
  engine.LoadInf(std::string("mshdc.inf"));
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_FALSE(engine.HasDocument());
  EXPECT_TRUE(recording.Calls().empty());
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), MshdcBefore());
}

class BadWindowsDirectoryTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(BadWindowsDirectoryTest, PlanFailsBeforeAnyFileIsTouched) {
  TestMachine machine;
  machine.WriteInf("mshdc.inf", MshdcBefore());
  FileCallRecorder recording(machine.Host(), machine);
  WindowsDirectoryHost host(recording, GetParam().result, GetParam().directory);
  ExpectNothingTouched(machine, recording, host);
}

INSTANTIATE_TEST_SUITE_P(Directories, BadWindowsDirectoryTest,
                         ::testing::Values(DirectoryCase{260, std::string(259, 'x')},
                                           DirectoryCase{261, std::string(300, 'x')},
                                           DirectoryCase{1000, ""}));

TEST(WindowsDirectory, AFailedQueryFailsThePlanBeforeAnyFileIsTouched) {
  TestMachine machine;
  machine.WriteInf("mshdc.inf", MshdcBefore());
  FileCallRecorder recording(machine.Host(), machine);
  FaultInjectingHost host(recording);
  host.Plan().FailCallsFrom(HostCall::kGetWindowsDirectoryA, 1);
  ExpectNothingTouched(machine, recording, host);
}

TEST(WindowsDirectory, MissingFailsEvenAPlanThatWouldDoNothing) {
  TestMachine machine;
  ScriptTableHost script(machine.Host());
  script.Set(3, "-1");
  FaultInjectingHost host(script);
  host.Plan().FailCallsFrom(HostCall::kGetWindowsDirectoryA, 1);
  UpdaterProbe engine(host);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 1);
}

TEST(WindowsDirectory, IsTakenAsItIsFollowedByTheInfFolder) {
  TestMachine machine;
  WindowsDirectoryHost root(machine.Host(), 3, "C:\\");
  EXPECT_EQ(UpdaterProbe(root).InfDirectory(), "C:\\\\INF\\");
  const std::string longest = "C:\\" + std::string(256, 'w');
  WindowsDirectoryHost full(machine.Host(), 259, longest);
  EXPECT_EQ(UpdaterProbe(full).InfDirectory(), longest + "\\INF\\");
}

class PlanFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.WriteInf("mshdc.inf", MshdcBefore());
    machine.WriteInf("machine.inf", MachineBefore());
  }

  TestMachine machine;
  FaultInjectingHost host{machine.Host()};
};

TEST_F(PlanFaultTest, FailedLoadStopsThePlanWithNothingWritten) {
  host.Plan().FailCall(HostCall::kCreateFileA, 1);
  UpdaterProbe engine(host);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(host.Plan().Calls(HostCall::kCreateFileA), 1u);
  EXPECT_EQ(machine.ListInf(), (Names{"machine.inf", "mshdc.inf"}));
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), MshdcBefore());
  EXPECT_EQ(host.OpenHandleCount(), 0);
}

TEST_F(PlanFaultTest, FailedSaveStopsThePlanBeforeTheNextFile) {
  host.Plan().FailCall(HostCall::kMoveFileA, 1);
  UpdaterProbe engine(host);
  engine.RunPlan(3);
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), MshdcBefore());
  EXPECT_EQ(machine.ReadInf("mshdc.tmp"), MshdcAfter());
  EXPECT_EQ(machine.ReadInf("machine.inf"), MachineBefore());
  EXPECT_EQ(machine.ListInf(), (Names{"machine.inf", "mshdc.inf", "mshdc.tmp"}));
  EXPECT_EQ(host.OpenHandleCount(), 0);
}

TEST_F(PlanFaultTest, FailedStatusQueryAtLoadMeansMissing) {
  host.Plan().FailCall(HostCall::kQueryFileStatus, 1);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc.inf"));
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(engine.Existed(), 0);
  EXPECT_TRUE(engine.Lines().empty());
}

}  // namespace
