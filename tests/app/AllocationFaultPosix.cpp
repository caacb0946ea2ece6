#include <cstdlib>
#include <new>

#include "AllocationFault.h"

namespace {

bool failNextNothrow = false;

void* Allocate(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

}  // namespace

void FailNextNothrowAllocation() { failNextNothrow = true; }

void* operator new(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (failNextNothrow) {
    failNextNothrow = false;
    return nullptr;
  }
  return Allocate(size);
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
