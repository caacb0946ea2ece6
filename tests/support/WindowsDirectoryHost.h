// A host that answers the Windows directory query with a chosen directory,
// copied into the buffer when it fits; every other call goes to the inner
// host.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "support/HostWrapper.h"

class WindowsDirectoryHost : public HostWrapper<ForwardingFiles> {
 public:
  // The query answers `result`, whatever the buffer.
  WindowsDirectoryHost(HostServices& inner, std::uint32_t result, std::string directory)
      : HostWrapper(inner), result_(result), directory_(std::move(directory)) {}
  // The query answers with `directory` as the real call does: the length
  // without the terminator when it fits, else the size needed with it.
  WindowsDirectoryHost(HostServices& inner, std::string directory)
      : HostWrapper(inner), directory_(std::move(directory)) {}

  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override {
    const auto length = static_cast<std::uint32_t>(directory_.size());
    const bool fits = length < size;
    if (fits) std::memcpy(buffer, directory_.c_str(), length + 1);
    if (result_) return *result_;
    return fits ? length : length + 1;
  }

 private:
  std::optional<std::uint32_t> result_;
  std::string directory_;
};
