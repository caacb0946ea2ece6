// A host file operation that fails while loading or saving: the plan's
// flag goes to 1, what was opened is closed, and no INF text is lost or
// left half written under a real name.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "StoreScenarios.h"
#include "support/HostWrapper.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

using Op = FaultInjectingHost::FileOp;
using Names = std::vector<std::string>;

const std::string& kOld = store::kOldText;
const std::string kNew = kOld + "\r\n";

enum class Left { kNothing, kNewText };

struct FaultCase {
  const char* name;
  Op op;
  std::uint32_t nth;
  bool shortWrite;
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
  if (c.shortWrite) {
    ASSERT_TRUE(host.ShortWrite(c.nth));
  } else {
    ASSERT_TRUE(host.FailCall(c.op, c.nth, win::kErrorAccessDenied));
  }
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
    ::testing::Values(FaultCase{"OpenToRead", Op::kCreateFile, 1, false, 1, Left::kNothing},
                      FaultCase{"Read", Op::kReadFile, 1, false, 1, Left::kNothing},
                      FaultCase{"CloseAfterReading", Op::kCloseHandle, 1, false, 1, Left::kNothing},
                      FaultCase{"CreateTemporary", Op::kCreateFile, 2, false, 0, Left::kNothing},
                      FaultCase{"FirstWrite", Op::kWriteFile, 1, false, 0, Left::kNothing},
                      FaultCase{"LastWrite", Op::kWriteFile, 5, false, 0, Left::kNothing},
                      FaultCase{"DiskFull", Op::kWriteFile, 3, true, 0, Left::kNothing},
                      FaultCase{"Flush", Op::kFlushFileBuffers, 1, false, 0, Left::kNothing},
                      FaultCase{"CloseTemporary", Op::kCloseHandle, 2, false, 0, Left::kNothing},
                      FaultCase{"MoveToBackup", Op::kMoveFile, 1, false, 0, Left::kNewText},
                      FaultCase{"MoveIntoPlace", Op::kMoveFile, 2, false, 0, Left::kNewText}),
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
        const std::uint32_t nth = faults.CallCount(Op::kCloseHandle) + closesBefore + 1;
        ASSERT_TRUE(faults.FailCall(Op::kCloseHandle, nth, win::kErrorAccessDenied));
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
  ASSERT_TRUE(host.FailCall(Op::kQueryFileStatus, 2, win::kErrorFileNotFound));
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
  ASSERT_TRUE(host.FailCall(Op::kQueryFileStatus, 1, win::kErrorAccessDenied));
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
  ASSERT_TRUE(host.FailCall(Op::kMoveFile, 2, win::kErrorAccessDenied));
  ASSERT_TRUE(host.FailCall(Op::kMoveFile, 3, win::kErrorAccessDenied));
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

struct MissingFileCase {
  const char* name;
  std::uint32_t nth;
  bool shortWrite;
};

void PrintTo(const MissingFileCase& c, std::ostream* os) { *os << c.name; }

class MissingFileFaultTest : public ::testing::TestWithParam<MissingFileCase> {};

TEST_P(MissingFileFaultTest, LeavesNoPartFileUnderTheOwnName) {
  TestMachine machine;
  FaultInjectingHost host(machine.Host());
  if (GetParam().shortWrite) {
    ASSERT_TRUE(host.ShortWrite(GetParam().nth));
  } else {
    ASSERT_TRUE(host.FailCall(Op::kWriteFile, GetParam().nth, win::kErrorDiskFull));
  }
  UpdaterProbe engine(host);
  engine.LoadInf(std::string("usb.inf"));
  engine.SetDocument({"[Intel.Section]", "a", "[Strings]", "b"});
  engine.SaveInf();
  EXPECT_EQ(engine.GetError(), 1);
  EXPECT_EQ(host.OpenHandleCount(), 0);
  EXPECT_TRUE(machine.ListInf().empty());
}

INSTANTIATE_TEST_SUITE_P(Writes, MissingFileFaultTest,
                         ::testing::Values(MissingFileCase{"FirstWrite", 1, false},
                                           MissingFileCase{"ThirdWrite", 3, false},
                                           MissingFileCase{"DiskFull", 4, true}),
                         [](const ::testing::TestParamInfo<MissingFileCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
