// The system side of the POSIX host: the program's module and its string
// table, a scripted version of Windows, and the thread priority, shutdown
// right and restart that the program asks for. Those last, and the version
// query, go into the desktop's record of calls, so that tests see them in
// order among the windows and boxes.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "host/SystemServices.h"

class ScriptedDesktop;

class ScriptedSystem final : public SystemServices {
 public:
  explicit ScriptedSystem(ScriptedDesktop& record);

  // A Windows 95 build number holds the version in its high bytes.
  static win::OSVERSIONINFOA Windows95(std::uint32_t buildNumber);
  static win::OSVERSIONINFOA WindowsNt(std::uint32_t major, std::uint32_t minor,
                                       std::uint32_t build);
  static win::OSVERSIONINFOA Win32s();
  // Windows 95 build 950 unless set otherwise. GetVersion follows it.
  void SetVersion(const win::OSVERSIONINFOA& version) { version_ = version; }

  // The program's string table: the built-in one unless a test changes it.
  std::map<std::uint16_t, std::string>& Strings() { return strings_; }

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

 private:
  ScriptedDesktop& record_;
  std::map<std::uint16_t, std::string> strings_;
  win::OSVERSIONINFOA version_ = Windows95(0x040003B6);
};
