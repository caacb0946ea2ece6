// Running out of memory anywhere in a plan: the plan ends with `error` at 1,
// nothing crashes, and every INF file holds either its old text or its new
// one, with the old one kept as its backup.
#include <gtest/gtest.h>

#include <cstdio>

#include "InfTexts.h"
#include "host/FaultInjectingHost.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

using namespace inf_texts;

struct FileStates {
  const char* name;
  const char* backup;
  std::string before;
  std::string after;
};

TEST(OutOfMemory, EveryFailedAllocationEndsThePlanAsAFailure) {
  const FileStates files[] = {
      {"mshdc.inf", "mshdc.OR0", MshdcBefore(), MshdcAfter()},
      {"machine.inf", "machine.OR0", MachineBefore(), Machine(true, true, 1)},
      {"usb.inf", "usb.OR0", UsbBefore(), UsbAfter()},
  };
  bool completed = false;
  std::uint32_t failing = 1;
  for (; !completed; ++failing) {
    TestMachine machine;
    for (const FileStates& file : files) machine.WriteInf(file.name, file.before);
    FaultInjectingHost faults(machine.Host());
    UpdaterProbe engine(faults);
    // The plan's allocations, counted from its start.
    FaultPlan& heap = faults.Plan();
    heap = FaultPlan();
    heap.FailCall(HostCall::kAllocate, failing);
    engine.RunPlan(4);
    completed = heap.FaultsMet() == 0;
    EXPECT_EQ(engine.GetError(), completed ? 0 : 1) << "allocation " << failing;
    for (const FileStates& file : files) {
      const std::string text = machine.ReadInf(file.name);
      EXPECT_TRUE(text == file.before || text == file.after) << file.name << " " << failing;
      if (text == file.after) {
        EXPECT_EQ(machine.ReadInf(file.backup), file.before);
      }
      if (completed) {
        EXPECT_EQ(text, file.after);
      }
    }
  }
  // The plan allocates: a run in which no allocation failed ends the search.
  EXPECT_GT(failing, 2u);
  std::printf("figure: plan 4 out of memory: each of its %u allocations failed in turn\n",
              failing - 2);
}

}  // namespace
