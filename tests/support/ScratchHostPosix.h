// A PosixHost over a fresh temporary folder that goes away with it.
#pragma once

#include <filesystem>
#include <memory>

#include "ScratchFolderPosix.h"
#include "host/posix/PosixHost.h"

class ScratchHost {
 public:
  ScratchHost();
  ~ScratchHost();
  ScratchHost(const ScratchHost&) = delete;
  ScratchHost& operator=(const ScratchHost&) = delete;

  // The folder that stands for drive C:.
  const std::filesystem::path& Root() const { return folder_.Path(); }
  PosixHost& Host() { return *host_; }
  MemoryRegistry& Registry() { return host_->Registry(); }

 private:
  ScratchFolder folder_;
  std::unique_ptr<PosixHost> host_;
};
