// The system side of the host: the running module and its string table, the
// version of Windows, the priority of a thread, and the restart.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

class SystemServices {
 public:
  virtual win::HINSTANCE GetModuleHandleA(const char* moduleName) = 0;
  virtual std::uint32_t GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                           std::uint32_t size) = 0;
  virtual int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                          int bufferSize) = 0;
  virtual std::uint32_t GetVersion() = 0;
  virtual bool GetVersionExA(win::OSVERSIONINFOA* info) = 0;
  virtual win::HANDLE GetCurrentThread() = 0;
  virtual bool SetThreadPriority(win::HANDLE thread, int priority) = 0;
  // Grants the running process the right to shut the system down. Only NT
  // has such a right: callers ask for it there alone.
  virtual bool EnableShutdownPrivilege() = 0;
  virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;

 protected:
  // Realisations are never deleted through the facet.
  ~SystemServices() = default;
};
