// Every host file operation of a plan's load, merge and save fails in turn,
// at every call position (the store tells no failure from another, so one
// error per position is enough), and every write in turn stores only half of its bytes: whatever
// fails, no INF text is lost or left half written under a real name, the
// plan reports the failure, and every handle opened is closed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreScenarios.h"

namespace {

using ::testing::IsEmpty;

class StoreFaultMatrixTest : public ::testing::TestWithParam<store::FileState> {
 protected:
  // One scenario: the run must keep every promise, and report its failure.
  // A failed status query is how the host says that there is no such file,
  // so where the query that failed concerned a name that was free anyway,
  // the plan may succeed, with the disk exactly as after a run without
  // fault; so may a moved file that cannot be opened to be put on the disk
  // (a read-only one), as the move is done.
  void Check(const store::Outcome& run, const store::Outcome& clean, bool mayPass) {
    EXPECT_THAT(store::Breaches(GetParam(), run, false), IsEmpty()) << "on disk:\n"
                                                                    << store::Describe(run.after);
    if (mayPass && run.error == 0) {
      EXPECT_EQ(run.after, clean.after) << "the plan succeeded, but not as without the fault";
      return;
    }
    EXPECT_EQ(run.error, 1) << "the plan reported success";
    const std::string oldest = store::BackupName(store::kOldestBackup);
    if (store::Find(run.before, oldest) && !store::Find(run.after, oldest)) ++oldestDropped;
  }

  // Failed saves after which the oldest backup is gone: with all ten names
  // taken, the rotation must delete it before the old file can take its
  // name, so a step that fails after that delete cannot bring it back.
  int oldestDropped = 0;
};

TEST_P(StoreFaultMatrixTest, EveryFailingFileOperationLeavesEveryTextWhole) {
  const store::FileState& state = GetParam();
  const store::Outcome clean = store::RunScenario(state, [](FaultInjectingHost&, std::uint32_t) {});
  ASSERT_EQ(clean.error, 0);
  ASSERT_EQ(store::Find(clean.after, store::kOwnName), state.NewText());
  ASSERT_THAT(store::Breaches(state, clean, false), IsEmpty());

  int scenarios = 0;
  const auto calls = static_cast<std::uint32_t>(clean.calls.size());
  for (std::uint32_t position = 1; position <= calls; ++position) {
    const std::string& call = clean.calls[position - 1];
    SCOPED_TRACE(std::to_string(position) + ": " + call + " fails");
    const store::Outcome run =
        store::RunScenario(state, [&](FaultInjectingHost& faults, std::uint32_t before) {
          faults.Plan().FailCall(HostCall::kAnyFileCall, before + position);
        });
    ASSERT_GE(run.calls.size(), position);
    ASSERT_EQ(FileCallRecorder::Asked(run.calls[position - 1]), FileCallRecorder::Asked(call));
    const bool flushOpen = call.size() > 9 && call.compare(call.size() - 9, 9, " to flush") == 0;
    Check(run, clean, call.rfind("QueryFileStatus", 0) == 0 || flushOpen);
    ++scenarios;
  }
  std::uint32_t writes = 0;
  for (const std::string& call : clean.calls) writes += call.rfind("WriteFile ", 0) == 0 ? 1 : 0;
  for (std::uint32_t write = 1; write <= writes; ++write) {
    SCOPED_TRACE("write " + std::to_string(write) + " stores half of its bytes: disk full");
    const store::Outcome run =
        store::RunScenario(state, [&](FaultInjectingHost& faults, std::uint32_t) {
          faults.Plan().HalfDoCall(HostCall::kWriteFile,
                                   faults.Plan().Calls(HostCall::kWriteFile) + write);
        });
    Check(run, clean, false);
    ++scenarios;
  }
  store::PrintFigure("store fault matrix, " + std::string(state.name) + ": " +
                     std::to_string(scenarios) + " scenarios (" + std::to_string(calls) +
                     " call positions + " + std::to_string(writes) + " short writes)" +
                     (state.tenBackups ? ", " + std::to_string(oldestDropped) +
                                             " failed after the rotation dropped the oldest backup"
                                       : std::string()));
}

INSTANTIATE_TEST_SUITE_P(FileStates, StoreFaultMatrixTest, ::testing::ValuesIn(store::kFileStates),
                         [](const ::testing::TestParamInfo<store::FileState>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
