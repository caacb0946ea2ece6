#include "host/win32/Win32System.h"

#include <cstddef>
#include <cstdint>

#include "host/win32/LateBinding.h"
#include "host/win32/Win32Records.h"
#include "host/win32/WindowsApi.h"

namespace {

constexpr char kAdvapi[] = "ADVAPI32";

using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using LookupPrivilegeValueFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
using AdjustTokenPrivilegesFunction = BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                                    PTOKEN_PRIVILEGES, PDWORD);

}  // namespace

win::HINSTANCE Win32System::GetModuleHandleA(const char* moduleName) {
  return As<win::HINSTANCE>(::GetModuleHandleA(moduleName));
}

std::uint32_t Win32System::GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                              std::uint32_t size) {
  return ::GetModuleFileNameA(As<HMODULE>(module), buffer, size);
}

int Win32System::LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                             int bufferSize) {
  return ::LoadStringA(As<HINSTANCE>(instance), id, buffer, bufferSize);
}

std::uint32_t Win32System::GetVersion() { return ::GetVersion(); }

bool Win32System::GetVersionExA(win::OSVERSIONINFOA* info) {
  return ::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(info)) != FALSE;
}

win::HANDLE Win32System::GetCurrentThread() { return As<win::HANDLE>(::GetCurrentThread()); }

bool Win32System::SetThreadPriority(win::HANDLE thread, int priority) {
  return ::SetThreadPriority(As<HANDLE>(thread), priority) != FALSE;
}

// Windows NT asks for the shutdown privilege before a restart; the Windows 95
// family has no privileges. The NT calls are looked up at run time so that
// the program still loads where ADVAPI32 lacks them.
bool Win32System::EnableShutdownPrivilege() {
  const auto openProcessToken =
      LoadedFunction<OpenProcessTokenFunction>(kAdvapi, "OpenProcessToken");
  const auto lookupPrivilegeValue =
      LoadedFunction<LookupPrivilegeValueFunction>(kAdvapi, "LookupPrivilegeValueA");
  const auto adjustTokenPrivileges =
      LoadedFunction<AdjustTokenPrivilegesFunction>(kAdvapi, "AdjustTokenPrivileges");
  if (!openProcessToken || !lookupPrivilegeValue || !adjustTokenPrivileges) return false;
  HANDLE token = nullptr;
  if (!openProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool granted = lookupPrivilegeValue(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
                 adjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                 ::GetLastError() == ERROR_SUCCESS;
  ::CloseHandle(token);
  return granted;
}

bool Win32System::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}
