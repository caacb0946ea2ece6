#include "host/ForwardingHost.h"

win::HINSTANCE ForwardingHost::GetModuleHandleA(const char* moduleName) {
  return inner_.GetModuleHandleA(moduleName);
}

std::uint32_t ForwardingHost::GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                                 std::uint32_t size) {
  return inner_.GetModuleFileNameA(module, buffer, size);
}

int ForwardingHost::LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                                int bufferSize) {
  return inner_.LoadStringA(instance, id, buffer, bufferSize);
}

std::uint32_t ForwardingHost::GetLastError() { return inner_.GetLastError(); }

std::uint32_t ForwardingHost::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return inner_.GetWindowsDirectoryA(buffer, size);
}

std::uint32_t ForwardingHost::GetVersion() { return inner_.GetVersion(); }

bool ForwardingHost::GetVersionExA(win::OSVERSIONINFOA* info) { return inner_.GetVersionExA(info); }

win::HANDLE ForwardingHost::GetCurrentThread() { return inner_.GetCurrentThread(); }

bool ForwardingHost::SetThreadPriority(win::HANDLE thread, int priority) {
  return inner_.SetThreadPriority(thread, priority);
}

bool ForwardingHost::EnableShutdownPrivilege() { return inner_.EnableShutdownPrivilege(); }

bool ForwardingHost::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  return inner_.ExitWindowsEx(flags, reserved);
}

bool ForwardingHost::SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                           std::uint32_t winIni) {
  return inner_.SystemParametersInfoA(action, param, data, winIni);
}

bool ForwardingHost::QueryFileStatus(const char* path, win::FileStatus* status) {
  return inner_.QueryFileStatus(path, status);
}

win::HANDLE ForwardingHost::CreateFileA(const char* path, std::uint32_t access,
                                        std::uint32_t shareMode, std::uint32_t disposition,
                                        std::uint32_t attributes) {
  return inner_.CreateFileA(path, access, shareMode, disposition, attributes);
}

bool ForwardingHost::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                              std::uint32_t* read) {
  return inner_.ReadFile(file, buffer, toRead, read);
}

bool ForwardingHost::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                               std::uint32_t* written) {
  return inner_.WriteFile(file, buffer, toWrite, written);
}

bool ForwardingHost::FlushFileBuffers(win::HANDLE file) { return inner_.FlushFileBuffers(file); }

bool ForwardingHost::CloseHandle(win::HANDLE handle) { return inner_.CloseHandle(handle); }

bool ForwardingHost::MoveFileA(const char* existing, const char* target) {
  return inner_.MoveFileA(existing, target);
}

bool ForwardingHost::DeleteFileA(const char* path) { return inner_.DeleteFileA(path); }

std::int32_t ForwardingHost::RegOpenKeyExA(win::HKEY parent, const char* subKey,
                                           std::uint32_t options, std::uint32_t access,
                                           win::HKEY* result) {
  return inner_.RegOpenKeyExA(parent, subKey, options, access, result);
}

std::int32_t ForwardingHost::RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                           std::uint32_t* nameSize, std::uint32_t* reserved,
                                           char* className, std::uint32_t* classSize,
                                           win::FILETIME* lastWrite) {
  return inner_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                              lastWrite);
}

std::int32_t ForwardingHost::RegQueryValueExA(win::HKEY key, const char* valueName,
                                              std::uint32_t* reserved, std::uint32_t* type,
                                              std::uint8_t* data, std::uint32_t* dataSize) {
  return inner_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

std::int32_t ForwardingHost::RegDeleteKeyA(win::HKEY parent, const char* subKey) {
  return inner_.RegDeleteKeyA(parent, subKey);
}

std::int32_t ForwardingHost::RegCloseKey(win::HKEY key) { return inner_.RegCloseKey(key); }

int ForwardingHost::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                                std::uint32_t type) {
  return inner_.MessageBoxA(owner, text, caption, type);
}

int ForwardingHost::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  return inner_.MessageBoxIndirectA(params);
}

win::HCURSOR ForwardingHost::LoadCursorA(win::HINSTANCE instance, const char* name) {
  return inner_.LoadCursorA(instance, name);
}

win::HCURSOR ForwardingHost::SetCursor(win::HCURSOR cursor) { return inner_.SetCursor(cursor); }

std::uintptr_t ForwardingHost::SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) {
  return inner_.SetClassLongPtrA(window, index, value);
}

win::HICON ForwardingHost::LoadIconA(win::HINSTANCE instance, const char* name) {
  return inner_.LoadIconA(instance, name);
}

bool ForwardingHost::GetClassInfoA(win::HINSTANCE instance, const char* className,
                                   win::WNDCLASSA* wndClass) {
  return inner_.GetClassInfoA(instance, className, wndClass);
}

std::uint16_t ForwardingHost::RegisterClassA(const win::WNDCLASSA* wndClass) {
  return inner_.RegisterClassA(wndClass);
}

win::HWND ForwardingHost::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                          const char* windowName, std::uint32_t style, int x, int y,
                                          int width, int height, win::HWND parent, win::HMENU menu,
                                          win::HINSTANCE instance, void* param) {
  return inner_.CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                menu, instance, param);
}

win::LRESULT ForwardingHost::DefWindowProcA(win::HWND window, std::uint32_t message,
                                            win::WPARAM wParam, win::LPARAM lParam) {
  return inner_.DefWindowProcA(window, message, wParam, lParam);
}

bool ForwardingHost::ShowWindow(win::HWND window, int showCommand) {
  return inner_.ShowWindow(window, showCommand);
}

bool ForwardingHost::UpdateWindow(win::HWND window) { return inner_.UpdateWindow(window); }

bool ForwardingHost::ShowOwnedPopups(win::HWND window, bool show) {
  return inner_.ShowOwnedPopups(window, show);
}

bool ForwardingHost::SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx,
                                  int cy, std::uint32_t flags) {
  return inner_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
}

bool ForwardingHost::DestroyWindow(win::HWND window) { return inner_.DestroyWindow(window); }

win::LRESULT ForwardingHost::SendMessageA(win::HWND window, std::uint32_t message,
                                          win::WPARAM wParam, win::LPARAM lParam) {
  return inner_.SendMessageA(window, message, wParam, lParam);
}

void ForwardingHost::PostQuitMessage(int exitCode) { inner_.PostQuitMessage(exitCode); }

int ForwardingHost::GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                                std::uint32_t filterMax) {
  return inner_.GetMessageA(message, window, filterMin, filterMax);
}

bool ForwardingHost::TranslateMessage(const win::MSG* message) {
  return inner_.TranslateMessage(message);
}

win::LRESULT ForwardingHost::DispatchMessageA(const win::MSG* message) {
  return inner_.DispatchMessageA(message);
}

win::HDC ForwardingHost::BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) {
  return inner_.BeginPaint(window, paint);
}

bool ForwardingHost::EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) {
  return inner_.EndPaint(window, paint);
}

bool ForwardingHost::ValidateRect(win::HWND window, const win::RECT* rect) {
  return inner_.ValidateRect(window, rect);
}

win::HBRUSH ForwardingHost::CreateSolidBrush(win::COLORREF color) {
  return inner_.CreateSolidBrush(color);
}

win::HBRUSH ForwardingHost::CreateHatchBrush(int style, win::COLORREF color) {
  return inner_.CreateHatchBrush(style, color);
}

int ForwardingHost::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  return inner_.FillRect(dc, rect, brush);
}

bool ForwardingHost::DeleteObject(win::HGDIOBJ object) { return inner_.DeleteObject(object); }

win::HBITMAP ForwardingHost::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  return inner_.LoadBitmapA(instance, name);
}

int ForwardingHost::GetObjectA(win::HGDIOBJ object, int size, void* buffer) {
  return inner_.GetObjectA(object, size, buffer);
}

win::HDC ForwardingHost::CreateCompatibleDC(win::HDC dc) { return inner_.CreateCompatibleDC(dc); }

win::HGDIOBJ ForwardingHost::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  return inner_.SelectObject(dc, object);
}

bool ForwardingHost::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                            int sourceX, int sourceY, std::uint32_t rop) {
  return inner_.BitBlt(target, x, y, width, height, source, sourceX, sourceY, rop);
}

bool ForwardingHost::DeleteDC(win::HDC dc) { return inner_.DeleteDC(dc); }
