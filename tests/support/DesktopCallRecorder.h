// A host that writes down, one short line each, every call of the desktop and
// the system's calls about the version, the thread, the shutdown right and
// the restart, on their way to the host behind, so that a test sees the
// program's windows, boxes and drawing in order among them:
//
//   CreateWindowExA
//   ShowWindow 10                      the show command
//   SendMessageA 10                    the message, in hex
//   GetMessageA 12 / GetMessageA fails the message handed out, or none
//   SetCursor wait                     a cursor by the name it was loaded as
//   CreateHatchBrush 2 7a7aff          the style and colour
//   DeleteObject hatch 2 7a7aff        an object by what made it
//   ExitWindowsEx 2 ffffffff           the flags, and the reserved word in hex
//
// The window procedure's default (DefWindowProcA), which every message
// reaches, is left out. Tests add their own events with Note.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/ForwardingServices.h"
#include "host/HostServices.h"

class CallRecord {
 public:
  const std::vector<std::string>& Calls() const { return calls_; }
  // The calls whose first word is one of `names`.
  std::vector<std::string> CallsOf(const std::vector<std::string>& names) const;
  void Note(const std::string& line) { calls_.push_back(line); }

 private:
  std::vector<std::string> calls_;
};

class RecordingDesktop : public ForwardingDesktop {
 public:
  RecordingDesktop(DesktopServices& inner, CallRecord& record)
      : ForwardingDesktop(inner), record_(record) {}

  bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                             std::uint32_t winIni) override;
  int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                  std::uint32_t type) override;
  int MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) override;
  win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name) override;
  win::HCURSOR SetCursor(win::HCURSOR cursor) override;
  std::uintptr_t SetClassLongPtrA(win::HWND handle, int index, std::intptr_t value) override;
  win::HICON LoadIconA(win::HINSTANCE instance, const char* name) override;
  bool GetClassInfoA(win::HINSTANCE instance, const char* className,
                     win::WNDCLASSA* wndClass) override;
  std::uint16_t RegisterClassA(const win::WNDCLASSA* wndClass) override;
  win::HWND CreateWindowExA(std::uint32_t exStyle, const char* className, const char* windowName,
                            std::uint32_t style, int x, int y, int width, int height,
                            win::HWND parent, win::HMENU menu, win::HINSTANCE instance,
                            void* param) override;
  bool ShowWindow(win::HWND handle, int showCommand) override;
  bool UpdateWindow(win::HWND handle) override;
  bool ShowOwnedPopups(win::HWND handle, bool show) override;
  bool SetWindowPos(win::HWND handle, win::HWND insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool DestroyWindow(win::HWND handle) override;
  win::LRESULT SendMessageA(win::HWND handle, std::uint32_t message, win::WPARAM wParam,
                            win::LPARAM lParam) override;
  void PostQuitMessage(int exitCode) override;
  int GetMessageA(win::MSG* message, win::HWND handle, std::uint32_t filterMin,
                  std::uint32_t filterMax) override;
  bool TranslateMessage(const win::MSG* message) override;
  win::LRESULT DispatchMessageA(const win::MSG* message) override;
  win::HDC BeginPaint(win::HWND handle, win::PAINTSTRUCT* paint) override;
  bool EndPaint(win::HWND handle, const win::PAINTSTRUCT* paint) override;
  bool ValidateRect(win::HWND handle, const win::RECT* rect) override;
  win::HBRUSH CreateSolidBrush(win::COLORREF color) override;
  win::HBRUSH CreateHatchBrush(int style, win::COLORREF color) override;
  int FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) override;
  bool DeleteObject(win::HGDIOBJ object) override;
  win::HBITMAP LoadBitmapA(win::HINSTANCE instance, const char* name) override;
  int GetObjectA(win::HGDIOBJ object, int size, void* buffer) override;
  win::HDC CreateCompatibleDC(win::HDC dc) override;
  win::HGDIOBJ SelectObject(win::HDC dc, win::HGDIOBJ object) override;
  bool BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source, int sourceX,
              int sourceY, std::uint32_t rop) override;
  bool DeleteDC(win::HDC dc) override;

 private:
  // What made a handle that the host gave out, as the record names it.
  std::string NameOf(std::uintptr_t handle) const;
  template <typename Handle>
  Handle Named(Handle handle, const std::string& name);

  CallRecord& record_;
  std::map<std::uintptr_t, std::string> names_;
};

class RecordingSystem : public ForwardingSystem {
 public:
  RecordingSystem(SystemServices& inner, CallRecord& record)
      : ForwardingSystem(inner), record_(record) {}

  bool GetVersionExA(win::OSVERSIONINFOA* info) override;
  bool SetThreadPriority(win::HANDLE thread, int priority) override;
  bool EnableShutdownPrivilege() override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;

 private:
  CallRecord& record_;
};

// The recorders, built before the services that refer to them.
struct RecordingFacets {
  RecordingFacets(HostServices& inner, CallRecord& record)
      : desktop_(inner.desktop, record), system_(inner.system, record) {}

  RecordingDesktop desktop_;
  RecordingSystem system_;
};

class DesktopCallRecorder : public CallRecord, private RecordingFacets, public HostServices {
 public:
  explicit DesktopCallRecorder(HostServices& inner)
      : RecordingFacets(inner, *this),
        HostServices{inner.files, inner.registry, desktop_, system_} {}
  DesktopCallRecorder(const DesktopCallRecorder&) = delete;
  DesktopCallRecorder& operator=(const DesktopCallRecorder&) = delete;
};
