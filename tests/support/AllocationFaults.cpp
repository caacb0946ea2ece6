// The heap of a test binary as a host call that can fail: the non-throwing
// forms of operator new, which the core takes all its memory through, ask the
// plan of the fault-injecting host first (HostCall::kAllocate) and give
// nothing for a call it fails, as the heap does once memory has run out.
// Every test binary links this file itself, as no code calls into it.
#include <new>

#include "host/FaultInjectingHost.h"

namespace {

bool Refused() {
  FaultPlan* plan = FaultInjectingHost::HeapPlan();
  return plan != nullptr && plan->Admit(HostCall::kAllocate);
}

}  // namespace

// A block that is not refused comes from the throwing form of the same
// operator, so that the matching delete releases it (as a sanitizer checks).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (Refused()) return nullptr;
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (Refused()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
