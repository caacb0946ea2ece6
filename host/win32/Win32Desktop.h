// The Win32 realisation of the host's desktop: each operation is the ANSI
// Win32 call of the same name. The message-box block and window classes are
// copied, because their real forms differ (size on x86-64, and the calling
// convention of window procedures).
//
// A class registered here gets a real window procedure from a small fixed
// set, each bound to a slot that holds the class's portable procedure; so
// GetClassInfoA gives the portable procedure back. Window classes belong to
// the process, and so does this table.
#pragma once

#include <cstdint>

#include "host/DesktopServices.h"

class Win32Desktop final : public DesktopServices {
 public:
  bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                             std::uint32_t winIni) override;
  int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                  std::uint32_t type) override;
  int MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) override;
  win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name) override;
  win::HCURSOR SetCursor(win::HCURSOR cursor) override;
  std::uintptr_t SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) override;
  win::HICON LoadIconA(win::HINSTANCE instance, const char* name) override;
  bool GetClassInfoA(win::HINSTANCE instance, const char* className,
                     win::WNDCLASSA* wndClass) override;
  std::uint16_t RegisterClassA(const win::WNDCLASSA* wndClass) override;
  win::HWND CreateWindowExA(std::uint32_t exStyle, const char* className, const char* windowName,
                            std::uint32_t style, int x, int y, int width, int height,
                            win::HWND parent, win::HMENU menu, win::HINSTANCE instance,
                            void* param) override;
  win::LRESULT DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                              win::LPARAM lParam) override;
  bool ShowWindow(win::HWND window, int showCommand) override;
  bool UpdateWindow(win::HWND window) override;
  bool ShowOwnedPopups(win::HWND window, bool show) override;
  bool SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool DestroyWindow(win::HWND window) override;
  win::LRESULT SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                            win::LPARAM lParam) override;
  void PostQuitMessage(int exitCode) override;
  int GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                  std::uint32_t filterMax) override;
  bool TranslateMessage(const win::MSG* message) override;
  win::LRESULT DispatchMessageA(const win::MSG* message) override;
  win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) override;
  bool EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) override;
  bool ValidateRect(win::HWND window, const win::RECT* rect) override;
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
};
