// The system side of the POSIX host: the program's module and its string
// table (the built-in one: tests script strings with ScriptTableHost), the
// version of Windows (tests choose another with VersionHost), and the thread
// priority, shutdown right and restart that the program asks for, which it
// grants.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "host/SystemServices.h"
#include "host/posix/BuiltInStrings.h"
#include "host/posix/LoaderCut.h"
#include "host/posix/ScriptedDesktop.h"
#include "host/posix/VersionWord.h"

class ScriptedSystem final : public SystemServices {
 public:
  ScriptedSystem() {
    for (std::size_t i = 0; i < kBuiltInStringCount; ++i) {
      strings_[kBuiltInStrings[i].id] = kBuiltInStrings[i].text;
    }
  }

  win::HINSTANCE GetModuleHandleA(const char* moduleName) override {
    return moduleName == nullptr ? ScriptedDesktop::ProgramInstance() : nullptr;
  }
  std::uint32_t GetModuleFileNameA(win::HINSTANCE, char* buffer, std::uint32_t size) override {
    return CopyCut("C:\\TXINFUPD.EXE", buffer, size);
  }
  // An absent string has length 0.
  int LoadStringA(win::HINSTANCE, std::uint32_t id, char* buffer, int bufferSize) override {
    const auto found = strings_.find(static_cast<std::uint16_t>(id));
    const std::string_view text = found == strings_.end() ? std::string_view() : found->second;
    return static_cast<int>(
        CopyCut(text, buffer, static_cast<std::uint32_t>(std::max(bufferSize, 0))));
  }
  std::uint32_t GetVersion() override { return VersionWord(version_); }
  bool GetVersionExA(win::OSVERSIONINFOA* info) override {
    if (info->dwOSVersionInfoSize != sizeof *info) return false;
    *info = version_;
    return true;
  }
  // (HANDLE)-2, as on Windows.
  win::HANDLE GetCurrentThread() override {
    return reinterpret_cast<win::HANDLE>(~std::uintptr_t{1});
  }
  bool SetThreadPriority(win::HANDLE thread, int) override { return thread == GetCurrentThread(); }
  bool EnableShutdownPrivilege() override { return true; }
  bool ExitWindowsEx(std::uint32_t, std::uint32_t) override { return true; }

 private:
  std::map<std::uint16_t, std::string> strings_;
  // Windows 95 build 950 (version 4.00); tests choose another with VersionHost.
  const win::OSVERSIONINFOA version_ = {sizeof(win::OSVERSIONINFOA),   4, 0, 0x040003B6,
                                        win::kVerPlatformWin32Windows, {}};
};
