#include "host/win32/Win32Host.h"

#include <cstddef>
#include <cstdint>

#include "host/win32/WindowsApi.h"

// On 32-bit Windows SetClassLongPtrA is a macro for SetClassLongA; the
// operation of that name is ours, so the macro must not rename it.
#undef SetClassLongPtrA

namespace {

template <typename To, typename From>
To As(From handle) {
  return reinterpret_cast<To>(handle);
}

// The portable records passed through unchanged must match the real ones.
static_assert(sizeof(win::OSVERSIONINFOA) == sizeof(::OSVERSIONINFOA));
static_assert(sizeof(win::FILETIME) == sizeof(::FILETIME));
static_assert(sizeof(win::RECT) == sizeof(::RECT));
static_assert(sizeof(win::MSG) == sizeof(::MSG));
static_assert(offsetof(win::MSG, pt) == offsetof(::MSG, pt));
static_assert(sizeof(win::PAINTSTRUCT) == sizeof(::PAINTSTRUCT));
static_assert(offsetof(win::PAINTSTRUCT, rcPaint) == offsetof(::PAINTSTRUCT, rcPaint));
static_assert(sizeof(win::BITMAP) == sizeof(::BITMAP));

// A 32-bit in-out argument handed to a call that takes a DWORD pointer:
// copied in before the call and back after it.
class DwordArgument {
 public:
  explicit DwordArgument(std::uint32_t* value) : value_(value), copy_(value ? *value : 0) {}
  ~DwordArgument() {
    if (value_) *value_ = copy_;
  }
  DwordArgument(const DwordArgument&) = delete;
  DwordArgument& operator=(const DwordArgument&) = delete;
  DWORD* Get() { return value_ ? &copy_ : nullptr; }
  // For calls that need the pointer even where the caller wants no result
  // (the Windows 95 file calls): the copy serves and is dropped.
  DWORD* Always() { return &copy_; }

 private:
  std::uint32_t* value_;
  DWORD copy_;
};

// Window classes registered through the host carry a portable procedure. The
// real class gets one of these real procedures, each bound to one slot that
// holds the portable procedure it calls.
constexpr int kClassSlots = 4;
win::WNDPROC classProcedures[kClassSlots] = {};

template <int Slot>
LRESULT CALLBACK ClassTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return classProcedures[Slot](As<win::HWND>(window), message, wParam, lParam);
}

constexpr WNDPROC kTrampolines[kClassSlots] = {ClassTrampoline<0>, ClassTrampoline<1>,
                                               ClassTrampoline<2>, ClassTrampoline<3>};

int FreeClassSlot() {
  for (int slot = 0; slot < kClassSlots; ++slot) {
    if (!classProcedures[slot]) return slot;
  }
  return -1;
}

win::WNDPROC PortableProcedureOf(WNDPROC real) {
  for (int slot = 0; slot < kClassSlots; ++slot) {
    if (kTrampolines[slot] == real) return classProcedures[slot];
  }
  return nullptr;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int32_t DaysFromCivil(std::int32_t year, std::uint32_t month, std::uint32_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int32_t era = (year >= 0 ? year : year - 399) / 400;
  const std::uint32_t yearOfEra = static_cast<std::uint32_t>(year - era * 400);
  const std::uint32_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::uint32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int32_t>(dayOfEra) - 719468;
}

std::int32_t SecondsOfCalendarTime(const SYSTEMTIME& time) {
  const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay);
  const std::int64_t seconds =
      days * 86400 + time.wHour * 3600 + time.wMinute * 60 + std::int64_t{time.wSecond};
  if (seconds > INT32_MAX) return INT32_MAX;
  if (seconds < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(seconds);
}

// A file time as whole seconds of local calendar time; 0 for a time that the
// file system does not keep.
std::int32_t LocalSeconds(const FILETIME& universal) {
  if (universal.dwLowDateTime == 0 && universal.dwHighDateTime == 0) return 0;
  FILETIME local;
  SYSTEMTIME calendar;
  if (!::FileTimeToLocalFileTime(&universal, &local)) return 0;
  if (!::FileTimeToSystemTime(&local, &calendar)) return 0;
  return SecondsOfCalendarTime(calendar);
}

bool HasWildcard(const char* path) {
  for (; *path; ++path) {
    if (*path == '*' || *path == '?') return true;
  }
  return false;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The root folder of the volume of a full path: "C:\" or "\\server\share\".
bool VolumeRoot(const char* fullPath, char* root, std::size_t size) {
  std::size_t length = 0;
  if (fullPath[0] && fullPath[1] == ':') {
    length = 2;
  } else if (IsSeparator(fullPath[0]) && IsSeparator(fullPath[1])) {
    int separators = 0;
    while (fullPath[length] && !(IsSeparator(fullPath[length]) && ++separators == 4)) ++length;
  } else {
    return false;
  }
  if (length + 2 > size) return false;
  for (std::size_t i = 0; i < length; ++i) root[i] = fullPath[i];
  root[length] = '\\';
  root[length + 1] = '\0';
  return true;
}

// FindFirstFileA takes no trailing separator, except after a drive.
void DropTrailingSeparator(char* path, DWORD length) {
  if (length > 3 && IsSeparator(path[length - 1])) path[length - 1] = '\0';
}

template <typename Function>
Function AdvapiFunction(const char* name) {
  const HMODULE advapi = ::GetModuleHandleA("ADVAPI32.DLL");
  if (!advapi) return nullptr;
  // Cast through the generic function type that the compiler accepts for
  // entry points looked up by name.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(advapi, name)));
}

using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using LookupPrivilegeValueFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
using AdjustTokenPrivilegesFunction = BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                                    PTOKEN_PRIVILEGES, PDWORD);

bool IsWindows95Family() { return (::GetVersion() & 0x80000000u) != 0; }

}  // namespace

win::HINSTANCE Win32Host::GetModuleHandleA(const char* moduleName) {
  return As<win::HINSTANCE>(::GetModuleHandleA(moduleName));
}

std::uint32_t Win32Host::GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                            std::uint32_t size) {
  return ::GetModuleFileNameA(As<HMODULE>(module), buffer, size);
}

int Win32Host::LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                           int bufferSize) {
  return ::LoadStringA(As<HINSTANCE>(instance), id, buffer, bufferSize);
}

std::uint32_t Win32Host::GetLastError() { return ::GetLastError(); }

std::uint32_t Win32Host::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

std::uint32_t Win32Host::GetVersion() { return ::GetVersion(); }

bool Win32Host::GetVersionExA(win::OSVERSIONINFOA* info) {
  return ::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(info)) != FALSE;
}

win::HANDLE Win32Host::GetCurrentThread() { return As<win::HANDLE>(::GetCurrentThread()); }

bool Win32Host::SetThreadPriority(win::HANDLE thread, int priority) {
  return ::SetThreadPriority(As<HANDLE>(thread), priority) != FALSE;
}

// Windows NT asks for the shutdown privilege before a restart; the Windows 95
// family has no privileges. The NT calls are looked up at run time so that
// the program still loads where ADVAPI32 lacks them.
bool Win32Host::EnableShutdownPrivilege() {
  if (IsWindows95Family()) return true;
  const auto openProcessToken = AdvapiFunction<OpenProcessTokenFunction>("OpenProcessToken");
  const auto lookupPrivilegeValue =
      AdvapiFunction<LookupPrivilegeValueFunction>("LookupPrivilegeValueA");
  const auto adjustTokenPrivileges =
      AdvapiFunction<AdjustTokenPrivilegesFunction>("AdjustTokenPrivileges");
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

bool Win32Host::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}

bool Win32Host::SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                      std::uint32_t winIni) {
  return ::SystemParametersInfoA(action, param, data, winIni) != FALSE;
}

bool Win32Host::QueryFileStatus(const char* path, win::FileStatus* status) {
  if (HasWildcard(path)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  char fullPath[MAX_PATH];
  char* filePart = nullptr;
  const DWORD length = ::GetFullPathNameA(path, MAX_PATH, fullPath, &filePart);
  if (length == 0) return false;
  if (length >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  char root[MAX_PATH];
  if (!VolumeRoot(fullPath, root, sizeof root)) {
    ::SetLastError(ERROR_BAD_PATHNAME);
    return false;
  }
  if (!::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
    return false;
  }
  DropTrailingSeparator(fullPath, length);
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(fullPath, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  if (!status) return true;
  status->size = found.nFileSizeLow;
  status->attributes = found.dwFileAttributes;
  status->creationTime = LocalSeconds(found.ftCreationTime);
  status->lastWriteTime = LocalSeconds(found.ftLastWriteTime);
  status->lastAccessTime = LocalSeconds(found.ftLastAccessTime);
  return true;
}

win::HANDLE Win32Host::CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                   std::uint32_t disposition, std::uint32_t attributes) {
  return As<win::HANDLE>(
      ::CreateFileA(path, access, shareMode, nullptr, disposition, attributes, nullptr));
}

bool Win32Host::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                         std::uint32_t* read) {
  DwordArgument done(read);
  return ::ReadFile(As<HANDLE>(file), buffer, toRead, done.Always(), nullptr) != FALSE;
}

bool Win32Host::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                          std::uint32_t* written) {
  DwordArgument done(written);
  return ::WriteFile(As<HANDLE>(file), buffer, toWrite, done.Always(), nullptr) != FALSE;
}

bool Win32Host::FlushFileBuffers(win::HANDLE file) {
  return ::FlushFileBuffers(As<HANDLE>(file)) != FALSE;
}

bool Win32Host::CloseHandle(win::HANDLE handle) {
  return ::CloseHandle(As<HANDLE>(handle)) != FALSE;
}

bool Win32Host::MoveFileA(const char* existing, const char* target) {
  return ::MoveFileA(existing, target) != FALSE;
}

bool Win32Host::DeleteFileA(const char* path) { return ::DeleteFileA(path) != FALSE; }

std::int32_t Win32Host::RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                                      std::uint32_t access, win::HKEY* result) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(As<HKEY>(parent), subKey, options, access, &opened);
  if (result) *result = As<win::HKEY>(opened);
  return status;
}

std::int32_t Win32Host::RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                      std::uint32_t* nameSize, std::uint32_t* reserved,
                                      char* className, std::uint32_t* classSize,
                                      win::FILETIME* lastWrite) {
  DwordArgument nameLength(nameSize);
  DwordArgument reservedWord(reserved);
  DwordArgument classLength(classSize);
  return ::RegEnumKeyExA(As<HKEY>(key), index, name, nameLength.Get(), reservedWord.Get(),
                         className, classLength.Get(), reinterpret_cast<::FILETIME*>(lastWrite));
}

std::int32_t Win32Host::RegQueryValueExA(win::HKEY key, const char* valueName,
                                         std::uint32_t* reserved, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* dataSize) {
  DwordArgument reservedWord(reserved);
  DwordArgument valueType(type);
  DwordArgument dataLength(dataSize);
  return ::RegQueryValueExA(As<HKEY>(key), valueName, reservedWord.Get(), valueType.Get(), data,
                            dataLength.Get());
}

std::int32_t Win32Host::RegDeleteKeyA(win::HKEY parent, const char* subKey) {
  return ::RegDeleteKeyA(As<HKEY>(parent), subKey);
}

std::int32_t Win32Host::RegCloseKey(win::HKEY key) { return ::RegCloseKey(As<HKEY>(key)); }

int Win32Host::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                           std::uint32_t type) {
  return ::MessageBoxA(As<HWND>(owner), text, caption, type);
}

// The real block is larger than the portable one on x86-64, so it is built
// field by field. No help callback is passed: the portable one has the
// portable calling convention, and the updater's boxes have no Help button.
int Win32Host::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  MSGBOXPARAMSA real = {};
  real.cbSize = sizeof real;
  real.hwndOwner = As<HWND>(params->hwndOwner);
  real.hInstance = As<HINSTANCE>(params->hInstance);
  real.lpszText = params->lpszText;
  real.lpszCaption = params->lpszCaption;
  real.dwStyle = params->dwStyle;
  real.lpszIcon = params->lpszIcon;
  real.dwContextHelpId = params->dwContextHelpId;
  real.lpfnMsgBoxCallback = nullptr;
  real.dwLanguageId = params->dwLanguageId;
  return ::MessageBoxIndirectA(&real);
}

win::HCURSOR Win32Host::LoadCursorA(win::HINSTANCE instance, const char* name) {
  return As<win::HCURSOR>(::LoadCursorA(As<HINSTANCE>(instance), name));
}

win::HCURSOR Win32Host::SetCursor(win::HCURSOR cursor) {
  return As<win::HCURSOR>(::SetCursor(As<HCURSOR>(cursor)));
}

std::uintptr_t Win32Host::SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) {
#ifdef _WIN64
  return ::SetClassLongPtrA(As<HWND>(window), index, value);
#else
  return ::SetClassLongA(As<HWND>(window), index, value);
#endif
}

win::HICON Win32Host::LoadIconA(win::HINSTANCE instance, const char* name) {
  return As<win::HICON>(::LoadIconA(As<HINSTANCE>(instance), name));
}

// A class registered through RegisterClassA gives back its portable
// procedure; any other class gives none.
bool Win32Host::GetClassInfoA(win::HINSTANCE instance, const char* className,
                              win::WNDCLASSA* wndClass) {
  WNDCLASSA real = {};
  if (!::GetClassInfoA(As<HINSTANCE>(instance), className, &real)) return false;
  wndClass->style = real.style;
  wndClass->lpfnWndProc = PortableProcedureOf(real.lpfnWndProc);
  wndClass->cbClsExtra = real.cbClsExtra;
  wndClass->cbWndExtra = real.cbWndExtra;
  wndClass->hInstance = As<win::HINSTANCE>(real.hInstance);
  wndClass->hIcon = As<win::HICON>(real.hIcon);
  wndClass->hCursor = As<win::HCURSOR>(real.hCursor);
  wndClass->hbrBackground = As<win::HBRUSH>(real.hbrBackground);
  wndClass->lpszMenuName = real.lpszMenuName;
  wndClass->lpszClassName = real.lpszClassName;
  return true;
}

std::uint16_t Win32Host::RegisterClassA(const win::WNDCLASSA* wndClass) {
  const int slot = FreeClassSlot();
  if (!wndClass->lpfnWndProc || slot < 0) {
    ::SetLastError(wndClass->lpfnWndProc ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSA real = {};
  real.style = wndClass->style;
  real.lpfnWndProc = kTrampolines[slot];
  real.cbClsExtra = wndClass->cbClsExtra;
  real.cbWndExtra = wndClass->cbWndExtra;
  real.hInstance = As<HINSTANCE>(wndClass->hInstance);
  real.hIcon = As<HICON>(wndClass->hIcon);
  real.hCursor = As<HCURSOR>(wndClass->hCursor);
  real.hbrBackground = As<HBRUSH>(wndClass->hbrBackground);
  real.lpszMenuName = wndClass->lpszMenuName;
  real.lpszClassName = wndClass->lpszClassName;
  classProcedures[slot] = wndClass->lpfnWndProc;
  const ATOM atom = ::RegisterClassA(&real);
  if (!atom) classProcedures[slot] = nullptr;
  return atom;
}

win::HWND Win32Host::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                     const char* windowName, std::uint32_t style, int x, int y,
                                     int width, int height, win::HWND parent, win::HMENU menu,
                                     win::HINSTANCE instance, void* param) {
  return As<win::HWND>(::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                         As<HWND>(parent), As<HMENU>(menu), As<HINSTANCE>(instance),
                                         param));
}

win::LRESULT Win32Host::DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                       win::LPARAM lParam) {
  return ::DefWindowProcA(As<HWND>(window), message, wParam, lParam);
}

bool Win32Host::ShowWindow(win::HWND window, int showCommand) {
  return ::ShowWindow(As<HWND>(window), showCommand) != FALSE;
}

bool Win32Host::UpdateWindow(win::HWND window) { return ::UpdateWindow(As<HWND>(window)) != FALSE; }

bool Win32Host::ShowOwnedPopups(win::HWND window, bool show) {
  return ::ShowOwnedPopups(As<HWND>(window), show ? TRUE : FALSE) != FALSE;
}

bool Win32Host::SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                             std::uint32_t flags) {
  return ::SetWindowPos(As<HWND>(window), As<HWND>(insertAfter), x, y, cx, cy, flags) != FALSE;
}

bool Win32Host::DestroyWindow(win::HWND window) {
  return ::DestroyWindow(As<HWND>(window)) != FALSE;
}

win::LRESULT Win32Host::SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                     win::LPARAM lParam) {
  return ::SendMessageA(As<HWND>(window), message, wParam, lParam);
}

void Win32Host::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

int Win32Host::GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                           std::uint32_t filterMax) {
  return ::GetMessageA(reinterpret_cast<::MSG*>(message), As<HWND>(window), filterMin, filterMax);
}

bool Win32Host::TranslateMessage(const win::MSG* message) {
  return ::TranslateMessage(reinterpret_cast<const ::MSG*>(message)) != FALSE;
}

win::LRESULT Win32Host::DispatchMessageA(const win::MSG* message) {
  return ::DispatchMessageA(reinterpret_cast<const ::MSG*>(message));
}

win::HDC Win32Host::BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) {
  return As<win::HDC>(::BeginPaint(As<HWND>(window), reinterpret_cast<::PAINTSTRUCT*>(paint)));
}

bool Win32Host::EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) {
  return ::EndPaint(As<HWND>(window), reinterpret_cast<const ::PAINTSTRUCT*>(paint)) != FALSE;
}

bool Win32Host::ValidateRect(win::HWND window, const win::RECT* rect) {
  return ::ValidateRect(As<HWND>(window), reinterpret_cast<const ::RECT*>(rect)) != FALSE;
}

win::HBRUSH Win32Host::CreateSolidBrush(win::COLORREF color) {
  return As<win::HBRUSH>(::CreateSolidBrush(color));
}

win::HBRUSH Win32Host::CreateHatchBrush(int style, win::COLORREF color) {
  return As<win::HBRUSH>(::CreateHatchBrush(style, color));
}

int Win32Host::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  return ::FillRect(As<HDC>(dc), reinterpret_cast<const ::RECT*>(rect), As<HBRUSH>(brush));
}

bool Win32Host::DeleteObject(win::HGDIOBJ object) {
  return ::DeleteObject(As<HGDIOBJ>(object)) != FALSE;
}

win::HBITMAP Win32Host::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  return As<win::HBITMAP>(::LoadBitmapA(As<HINSTANCE>(instance), name));
}

int Win32Host::GetObjectA(win::HGDIOBJ object, int size, void* buffer) {
  return ::GetObjectA(As<HGDIOBJ>(object), size, buffer);
}

win::HDC Win32Host::CreateCompatibleDC(win::HDC dc) {
  return As<win::HDC>(::CreateCompatibleDC(As<HDC>(dc)));
}

win::HGDIOBJ Win32Host::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  return As<win::HGDIOBJ>(::SelectObject(As<HDC>(dc), As<HGDIOBJ>(object)));
}

bool Win32Host::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                       int sourceX, int sourceY, std::uint32_t rop) {
  return ::BitBlt(As<HDC>(target), x, y, width, height, As<HDC>(source), sourceX, sourceY, rop) !=
         FALSE;
}

bool Win32Host::DeleteDC(win::HDC dc) { return ::DeleteDC(As<HDC>(dc)) != FALSE; }
