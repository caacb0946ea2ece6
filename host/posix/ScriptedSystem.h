// The system side of the POSIX host: the program's module and its string
// table, a scripted version of Windows, and the thread priority, shutdown
// right and restart that the program asks for. Those last, and the version
// query, go into the desktop's record of calls, so that tests see them in
// order among the windows and boxes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "host/SystemServices.h"
#include "host/posix/BuiltInStrings.h"
#include "host/posix/ScriptedDesktop.h"

class ScriptedSystem final : public SystemServices {
 public:
  explicit ScriptedSystem(ScriptedDesktop& record) : record_(record) {
    for (std::size_t i = 0; i < kBuiltInStringCount; ++i) {
      strings_[kBuiltInStrings[i].id] = kBuiltInStrings[i].text;
    }
  }

  // A Windows 95 build number holds the version in its high bytes.
  static win::OSVERSIONINFOA Windows95(std::uint32_t build) {
    return Version(win::kVerPlatformWin32Windows, build >> 24, (build >> 16) & 0xFF, build);
  }
  static win::OSVERSIONINFOA WindowsNt(std::uint32_t major, std::uint32_t minor,
                                       std::uint32_t build) {
    return Version(win::kVerPlatformWin32Nt, major, minor, build);
  }
  static win::OSVERSIONINFOA Win32s() { return Version(win::kVerPlatformWin32s, 3, 10, 0); }
  // Windows 95 build 950 unless set otherwise. GetVersion follows it.
  void SetVersion(const win::OSVERSIONINFOA& version) { version_ = version; }

  // The program's string table: the built-in one unless a test changes it.
  std::map<std::uint16_t, std::string>& Strings() { return strings_; }

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
  // The version in the low word; the Windows 95 family and Win32s set the
  // top bit. The program reads the major version alone.
  std::uint32_t GetVersion() override {
    const bool nt = version_.dwPlatformId == win::kVerPlatformWin32Nt;
    return version_.dwMajorVersion | (version_.dwMinorVersion << 8) | (nt ? 0 : 0x80000000u);
  }
  bool GetVersionExA(win::OSVERSIONINFOA* info) override {
    record_.Note("GetVersionExA");
    if (info->dwOSVersionInfoSize != sizeof *info) return false;
    *info = version_;
    return true;
  }
  // (HANDLE)-2, as on Windows.
  win::HANDLE GetCurrentThread() override {
    return reinterpret_cast<win::HANDLE>(~std::uintptr_t{1});
  }
  bool SetThreadPriority(win::HANDLE thread, int priority) override {
    const bool current = thread == GetCurrentThread();
    record_.Note(std::string("SetThreadPriority ") + (current ? "current " : "other ") +
                 std::to_string(priority));
    return current;
  }
  bool EnableShutdownPrivilege() override {
    record_.Note("EnableShutdownPrivilege");
    return true;
  }
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
    std::ostringstream line;
    line << "ExitWindowsEx " << flags << " " << std::hex << reserved;
    record_.Note(line.str());
    return true;
  }

 private:
  static win::OSVERSIONINFOA Version(std::uint32_t platform, std::uint32_t major,
                                     std::uint32_t minor, std::uint32_t build) {
    return {sizeof(win::OSVERSIONINFOA), major, minor, build, platform, {}};
  }
  // Copies as much of `text` as fits in `size` bytes, zero-terminated, as the
  // module-name and string-table calls do; gives the length copied.
  static std::uint32_t CopyCut(std::string_view text, char* buffer, std::uint32_t size) {
    if (size == 0) return 0;
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::copy_n(text.data(), length, buffer);
    buffer[length] = '\0';
    return static_cast<std::uint32_t>(length);
  }

  ScriptedDesktop& record_;
  std::map<std::uint16_t, std::string> strings_;
  win::OSVERSIONINFOA version_ = Windows95(0x040003B6);
};
