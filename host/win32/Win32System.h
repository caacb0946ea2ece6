// The Win32 realisation of the host's system side: each operation is the ANSI
// Win32 call of the same name; the shutdown privilege is NT's, and the caller
// asks for it there alone.
#pragma once

#include <cstdint>

#include "host/SystemServices.h"

class Win32System final : public SystemServices {
 public:
  win::HINSTANCE GetModuleHandleA(const char* moduleName) override;
  std::uint32_t GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                   std::uint32_t size) override;
  int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer, int bufferSize) override;
  std::uint32_t GetVersion() override;
  bool GetVersionExA(win::OSVERSIONINFOA* info) override;
  win::HANDLE GetCurrentThread() override;
  bool SetThreadPriority(win::HANDLE thread, int priority) override;
  bool EnableShutdownPrivilege() override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
};
