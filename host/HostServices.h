// The one seam between the updater and its host. Every operation keeps the
// shape, arguments and results of the Win32 call it stands for, so that the
// Win32 realisation is a pass-through and the core reads like Win32 code.
// Realisations: Win32 (the real program), POSIX (native builds and tests),
// and wrappers that forward to another realisation (fault injection).
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

class HostServices {
 public:
  virtual ~HostServices() = default;

  // Module and resources.
  virtual win::HINSTANCE GetModuleHandleA(const char* moduleName) = 0;
  virtual std::uint32_t GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                           std::uint32_t size) = 0;
  virtual int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                          int bufferSize) = 0;

  // System.
  virtual std::uint32_t GetLastError() = 0;
  virtual std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) = 0;
  virtual std::uint32_t GetVersion() = 0;
  virtual bool GetVersionExA(win::OSVERSIONINFOA* info) = 0;
  virtual win::HANDLE GetCurrentThread() = 0;
  virtual bool SetThreadPriority(win::HANDLE thread, int priority) = 0;
  // Grants the running process the right to shut the system down; a no-op
  // on hosts that have no such right (the Windows 95 family).
  virtual bool EnableShutdownPrivilege() = 0;
  virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
  virtual bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                     std::uint32_t winIni) = 0;

  // Files. QueryFileStatus stands for GetFullPathNameA, GetVolumeInformationA,
  // FindFirstFileA and FindClose on one name; it fails when any of them does.
  virtual bool QueryFileStatus(const char* path, win::FileStatus* status) = 0;
  virtual win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                  std::uint32_t disposition, std::uint32_t attributes) = 0;
  virtual bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                        std::uint32_t* read) = 0;
  virtual bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                         std::uint32_t* written) = 0;
  virtual bool FlushFileBuffers(win::HANDLE file) = 0;
  virtual bool CloseHandle(win::HANDLE handle) = 0;
  virtual bool MoveFileA(const char* existing, const char* target) = 0;
  virtual bool DeleteFileA(const char* path) = 0;

  // Registry.
  virtual std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                                     std::uint32_t access, win::HKEY* result) = 0;
  virtual std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                                     std::uint32_t* nameSize, std::uint32_t* reserved,
                                     char* className, std::uint32_t* classSize,
                                     win::FILETIME* lastWrite) = 0;
  virtual std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* dataSize) = 0;
  virtual std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) = 0;
  virtual std::int32_t RegCloseKey(win::HKEY key) = 0;

  // Message boxes.
  virtual int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                          std::uint32_t type) = 0;
  virtual int MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) = 0;

  // Cursors and icons.
  virtual win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name) = 0;
  virtual win::HCURSOR SetCursor(win::HCURSOR cursor) = 0;
  virtual std::uintptr_t SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) = 0;
  virtual win::HICON LoadIconA(win::HINSTANCE instance, const char* name) = 0;

  // Window classes, windows and messages.
  virtual bool GetClassInfoA(win::HINSTANCE instance, const char* className,
                             win::WNDCLASSA* wndClass) = 0;
  virtual std::uint16_t RegisterClassA(const win::WNDCLASSA* wndClass) = 0;
  virtual win::HWND CreateWindowExA(std::uint32_t exStyle, const char* className,
                                    const char* windowName, std::uint32_t style, int x, int y,
                                    int width, int height, win::HWND parent, win::HMENU menu,
                                    win::HINSTANCE instance, void* param) = 0;
  virtual win::LRESULT DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                      win::LPARAM lParam) = 0;
  virtual bool ShowWindow(win::HWND window, int showCommand) = 0;
  virtual bool UpdateWindow(win::HWND window) = 0;
  virtual bool ShowOwnedPopups(win::HWND window, bool show) = 0;
  virtual bool SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                            std::uint32_t flags) = 0;
  virtual bool DestroyWindow(win::HWND window) = 0;
  virtual win::LRESULT SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                    win::LPARAM lParam) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  virtual int GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                          std::uint32_t filterMax) = 0;
  virtual bool TranslateMessage(const win::MSG* message) = 0;
  virtual win::LRESULT DispatchMessageA(const win::MSG* message) = 0;

  // Painting.
  virtual win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) = 0;
  virtual bool EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) = 0;
  virtual bool ValidateRect(win::HWND window, const win::RECT* rect) = 0;
  virtual win::HBRUSH CreateSolidBrush(win::COLORREF color) = 0;
  virtual win::HBRUSH CreateHatchBrush(int style, win::COLORREF color) = 0;
  virtual int FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) = 0;
  virtual bool DeleteObject(win::HGDIOBJ object) = 0;
  virtual win::HBITMAP LoadBitmapA(win::HINSTANCE instance, const char* name) = 0;
  virtual int GetObjectA(win::HGDIOBJ object, int size, void* buffer) = 0;
  virtual win::HDC CreateCompatibleDC(win::HDC dc) = 0;
  virtual win::HGDIOBJ SelectObject(win::HDC dc, win::HGDIOBJ object) = 0;
  virtual bool BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                      int sourceX, int sourceY, std::uint32_t rop) = 0;
  virtual bool DeleteDC(win::HDC dc) = 0;
};
