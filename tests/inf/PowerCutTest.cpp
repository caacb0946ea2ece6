// The power goes right after each host file operation of a plan's load,
// merge and save in turn, in each state the file can be found in: at every
// point the old text can be had under the file's own name or its backup
// name, and the own name never holds a part of a text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreScenarios.h"

namespace {

using ::testing::IsEmpty;

class PowerCutTest : public ::testing::TestWithParam<store::FileState> {};

TEST_P(PowerCutTest, AtEveryPointTheOldTextIsRecoverable) {
  const store::FileState& state = GetParam();
  const store::Outcome whole = store::RunScenario(state, [](FaultInjectingHost&, std::uint32_t) {});
  int points = 0;
  int ownNameEmpty = 0;
  for (std::uint32_t cut = 0;; ++cut) {
    SCOPED_TRACE("power cut after " + std::to_string(cut) + " file operations");
    const store::Outcome run =
        store::RunScenario(state, [&](FaultInjectingHost& faults, std::uint32_t before) {
          faults.PowerCutAfter(before + cut);
        });
    ++points;
    EXPECT_THAT(store::Breaches(state, run, true), IsEmpty()) << "on disk:\n"
                                                              << store::Describe(run.after);
    const bool ownNamePresent = store::Find(run.after, store::kOwnName).has_value();
    if (state.oldText && !ownNamePresent) ++ownNameEmpty;
    if (run.calls.size() > cut) {
      // Cut where only moved files were left to put on the disk, the run
      // ends as a whole one does.
      if (run.error == 0) {
        EXPECT_EQ(run.after, whole.after) << "a run cut short reported success";
      } else {
        EXPECT_EQ(run.error, 1);
      }
      continue;
    }
    EXPECT_EQ(run.error, 0);
    EXPECT_EQ(store::Find(run.after, store::kOwnName), state.NewText());
    EXPECT_FALSE(store::Find(run.after, store::kTempName).has_value());
    store::PrintFigure("power cut, " + std::string(state.name) + ": " + std::to_string(points) +
                       " points (before the first of " + std::to_string(run.calls.size()) +
                       " file operations and after each), " + std::to_string(ownNameEmpty) +
                       " with the own name empty between two moves");
    return;
  }
}

INSTANTIATE_TEST_SUITE_P(FileStates, PowerCutTest, ::testing::ValuesIn(store::kFileStates),
                         [](const ::testing::TestParamInfo<store::FileState>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
