// A host file operation that fails while loading or saving: the plan's
// flag goes to 1, what was opened is closed, and no INF text is lost or
// left half written under a real name.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "StoreScenarios.h"
#include "host/FaultInjectingHost.h"
#include "support/HostWrapper.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

using Names = std::vector<std::string>;

const std::string& kOld = store::kOldText;
const std::string kNew = kOld + "\r\n";

enum class Left { kNothing, kNewText };

struct FaultCase {
  const char* name;
  HostCall op;
  std::uint32_t nth;
  std::int32_t loadError;
  Left tmp;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class StoreFaultTest : public ::testing::TestWithParam<FaultCase> {
 protected:
  TestMachine machine;
  FaultInjectingHost host{machine.Host()};
};

TEST_P(StoreFaultTest, FailsWithTheOldFileInPlace) {
  const FaultCase& c = GetParam();
  machine.WriteInf("mshdc.inf", kOld);
  host.Plan().FailCall(c.op, c.nth);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc.inf"));
  EXPECT_EQ(engine.GetError(), c.loadError);
  EXPECT_EQ(engine.HasDocument(), c.loadError == 0);
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(host.OpenHandleCount(), 0);
  host.CloseLeftoverHandles();
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), kOld);
  EXPECT_FALSE(machine.InfExists("mshdc.OR0"));
  if (c.tmp == Left::kNothing) {
    EXPECT_EQ(machine.ListInf(), (Names{"mshdc.inf"}));
  }
  if (c.tmp == Left::kNewText) {
    EXPECT_EQ(machine.ReadInf("mshdc.tmp"), kNew);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StoreFaultTest,
    ::testing::Values(FaultCase{"OpenToRead", HostCall::kCreateFileA, 1, 1, Left::kNothing},
                      FaultCase{"Read", HostCall::kReadFile, 1, 1, Left::kNothing},
                      FaultCase{"CloseAfterReading", HostCall::kCloseHandle, 1, 1, Left::kNothing},
                      FaultCase{"Flush", HostCall::kFlushFileBuffers, 1, 0, Left::kNothing},
                      FaultCase{"MoveToBackup", HostCall::kMoveFileA, 1, 0, Left::kNewText},
                      FaultCase{"MoveIntoPlace", HostCall::kMoveFileA, 2, 0, Left::kNewText}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// A failed close of the temporary file ends the save at that step. The
// handle is gone all the same, so nothing would stop a move: none follows,
// and the disk is as it was.
class FailedCloseTest : public ::testing::TestWithParam<store::FileState> {};

TEST_P(FailedCloseTest, EndsTheSaveBeforeAnyMove) {
  const store::FileState& state = GetParam();
  // A file with text is read and closed before the temporary file is made.
  const std::uint32_t closesBefore = state.oldText && !state.oldText->empty() ? 1 : 0;
  const store::Outcome run =
      store::RunScenario(state, [&](FaultInjectingHost& faults, std::uint32_t) {
        const std::uint32_t nth = faults.Plan().Calls(HostCall::kCloseHandle) + closesBefore + 1;
        faults.Plan().FailCall(HostCall::kCloseHandle, nth);
      });
  EXPECT_EQ(run.error, 1);
  EXPECT_EQ(run.handlesLeftOpen, 0);
  const auto failedClose = std::find(run.calls.rbegin(), run.calls.rend(), "CloseHandle");
  ASSERT_NE(failedClose, run.calls.rend());
  for (auto call = run.calls.rbegin(); call != failedClose; ++call) {
    EXPECT_NE(call->rfind("MoveFile", 0), 0u) << *call;
  }
  EXPECT_EQ(run.after, run.before);
}

INSTANTIATE_TEST_SUITE_P(FileStates, FailedCloseTest, ::testing::ValuesIn(store::kFileStates),
                         [](const ::testing::TestParamInfo<store::FileState>& info) {
                           return std::string(info.param.name);
                         });

class SaveFaultTest : public ::testing::Test {
 protected:
  TestMachine machine;
  FaultInjectingHost host{machine.Host()};
};

TEST_F(SaveFaultTest, FailedStatusQueryOfABackupNameMeansItIsFree) {
  machine.WriteInf("mshdc.inf", kOld);
  host.Plan().FailCall(HostCall::kQueryFileStatus, 2);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 0);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), kNew);
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), kOld);
}

// A status query that fails on a file that is there: the file is taken for
// missing, but the new text only moves into place, and that move refuses
// the file that exists, so its text survives.
TEST_F(SaveFaultTest, FileTheQueryFailedToSeeIsNotOverwritten) {
  machine.WriteInf("mshdc.inf", kOld);
  host.Plan().FailCall(HostCall::kQueryFileStatus, 1);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc.inf"));
  ASSERT_EQ(engine.Existed(), 0);
  engine.SetDocument({"[Strings]"});
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), kOld);
  EXPECT_EQ(machine.ReadInf("mshdc.tmp"), "[Strings]\r\n");
}

// With the way back refused as well, the old text stays under the backup
// name and the new one under the temporary name.
TEST_F(SaveFaultTest, RefusedWayBackLeavesBothTextsOnDisk) {
  machine.WriteInf("mshdc.inf", kOld);
  host.Plan().FailCall(HostCall::kMoveFileA, 2);
  host.Plan().FailCall(HostCall::kMoveFileA, 3);
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc.inf"));
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(machine.ReadInf("mshdc.OR0"), kOld);
  EXPECT_EQ(machine.ReadInf("mshdc.tmp"), kNew);
}

// Reports a size off by `delta` bytes, as for a file that changed between
// its status query and its read.
class ChangedSizeHost : public HostWrapper<ForwardingFiles> {
 public:
  ChangedSizeHost(HostServices& inner, std::int32_t delta) : HostWrapper(inner), delta_(delta) {}
  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    if (!ForwardingFiles::QueryFileStatus(path, status)) return false;
    status->size += static_cast<std::uint32_t>(delta_);
    return true;
  }

 private:
  std::int32_t delta_;
};

class ChangedSizeTest : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(ChangedSizeTest, FileThatChangedSinceItsSizeWasTakenIsNotLoaded) {
  TestMachine machine;
  machine.WriteInf("mshdc.inf", kOld);
  ChangedSizeHost host(machine.Host(), GetParam());
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("mshdc.inf"));
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_FALSE(engine.HasDocument());
  engine.SaveInf();
  EXPECT_EQ(machine.ListInf(), (Names{"mshdc.inf"}));
  EXPECT_EQ(machine.ReadInf("mshdc.inf"), kOld);
}

INSTANTIATE_TEST_SUITE_P(Deltas, ChangedSizeTest, ::testing::Values(1, -1, -10));

}  // namespace
