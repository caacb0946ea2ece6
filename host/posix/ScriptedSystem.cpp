#include "host/posix/ScriptedSystem.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "host/posix/BuiltInStrings.h"
#include "host/posix/ScriptedDesktop.h"

namespace {

// (HANDLE)-2, as on Windows.
win::HANDLE CurrentThread() { return reinterpret_cast<win::HANDLE>(~std::uintptr_t{1}); }

win::OSVERSIONINFOA VersionRecord(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                                  std::uint32_t build) {
  win::OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = major;
  version.dwMinorVersion = minor;
  version.dwBuildNumber = build;
  version.dwPlatformId = platform;
  return version;
}

// Copies as much of `text` as fits in `size` bytes, zero-terminated, as the
// module-name and string-table calls do; gives the length copied.
std::uint32_t CopyCut(std::string_view text, char* buffer, std::uint32_t size) {
  if (size == 0) return 0;
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = '\0';
  return static_cast<std::uint32_t>(length);
}

}  // namespace

ScriptedSystem::ScriptedSystem(ScriptedDesktop& record) : record_(record) {
  for (std::size_t i = 0; i < kBuiltInStringCount; ++i) {
    strings_[kBuiltInStrings[i].id] = kBuiltInStrings[i].text;
  }
}

win::OSVERSIONINFOA ScriptedSystem::Windows95(std::uint32_t buildNumber) {
  return VersionRecord(win::kVerPlatformWin32Windows, buildNumber >> 24, (buildNumber >> 16) & 0xFF,
                       buildNumber);
}

win::OSVERSIONINFOA ScriptedSystem::WindowsNt(std::uint32_t major, std::uint32_t minor,
                                              std::uint32_t build) {
  return VersionRecord(win::kVerPlatformWin32Nt, major, minor, build);
}

win::OSVERSIONINFOA ScriptedSystem::Win32s() {
  return VersionRecord(win::kVerPlatformWin32s, 3, 10, 0);
}

win::HINSTANCE ScriptedSystem::GetModuleHandleA(const char* moduleName) {
  return moduleName == nullptr ? ScriptedDesktop::ProgramInstance() : nullptr;
}

std::uint32_t ScriptedSystem::GetModuleFileNameA(win::HINSTANCE, char* buffer, std::uint32_t size) {
  return CopyCut("C:\\TXINFUPD.EXE", buffer, size);
}

// An absent string has length 0.
int ScriptedSystem::LoadStringA(win::HINSTANCE, std::uint32_t id, char* buffer, int bufferSize) {
  const auto found = strings_.find(static_cast<std::uint16_t>(id));
  const std::string_view text = found == strings_.end() ? std::string_view() : found->second;
  return static_cast<int>(
      CopyCut(text, buffer, static_cast<std::uint32_t>(std::max(bufferSize, 0))));
}

// The Windows 95 family and Win32s set the top bit; NT keeps its build
// number in the high word.
std::uint32_t ScriptedSystem::GetVersion() {
  const std::uint32_t numbers =
      (version_.dwMajorVersion & 0xFF) | ((version_.dwMinorVersion & 0xFF) << 8);
  if (version_.dwPlatformId == win::kVerPlatformWin32Nt) {
    return numbers | ((version_.dwBuildNumber & 0x7FFF) << 16);
  }
  return numbers | 0xC0000000u;
}

bool ScriptedSystem::GetVersionExA(win::OSVERSIONINFOA* info) {
  record_.Note("GetVersionExA");
  if (info->dwOSVersionInfoSize != sizeof *info) return false;
  *info = version_;
  return true;
}

win::HANDLE ScriptedSystem::GetCurrentThread() { return CurrentThread(); }

bool ScriptedSystem::SetThreadPriority(win::HANDLE thread, int priority) {
  const bool current = thread == CurrentThread();
  record_.Note(std::string("SetThreadPriority ") + (current ? "current " : "other ") +
               std::to_string(priority));
  return current;
}

bool ScriptedSystem::EnableShutdownPrivilege() {
  record_.Note("EnableShutdownPrivilege");
  return true;
}

bool ScriptedSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  std::ostringstream line;
  line << "ExitWindowsEx " << flags << " " << std::hex << reserved;
  record_.Note(line.str());
  return true;
}
