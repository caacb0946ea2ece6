// A host that answers the Windows directory query with a chosen result,
// copying a chosen directory into the buffer when it fits; every other call
// goes to the inner host.
#pragma once

#include <cstring>
#include <string>
#include <utility>

#include "host/ForwardingHost.h"

class WindowsDirectoryHost : public ForwardingHost {
 public:
  WindowsDirectoryHost(HostServices& inner, std::uint32_t result, std::string directory)
      : ForwardingHost(inner), result_(result), directory_(std::move(directory)) {}
  // The query succeeds with `directory`.
  WindowsDirectoryHost(HostServices& inner, const std::string& directory)
      : WindowsDirectoryHost(inner, static_cast<std::uint32_t>(directory.size()), directory) {}

  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override {
    if (directory_.size() < size) std::memcpy(buffer, directory_.c_str(), directory_.size() + 1);
    return result_;
  }

 private:
  std::uint32_t result_;
  std::string directory_;
};
