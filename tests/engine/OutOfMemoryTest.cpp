// Running out of memory anywhere in a plan: the plan ends with `error` at 1,
// nothing crashes, and every INF file holds either its old text or its new
// one, with the old one kept as its backup.
//
// The engine takes all its memory through the non-throwing forms of
// operator new; this binary replaces them with a countdown that fails one
// chosen allocation.
#include <gtest/gtest.h>

#include <new>

#include "InfTexts.h"
#include "support/TestMachine.h"
#include "support/UpdaterProbe.h"

namespace {

long allocationsBeforeFailure = -1;  // negative: no allocation fails
bool allocationFailed = false;

bool AllocationFails() {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    allocationFailed = true;
    return true;
  }
  if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
  return false;
}

}  // namespace

// A block that is not refused comes from the throwing form of the same
// operator, so that the matching delete releases it (as a sanitizer checks).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFails()) return nullptr;
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFails()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

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
  for (long failing = 0; !completed; ++failing) {
    TestMachine machine;
    for (const FileStates& file : files) machine.WriteInf(file.name, file.before);
    UpdaterProbe engine(machine.Host());
    allocationFailed = false;
    allocationsBeforeFailure = failing;
    engine.RunPlan(4);
    allocationsBeforeFailure = -1;
    completed = !allocationFailed;
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
}

}  // namespace
