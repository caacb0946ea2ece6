// A host whose string table can be changed string by string: a set string
// replaces the program's own, an empty one makes it missing. Strings are
// handed out as the host's loader does: cut to the buffer, zero-terminated.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "support/HostWrapper.h"

class ScriptTableHost : public HostWrapper<ForwardingSystem> {
 public:
  explicit ScriptTableHost(HostServices& inner) : HostWrapper(inner) {}

  void Set(std::uint32_t id, const std::string& text) { strings_[id] = text; }

  int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                  int bufferSize) override {
    const auto found = strings_.find(id);
    if (found == strings_.end())
      return ForwardingSystem::LoadStringA(instance, id, buffer, bufferSize);
    if (bufferSize <= 0) return 0;
    const int length = std::min(static_cast<int>(found->second.size()), bufferSize - 1);
    std::memcpy(buffer, found->second.data(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
  }

 private:
  std::map<std::uint32_t, std::string> strings_;
};
