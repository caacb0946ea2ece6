// The desktop of the host: the work area, message boxes, cursors and icons,
// window classes, windows and their messages, and painting.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

class DesktopServices {
 public:
  virtual bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                     std::uint32_t winIni) = 0;

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

 protected:
  // Realisations are never deleted through the facet.
  ~DesktopServices() = default;
};
