#include "host/posix/PosixHost.h"

#include <algorithm>
#include <string_view>

#include "host/posix/BuiltInStrings.h"

namespace {

// Copies as much of `text` as fits in `size` (at least 1) bytes,
// zero-terminated, as the module-name and string-table calls do; gives the
// length copied.
std::size_t CopyCut(std::string_view text, char* buffer, std::size_t size) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = '\0';
  return length;
}

}  // namespace

PosixHost::PosixHost(const std::string& root) : files_(root) {
  for (std::size_t i = 0; i < kBuiltInStringCount; ++i) {
    strings_[kBuiltInStrings[i].id] = kBuiltInStrings[i].text;
  }
}

win::HINSTANCE PosixHost::GetModuleHandleA(const char* moduleName) {
  return moduleName == nullptr ? ScriptedDesktop::ProgramInstance() : nullptr;
}

std::uint32_t PosixHost::GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                            std::uint32_t size) {
  if (module != nullptr && module != ScriptedDesktop::ProgramInstance()) return 0;
  if (size == 0) return 0;
  return static_cast<std::uint32_t>(CopyCut("C:\\TXINFUPD.EXE", buffer, size));
}

// An absent string has length 0.
int PosixHost::LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                           int bufferSize) {
  if (instance != ScriptedDesktop::ProgramInstance()) return 0;
  if (buffer == nullptr || bufferSize <= 0) return 0;
  const auto found = strings_.find(static_cast<std::uint16_t>(id));
  const std::string_view text = found == strings_.end() ? std::string_view() : found->second;
  return static_cast<int>(CopyCut(text, buffer, static_cast<std::size_t>(bufferSize)));
}

std::uint32_t PosixHost::GetLastError() { return files_.GetLastError(); }

std::uint32_t PosixHost::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return files_.GetWindowsDirectoryA(buffer, size);
}

std::uint32_t PosixHost::GetVersion() { return desktop_.GetVersion(); }

bool PosixHost::GetVersionExA(win::OSVERSIONINFOA* info) { return desktop_.GetVersionExA(info); }

win::HANDLE PosixHost::GetCurrentThread() { return desktop_.GetCurrentThread(); }

bool PosixHost::SetThreadPriority(win::HANDLE thread, int priority) {
  return desktop_.SetThreadPriority(thread, priority);
}

bool PosixHost::EnableShutdownPrivilege() { return desktop_.EnableShutdownPrivilege(); }

bool PosixHost::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  return desktop_.ExitWindowsEx(flags, reserved);
}

bool PosixHost::SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                      std::uint32_t winIni) {
  return desktop_.SystemParametersInfoA(action, param, data, winIni);
}

bool PosixHost::QueryFileStatus(const char* path, win::FileStatus* status) {
  return files_.QueryFileStatus(path, status);
}

win::HANDLE PosixHost::CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                   std::uint32_t disposition, std::uint32_t attributes) {
  return files_.CreateFileA(path, access, shareMode, disposition, attributes);
}

bool PosixHost::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                         std::uint32_t* read) {
  return files_.ReadFile(file, buffer, toRead, read);
}

bool PosixHost::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                          std::uint32_t* written) {
  return files_.WriteFile(file, buffer, toWrite, written);
}

bool PosixHost::FlushFileBuffers(win::HANDLE file) { return files_.FlushFileBuffers(file); }

bool PosixHost::CloseHandle(win::HANDLE handle) { return files_.CloseHandle(handle); }

bool PosixHost::MoveFileA(const char* existing, const char* target) {
  return files_.MoveFileA(existing, target);
}

bool PosixHost::DeleteFileA(const char* path) { return files_.DeleteFileA(path); }

std::int32_t PosixHost::RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                                      std::uint32_t access, win::HKEY* result) {
  return registry_.RegOpenKeyExA(parent, subKey, options, access, result);
}

std::int32_t PosixHost::RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                      std::uint32_t* nameSize, std::uint32_t* reserved,
                                      char* className, std::uint32_t* classSize,
                                      win::FILETIME* lastWrite) {
  return registry_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                                 lastWrite);
}

std::int32_t PosixHost::RegQueryValueExA(win::HKEY key, const char* valueName,
                                         std::uint32_t* reserved, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* dataSize) {
  return registry_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

std::int32_t PosixHost::RegDeleteKeyA(win::HKEY parent, const char* subKey) {
  return registry_.RegDeleteKeyA(parent, subKey);
}

std::int32_t PosixHost::RegCloseKey(win::HKEY key) { return registry_.RegCloseKey(key); }

int PosixHost::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                           std::uint32_t type) {
  return desktop_.MessageBoxA(owner, text, caption, type);
}

int PosixHost::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  return desktop_.MessageBoxIndirectA(params);
}

win::HCURSOR PosixHost::LoadCursorA(win::HINSTANCE instance, const char* name) {
  return desktop_.LoadCursorA(instance, name);
}

win::HCURSOR PosixHost::SetCursor(win::HCURSOR cursor) { return desktop_.SetCursor(cursor); }

std::uintptr_t PosixHost::SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) {
  return desktop_.SetClassLongPtrA(window, index, value);
}

win::HICON PosixHost::LoadIconA(win::HINSTANCE instance, const char* name) {
  return desktop_.LoadIconA(instance, name);
}

bool PosixHost::GetClassInfoA(win::HINSTANCE instance, const char* className,
                              win::WNDCLASSA* wndClass) {
  return desktop_.GetClassInfoA(instance, className, wndClass);
}

std::uint16_t PosixHost::RegisterClassA(const win::WNDCLASSA* wndClass) {
  return desktop_.RegisterClassA(wndClass);
}

win::HWND PosixHost::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                     const char* windowName, std::uint32_t style, int x, int y,
                                     int width, int height, win::HWND parent, win::HMENU menu,
                                     win::HINSTANCE instance, void* param) {
  return desktop_.CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                  parent, menu, instance, param);
}

win::LRESULT PosixHost::DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                       win::LPARAM lParam) {
  return desktop_.DefWindowProcA(window, message, wParam, lParam);
}

bool PosixHost::ShowWindow(win::HWND window, int showCommand) {
  return desktop_.ShowWindow(window, showCommand);
}

bool PosixHost::UpdateWindow(win::HWND window) { return desktop_.UpdateWindow(window); }

bool PosixHost::ShowOwnedPopups(win::HWND window, bool show) {
  return desktop_.ShowOwnedPopups(window, show);
}

bool PosixHost::SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                             std::uint32_t flags) {
  return desktop_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
}

bool PosixHost::DestroyWindow(win::HWND window) { return desktop_.DestroyWindow(window); }

win::LRESULT PosixHost::SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                     win::LPARAM lParam) {
  return desktop_.SendMessageA(window, message, wParam, lParam);
}

void PosixHost::PostQuitMessage(int exitCode) { desktop_.PostQuitMessage(exitCode); }

int PosixHost::GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                           std::uint32_t filterMax) {
  return desktop_.GetMessageA(message, window, filterMin, filterMax);
}

bool PosixHost::TranslateMessage(const win::MSG* message) {
  return desktop_.TranslateMessage(message);
}

win::LRESULT PosixHost::DispatchMessageA(const win::MSG* message) {
  return desktop_.DispatchMessageA(message);
}

win::HDC PosixHost::BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) {
  return desktop_.BeginPaint(window, paint);
}

bool PosixHost::EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) {
  return desktop_.EndPaint(window, paint);
}

bool PosixHost::ValidateRect(win::HWND window, const win::RECT* rect) {
  return desktop_.ValidateRect(window, rect);
}

win::HBRUSH PosixHost::CreateSolidBrush(win::COLORREF color) {
  return desktop_.CreateSolidBrush(color);
}

win::HBRUSH PosixHost::CreateHatchBrush(int style, win::COLORREF color) {
  return desktop_.CreateHatchBrush(style, color);
}

int PosixHost::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  return desktop_.FillRect(dc, rect, brush);
}

bool PosixHost::DeleteObject(win::HGDIOBJ object) { return desktop_.DeleteObject(object); }

win::HBITMAP PosixHost::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  return desktop_.LoadBitmapA(instance, name);
}

int PosixHost::GetObjectA(win::HGDIOBJ object, int size, void* buffer) {
  return desktop_.GetObjectA(object, size, buffer);
}

win::HDC PosixHost::CreateCompatibleDC(win::HDC dc) { return desktop_.CreateCompatibleDC(dc); }

win::HGDIOBJ PosixHost::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  return desktop_.SelectObject(dc, object);
}

bool PosixHost::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                       int sourceX, int sourceY, std::uint32_t rop) {
  return desktop_.BitBlt(target, x, y, width, height, source, sourceX, sourceY, rop);
}

bool PosixHost::DeleteDC(win::HDC dc) { return desktop_.DeleteDC(dc); }
