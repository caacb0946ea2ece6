// The POSIX host: real files below a root folder (PosixFileSystem), a
// registry held in memory (MemoryRegistry), a scripted desktop that records
// what is shown and drawn (ScriptedDesktop), and a scripted system
// (ScriptedSystem).
#pragma once

#include <string>

#include "host/HostServices.h"
#include "host/posix/MemoryRegistry.h"
#include "host/posix/PosixFileSystem.h"
#include "host/posix/ScriptedDesktop.h"
#include "host/posix/ScriptedSystem.h"

// The stand-ins, built before the services that refer to them.
struct PosixStandIns {
  explicit PosixStandIns(const std::string& root) : files_(root) {}

  PosixFileSystem files_;
  MemoryRegistry registry_;
  ScriptedDesktop desktop_;
  ScriptedSystem system_;
};

class PosixHost : private PosixStandIns, public HostServices {
 public:
  // `root` is the folder that stands for drive C:; the Windows directory is
  // C:\WINDOWS below it.
  explicit PosixHost(const std::string& root)
      : PosixStandIns(root), HostServices{files_, registry_, desktop_, system_} {}
  PosixHost(const PosixHost&) = delete;
  PosixHost& operator=(const PosixHost&) = delete;

  PosixFileSystem& Files() { return files_; }
  MemoryRegistry& Registry() { return registry_; }
  ScriptedDesktop& Desktop() { return desktop_; }
  ScriptedSystem& System() { return system_; }
};
