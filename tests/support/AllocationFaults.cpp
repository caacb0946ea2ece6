#include "AllocationFaults.h"

#include <new>

FaultPlan& AllocationFaults() {
  static FaultPlan plan;
  return plan;
}

// A block that is not refused comes from the throwing form of the same
// operator, so that the matching delete releases it (as a sanitizer checks).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFaults().Admit(HostCall::kAllocate)) return nullptr;
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFaults().Admit(HostCall::kAllocate)) return nullptr;
  try {
    return ::operator new[](size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
