// Forwarders of each facet to another realisation of it. Wrappers derive
// from one and replace only the operations they change (fault injection,
// call records, answers of their own).
#pragma once

#include "host/DesktopServices.h"
#include "host/FileServices.h"
#include "host/RegistryServices.h"
#include "host/SystemServices.h"

class ForwardingFiles : public FileServices {
 public:
  explicit ForwardingFiles(FileServices& inner) : inner_(inner) {}

  FileServices& Inner() { return inner_; }

  std::uint32_t GetLastError() override { return inner_.GetLastError(); }
  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override {
    return inner_.GetWindowsDirectoryA(buffer, size);
  }
  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    return inner_.QueryFileStatus(path, status);
  }
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override {
    return inner_.CreateFileA(path, access, shareMode, disposition, attributes);
  }
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                std::uint32_t* read) override {
    return inner_.ReadFile(file, buffer, toRead, read);
  }
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written) override {
    return inner_.WriteFile(file, buffer, toWrite, written);
  }
  bool FlushFileBuffers(win::HANDLE file) override { return inner_.FlushFileBuffers(file); }
  bool CloseHandle(win::HANDLE handle) override { return inner_.CloseHandle(handle); }
  bool MoveFileA(const char* existing, const char* target) override {
    return inner_.MoveFileA(existing, target);
  }
  bool DeleteFileA(const char* path) override { return inner_.DeleteFileA(path); }

 private:
  FileServices& inner_;
};

class ForwardingRegistry : public RegistryServices {
 public:
  explicit ForwardingRegistry(RegistryServices& inner) : inner_(inner) {}

  RegistryServices& Inner() { return inner_; }

  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result) override {
    return inner_.RegOpenKeyExA(parent, subKey, options, access, result);
  }
  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite) override {
    return inner_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                                lastWrite);
  }
  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) override {
    return inner_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
  }
  std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) override {
    return inner_.RegDeleteKeyA(parent, subKey);
  }
  std::int32_t RegCloseKey(win::HKEY key) override { return inner_.RegCloseKey(key); }

 private:
  RegistryServices& inner_;
};

class ForwardingSystem : public SystemServices {
 public:
  explicit ForwardingSystem(SystemServices& inner) : inner_(inner) {}

  SystemServices& Inner() { return inner_; }

  win::HINSTANCE GetModuleHandleA(const char* moduleName) override {
    return inner_.GetModuleHandleA(moduleName);
  }
  std::uint32_t GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                   std::uint32_t size) override {
    return inner_.GetModuleFileNameA(module, buffer, size);
  }
  int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                  int bufferSize) override {
    return inner_.LoadStringA(instance, id, buffer, bufferSize);
  }
  std::uint32_t GetVersion() override { return inner_.GetVersion(); }
  bool GetVersionExA(win::OSVERSIONINFOA* info) override { return inner_.GetVersionExA(info); }
  win::HANDLE GetCurrentThread() override { return inner_.GetCurrentThread(); }
  bool SetThreadPriority(win::HANDLE thread, int priority) override {
    return inner_.SetThreadPriority(thread, priority);
  }
  bool EnableShutdownPrivilege() override { return inner_.EnableShutdownPrivilege(); }
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
    return inner_.ExitWindowsEx(flags, reserved);
  }

 private:
  SystemServices& inner_;
};

class ForwardingDesktop : public DesktopServices {
 public:
  explicit ForwardingDesktop(DesktopServices& inner) : inner_(inner) {}

  DesktopServices& Inner() { return inner_; }

  bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                             std::uint32_t winIni) override {
    return inner_.SystemParametersInfoA(action, param, data, winIni);
  }
  int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                  std::uint32_t type) override {
    return inner_.MessageBoxA(owner, text, caption, type);
  }
  int MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) override {
    return inner_.MessageBoxIndirectA(params);
  }
  win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name) override {
    return inner_.LoadCursorA(instance, name);
  }
  win::HCURSOR SetCursor(win::HCURSOR cursor) override { return inner_.SetCursor(cursor); }
  std::uintptr_t SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) override {
    return inner_.SetClassLongPtrA(window, index, value);
  }
  win::HICON LoadIconA(win::HINSTANCE instance, const char* name) override {
    return inner_.LoadIconA(instance, name);
  }
  bool GetClassInfoA(win::HINSTANCE instance, const char* className,
                     win::WNDCLASSA* wndClass) override {
    return inner_.GetClassInfoA(instance, className, wndClass);
  }
  std::uint16_t RegisterClassA(const win::WNDCLASSA* wndClass) override {
    return inner_.RegisterClassA(wndClass);
  }
  win::HWND CreateWindowExA(std::uint32_t exStyle, const char* className, const char* windowName,
                            std::uint32_t style, int x, int y, int width, int height,
                            win::HWND parent, win::HMENU menu, win::HINSTANCE instance,
                            void* param) override {
    return inner_.CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                  parent, menu, instance, param);
  }
  win::LRESULT DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                              win::LPARAM lParam) override {
    return inner_.DefWindowProcA(window, message, wParam, lParam);
  }
  bool ShowWindow(win::HWND window, int showCommand) override {
    return inner_.ShowWindow(window, showCommand);
  }
  bool UpdateWindow(win::HWND window) override { return inner_.UpdateWindow(window); }
  bool ShowOwnedPopups(win::HWND window, bool show) override {
    return inner_.ShowOwnedPopups(window, show);
  }
  bool SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override {
    return inner_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
  }
  bool DestroyWindow(win::HWND window) override { return inner_.DestroyWindow(window); }
  win::LRESULT SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                            win::LPARAM lParam) override {
    return inner_.SendMessageA(window, message, wParam, lParam);
  }
  void PostQuitMessage(int exitCode) override { inner_.PostQuitMessage(exitCode); }
  int GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                  std::uint32_t filterMax) override {
    return inner_.GetMessageA(message, window, filterMin, filterMax);
  }
  bool TranslateMessage(const win::MSG* message) override {
    return inner_.TranslateMessage(message);
  }
  win::LRESULT DispatchMessageA(const win::MSG* message) override {
    return inner_.DispatchMessageA(message);
  }
  win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) override {
    return inner_.BeginPaint(window, paint);
  }
  bool EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) override {
    return inner_.EndPaint(window, paint);
  }
  bool ValidateRect(win::HWND window, const win::RECT* rect) override {
    return inner_.ValidateRect(window, rect);
  }
  win::HBRUSH CreateSolidBrush(win::COLORREF color) override {
    return inner_.CreateSolidBrush(color);
  }
  win::HBRUSH CreateHatchBrush(int style, win::COLORREF color) override {
    return inner_.CreateHatchBrush(style, color);
  }
  int FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) override {
    return inner_.FillRect(dc, rect, brush);
  }
  bool DeleteObject(win::HGDIOBJ object) override { return inner_.DeleteObject(object); }
  win::HBITMAP LoadBitmapA(win::HINSTANCE instance, const char* name) override {
    return inner_.LoadBitmapA(instance, name);
  }
  int GetObjectA(win::HGDIOBJ object, int size, void* buffer) override {
    return inner_.GetObjectA(object, size, buffer);
  }
  win::HDC CreateCompatibleDC(win::HDC dc) override { return inner_.CreateCompatibleDC(dc); }
  win::HGDIOBJ SelectObject(win::HDC dc, win::HGDIOBJ object) override {
    return inner_.SelectObject(dc, object);
  }
  bool BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source, int sourceX,
              int sourceY, std::uint32_t rop) override {
    return inner_.BitBlt(target, x, y, width, height, source, sourceX, sourceY, rop);
  }
  bool DeleteDC(win::HDC dc) override { return inner_.DeleteDC(dc); }

 private:
  DesktopServices& inner_;
};
