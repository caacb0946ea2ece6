#include "engine/ScriptStrings.h"

#include <new>

namespace {

constexpr std::int64_t kLastStringId = 0xFFFF;
constexpr int kFirstBufferSize = 128;
// A table string holds at most 65535 UTF-16 units, each at most two bytes in
// an ANSI code page: a buffer of this size always takes a string whole.
constexpr int kWholeStringBufferSize = 2 * 0xFFFF + 1;

}  // namespace

StringRead ReadScriptString(SystemServices& system, std::int64_t id, Text& text) {
  text.Clear();
  if (id < 0 || id > kLastStringId) return StringRead::kMissing;
  const win::HINSTANCE module = system.GetModuleHandleA(nullptr);
  for (int size = kFirstBufferSize;; size *= 2) {
    if (size > kWholeStringBufferSize) size = kWholeStringBufferSize;
    char* buffer = new (std::nothrow) char[size];
    if (buffer == nullptr) return StringRead::kNoMemory;
    const int length = system.LoadStringA(module, static_cast<std::uint32_t>(id), buffer, size);
    // The loader cuts what does not fit; a full buffer may hold a cut string.
    const bool whole = length < size - 1 || size == kWholeStringBufferSize;
    const bool kept =
        !whole || length <= 0 || text.Assign(buffer, static_cast<std::size_t>(length));
    delete[] buffer;
    if (!kept) return StringRead::kNoMemory;
    if (!whole) continue;
    // A zero byte would cut the string short wherever it goes to the host: a
    // file name holding one names another file than its temporary and backup
    // names are made from.
    if (length > 0 && text.Find('\0') == Text::kNotFound) return StringRead::kFound;
    text.Clear();
    return StringRead::kMissing;
  }
}
