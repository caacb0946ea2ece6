// A host whose string table can be changed string by string: a set string
// replaces the program's own, an empty one makes it missing. A table made
// with `Others::kMissing` holds the strings set and no other. Strings are
// handed out as the host's loader does: cut to the buffer, zero-terminated.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "host/posix/LoaderCut.h"
#include "support/HostWrapper.h"

class ScriptTableHost final : public HostWrapper<ForwardingSystem> {
 public:
  enum class Others { kProgramsOwn, kMissing };

  explicit ScriptTableHost(HostServices& inner, Others others = Others::kProgramsOwn)
      : HostWrapper(inner), others_(others) {}

  void Set(std::uint32_t id, const std::string& text) { strings_[id] = text; }
  // Forgets every string set.
  void Clear() { strings_.clear(); }

  int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                  int bufferSize) override {
    const auto found = strings_.find(id);
    if (found == strings_.end() && others_ == Others::kProgramsOwn)
      return ForwardingSystem::LoadStringA(instance, id, buffer, bufferSize);
    const std::string_view text =
        found == strings_.end() ? std::string_view() : std::string_view(found->second);
    return static_cast<int>(
        CopyCut(text, buffer, bufferSize <= 0 ? 0 : static_cast<std::uint32_t>(bufferSize)));
  }

 private:
  Others others_;
  std::map<std::uint32_t, std::string> strings_;
};
