// Forwarders of each facet to another realisation of it. Wrappers derive
// from one and replace only the operations they change (call records,
// answers of their own). A forwarder given a fault plan answers the calls
// that the plan fails with the call's failure value, as the Win32 call
// gives it, without forwarding them.
#pragma once

#include <optional>

#include "host/DesktopServices.h"
#include "host/FaultPlan.h"
#include "host/FileServices.h"
#include "host/RegistryServices.h"
#include "host/SystemServices.h"

// The fault plan a forwarder consults, if any.
class FaultGate {
 protected:
  explicit FaultGate(FaultPlan* faults) : faults_(faults) {}

  std::optional<FaultPlan::Fault> Planted(HostCall call) {
    return faults_ == nullptr ? std::nullopt : faults_->Admit(call);
  }
  bool Fails(HostCall call) { return Planted(call).has_value(); }

 private:
  FaultPlan* faults_;
};

class ForwardingFiles : public FileServices, private FaultGate {
 public:
  explicit ForwardingFiles(FileServices& inner, FaultPlan* faults = nullptr)
      : FaultGate(faults), inner_(inner) {}

  FileServices& Inner() { return inner_; }

  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override {
    if (Fails(HostCall::kGetWindowsDirectoryA)) return 0;
    return inner_.GetWindowsDirectoryA(buffer, size);
  }
  bool QueryFileStatus(const char* path, win::FileStatus* status) override {
    if (Fails(HostCall::kQueryFileStatus)) return false;
    return inner_.QueryFileStatus(path, status);
  }
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override {
    if (Fails(HostCall::kCreateFileA)) return win::InvalidHandleValue();
    return inner_.CreateFileA(path, access, shareMode, disposition, attributes);
  }
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                std::uint32_t* read) override {
    if (Fails(HostCall::kReadFile)) return NothingMoved(read);
    return inner_.ReadFile(file, buffer, toRead, read);
  }
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written) override {
    const auto fault = Planted(HostCall::kWriteFile);
    if (!fault) return inner_.WriteFile(file, buffer, toWrite, written);
    if (fault->halfDone) return inner_.WriteFile(file, buffer, toWrite / 2, written);
    return NothingMoved(written);
  }
  bool FlushFileBuffers(win::HANDLE file) override {
    if (Fails(HostCall::kFlushFileBuffers)) return false;
    return inner_.FlushFileBuffers(file);
  }
  // A close that fails still releases the handle, as on Win32: the caller
  // cannot close it again.
  bool CloseHandle(win::HANDLE handle) override {
    if (!Fails(HostCall::kCloseHandle)) return inner_.CloseHandle(handle);
    inner_.CloseHandle(handle);
    return false;
  }
  bool MoveFileA(const char* existing, const char* target) override {
    if (Fails(HostCall::kMoveFileA)) return false;
    return inner_.MoveFileA(existing, target);
  }
  bool DeleteFileA(const char* path) override {
    if (Fails(HostCall::kDeleteFileA)) return false;
    return inner_.DeleteFileA(path);
  }

 private:
  static bool NothingMoved(std::uint32_t* count) {
    if (count != nullptr) *count = 0;
    return false;
  }

  FileServices& inner_;
};

class ForwardingRegistry : public RegistryServices, private FaultGate {
 public:
  explicit ForwardingRegistry(RegistryServices& inner, FaultPlan* faults = nullptr)
      : FaultGate(faults), inner_(inner) {}

  RegistryServices& Inner() { return inner_; }

  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result) override {
    if (const auto fault = Planted(HostCall::kRegOpenKeyExA))
      return registry_codes::Code(fault->error);
    return inner_.RegOpenKeyExA(parent, subKey, options, access, result);
  }
  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite) override {
    if (const auto fault = Planted(HostCall::kRegEnumKeyExA))
      return registry_codes::Code(fault->error);
    return inner_.RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize,
                                lastWrite);
  }
  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) override {
    if (const auto fault = Planted(HostCall::kRegQueryValueExA))
      return registry_codes::Code(fault->error);
    return inner_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
  }
  std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) override {
    if (const auto fault = Planted(HostCall::kRegDeleteKeyA))
      return registry_codes::Code(fault->error);
    return inner_.RegDeleteKeyA(parent, subKey);
  }
  std::int32_t RegCloseKey(win::HKEY key) override {
    if (const auto fault = Planted(HostCall::kRegCloseKey))
      return registry_codes::Code(fault->error);
    return inner_.RegCloseKey(key);
  }

 private:
  RegistryServices& inner_;
};

class ForwardingSystem : public SystemServices, private FaultGate {
 public:
  explicit ForwardingSystem(SystemServices& inner, FaultPlan* faults = nullptr)
      : FaultGate(faults), inner_(inner) {}

  SystemServices& Inner() { return inner_; }

  win::HINSTANCE GetModuleHandleA(const char* moduleName) override {
    if (Fails(HostCall::kGetModuleHandleA)) return nullptr;
    return inner_.GetModuleHandleA(moduleName);
  }
  std::uint32_t GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                   std::uint32_t size) override {
    if (Fails(HostCall::kGetModuleFileNameA)) return 0;
    return inner_.GetModuleFileNameA(module, buffer, size);
  }
  int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                  int bufferSize) override {
    if (Fails(HostCall::kLoadStringA)) return 0;
    return inner_.LoadStringA(instance, id, buffer, bufferSize);
  }
  std::uint32_t GetVersion() override {
    if (Fails(HostCall::kGetVersion)) return 0;
    return inner_.GetVersion();
  }
  bool GetVersionExA(win::OSVERSIONINFOA* info) override {
    if (Fails(HostCall::kGetVersionExA)) return false;
    return inner_.GetVersionExA(info);
  }
  win::HANDLE GetCurrentThread() override {
    if (Fails(HostCall::kGetCurrentThread)) return nullptr;
    return inner_.GetCurrentThread();
  }
  bool SetThreadPriority(win::HANDLE thread, int priority) override {
    if (Fails(HostCall::kSetThreadPriority)) return false;
    return inner_.SetThreadPriority(thread, priority);
  }
  bool EnableShutdownPrivilege() override {
    if (Fails(HostCall::kEnableShutdownPrivilege)) return false;
    return inner_.EnableShutdownPrivilege();
  }
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
    if (Fails(HostCall::kExitWindowsEx)) return false;
    return inner_.ExitWindowsEx(flags, reserved);
  }

 private:
  SystemServices& inner_;
};

class ForwardingDesktop : public DesktopServices, private FaultGate {
 public:
  explicit ForwardingDesktop(DesktopServices& inner, FaultPlan* faults = nullptr)
      : FaultGate(faults), inner_(inner) {}

  DesktopServices& Inner() { return inner_; }

  bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                             std::uint32_t winIni) override {
    if (Fails(HostCall::kSystemParametersInfoA)) return false;
    return inner_.SystemParametersInfoA(action, param, data, winIni);
  }
  int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                  std::uint32_t type) override {
    if (Fails(HostCall::kMessageBoxA)) return 0;
    return inner_.MessageBoxA(owner, text, caption, type);
  }
  int MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) override {
    if (Fails(HostCall::kMessageBoxIndirectA)) return 0;
    return inner_.MessageBoxIndirectA(params);
  }
  win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name) override {
    if (Fails(HostCall::kLoadCursorA)) return nullptr;
    return inner_.LoadCursorA(instance, name);
  }
  win::HCURSOR SetCursor(win::HCURSOR cursor) override {
    if (Fails(HostCall::kSetCursor)) return nullptr;
    return inner_.SetCursor(cursor);
  }
  std::uintptr_t SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) override {
    if (Fails(HostCall::kSetClassLongPtrA)) return 0;
    return inner_.SetClassLongPtrA(window, index, value);
  }
  win::HICON LoadIconA(win::HINSTANCE instance, const char* name) override {
    if (Fails(HostCall::kLoadIconA)) return nullptr;
    return inner_.LoadIconA(instance, name);
  }
  bool GetClassInfoA(win::HINSTANCE instance, const char* className,
                     win::WNDCLASSA* wndClass) override {
    if (Fails(HostCall::kGetClassInfoA)) return false;
    return inner_.GetClassInfoA(instance, className, wndClass);
  }
  std::uint16_t RegisterClassA(const win::WNDCLASSA* wndClass) override {
    if (Fails(HostCall::kRegisterClassA)) return 0;
    return inner_.RegisterClassA(wndClass);
  }
  win::HWND CreateWindowExA(std::uint32_t exStyle, const char* className, const char* windowName,
                            std::uint32_t style, int x, int y, int width, int height,
                            win::HWND parent, win::HMENU menu, win::HINSTANCE instance,
                            void* param) override {
    if (Fails(HostCall::kCreateWindowExA)) return nullptr;
    return inner_.CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                  parent, menu, instance, param);
  }
  win::LRESULT DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                              win::LPARAM lParam) override {
    if (Fails(HostCall::kDefWindowProcA)) return 0;
    return inner_.DefWindowProcA(window, message, wParam, lParam);
  }
  bool ShowWindow(win::HWND window, int showCommand) override {
    if (Fails(HostCall::kShowWindow)) return false;
    return inner_.ShowWindow(window, showCommand);
  }
  bool UpdateWindow(win::HWND window) override {
    if (Fails(HostCall::kUpdateWindow)) return false;
    return inner_.UpdateWindow(window);
  }
  bool ShowOwnedPopups(win::HWND window, bool show) override {
    if (Fails(HostCall::kShowOwnedPopups)) return false;
    return inner_.ShowOwnedPopups(window, show);
  }
  bool SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override {
    if (Fails(HostCall::kSetWindowPos)) return false;
    return inner_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
  }
  bool DestroyWindow(win::HWND window) override {
    if (Fails(HostCall::kDestroyWindow)) return false;
    return inner_.DestroyWindow(window);
  }
  win::LRESULT SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                            win::LPARAM lParam) override {
    if (Fails(HostCall::kSendMessageA)) return 0;
    return inner_.SendMessageA(window, message, wParam, lParam);
  }
  // The call gives nothing to fail with: a failed one posts no quit message.
  void PostQuitMessage(int exitCode) override {
    if (!Fails(HostCall::kPostQuitMessage)) inner_.PostQuitMessage(exitCode);
  }
  int GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                  std::uint32_t filterMax) override {
    if (Fails(HostCall::kGetMessageA)) return -1;
    return inner_.GetMessageA(message, window, filterMin, filterMax);
  }
  bool TranslateMessage(const win::MSG* message) override {
    if (Fails(HostCall::kTranslateMessage)) return false;
    return inner_.TranslateMessage(message);
  }
  win::LRESULT DispatchMessageA(const win::MSG* message) override {
    if (Fails(HostCall::kDispatchMessageA)) return 0;
    return inner_.DispatchMessageA(message);
  }
  win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) override {
    if (Fails(HostCall::kBeginPaint)) return nullptr;
    return inner_.BeginPaint(window, paint);
  }
  bool EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) override {
    if (Fails(HostCall::kEndPaint)) return false;
    return inner_.EndPaint(window, paint);
  }
  bool ValidateRect(win::HWND window, const win::RECT* rect) override {
    if (Fails(HostCall::kValidateRect)) return false;
    return inner_.ValidateRect(window, rect);
  }
  win::HBRUSH CreateSolidBrush(win::COLORREF color) override {
    if (Fails(HostCall::kCreateSolidBrush)) return nullptr;
    return inner_.CreateSolidBrush(color);
  }
  win::HBRUSH CreateHatchBrush(int style, win::COLORREF color) override {
    if (Fails(HostCall::kCreateHatchBrush)) return nullptr;
    return inner_.CreateHatchBrush(style, color);
  }
  int FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) override {
    if (Fails(HostCall::kFillRect)) return 0;
    return inner_.FillRect(dc, rect, brush);
  }
  bool DeleteObject(win::HGDIOBJ object) override {
    if (Fails(HostCall::kDeleteObject)) return false;
    return inner_.DeleteObject(object);
  }
  win::HBITMAP LoadBitmapA(win::HINSTANCE instance, const char* name) override {
    if (Fails(HostCall::kLoadBitmapA)) return nullptr;
    return inner_.LoadBitmapA(instance, name);
  }
  int GetObjectA(win::HGDIOBJ object, int size, void* buffer) override {
    if (Fails(HostCall::kGetObjectA)) return 0;
    return inner_.GetObjectA(object, size, buffer);
  }
  win::HDC CreateCompatibleDC(win::HDC dc) override {
    if (Fails(HostCall::kCreateCompatibleDC)) return nullptr;
    return inner_.CreateCompatibleDC(dc);
  }
  win::HGDIOBJ SelectObject(win::HDC dc, win::HGDIOBJ object) override {
    if (Fails(HostCall::kSelectObject)) return nullptr;
    return inner_.SelectObject(dc, object);
  }
  bool BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source, int sourceX,
              int sourceY, std::uint32_t rop) override {
    if (Fails(HostCall::kBitBlt)) return false;
    return inner_.BitBlt(target, x, y, width, height, source, sourceX, sourceY, rop);
  }
  bool DeleteDC(win::HDC dc) override {
    if (Fails(HostCall::kDeleteDC)) return false;
    return inner_.DeleteDC(dc);
  }

 private:
  DesktopServices& inner_;
};
