// The few run-time pieces that compiled C++ needs when no C runtime is
// linked: memory on the process heap, the block routines the compiler emits,
// static construction and destruction, and the pure-virtual trap.
#include "host/win32/FreestandingRuntime.h"

#include <cstddef>
#include <new>

#include "host/win32/WindowsApi.h"

using StaticFunction = void (*)();

// The linker gathers the static constructors of every object file into this
// list: a -1 word, the constructors, then a 0 word.
extern "C" StaticFunction __CTOR_LIST__[];

namespace {

constexpr int kExitHandlerCapacity = 32;
StaticFunction exitHandlers[kExitHandlerCapacity];
int exitHandlerCount = 0;

void* AllocateOnHeap(std::size_t size) {
  return ::HeapAlloc(::GetProcessHeap(), 0, size ? size : 1);
}

void* AllocateOrStop(std::size_t size) {
  void* block = AllocateOnHeap(size);
  if (!block) ::ExitProcess(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

void ReleaseToHeap(void* block) {
  if (block) ::HeapFree(::GetProcessHeap(), 0, block);
}

}  // namespace

// Constructors run last to first, as the compiler's own start-up code does,
// so that objects are built in the order of their definitions.
void RunStaticConstructors() {
  std::size_t count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  for (std::size_t i = count; i > 0; --i) __CTOR_LIST__[i]();
}

void RunExitHandlers() {
  while (exitHandlerCount > 0) exitHandlers[--exitHandlerCount]();
}

extern "C" int atexit(StaticFunction handler) {
  if (exitHandlerCount == kExitHandlerCapacity) return -1;
  exitHandlers[exitHandlerCount++] = handler;
  return 0;
}

extern "C" void __cxa_pure_virtual() { ::ExitProcess(ERROR_INVALID_FUNCTION); }

namespace std {
const nothrow_t nothrow{};
}  // namespace std

// Plain new has no way to report failure without exceptions: the process
// ends. The core allocates with new (std::nothrow) and checks.
void* operator new(std::size_t size) { return AllocateOrStop(size); }
void* operator new[](std::size_t size) { return AllocateOrStop(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOnHeap(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOnHeap(size);
}
void operator delete(void* block) noexcept { ReleaseToHeap(block); }
void operator delete[](void* block) noexcept { ReleaseToHeap(block); }
void operator delete(void* block, std::size_t) noexcept { ReleaseToHeap(block); }
void operator delete[](void* block, std::size_t) noexcept { ReleaseToHeap(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { ReleaseToHeap(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ReleaseToHeap(block); }

// The block routines that the compiler calls for copies, clears and string
// lengths. This file is compiled without built-ins, so the loops stay loops.
extern "C" void* memcpy(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count--) *to++ = *from++;
  return target;
}

extern "C" void* memmove(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  if (to <= from || to >= from + count) return memcpy(target, source, count);
  while (count--) to[count] = from[count];
  return target;
}

extern "C" void* memset(void* target, int value, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  while (count--) *to++ = static_cast<unsigned char>(value);
  return target;
}

extern "C" int memcmp(const void* left, const void* right, std::size_t count) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (; count--; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

extern "C" std::size_t strlen(const char* text) {
  std::size_t length = 0;
  while (text[length]) ++length;
  return length;
}
