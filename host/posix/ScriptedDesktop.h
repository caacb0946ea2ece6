// The desktop side of the POSIX host: scripted answers for the version query
// and the boxes, and a record of every window, box, cursor and drawing call.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

class ScriptedDesktop {
 public:
  std::uint32_t GetVersion();
  bool GetVersionExA(win::OSVERSIONINFOA* info);
  win::HANDLE GetCurrentThread();
  bool SetThreadPriority(win::HANDLE thread, int priority);
  bool EnableShutdownPrivilege();
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved);
  bool SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                             std::uint32_t winIni);
  int MessageBoxA(win::HWND owner, const char* text, const char* caption, std::uint32_t type);
  int MessageBoxIndirectA(const win::MSGBOXPARAMSA* params);
  win::HCURSOR LoadCursorA(win::HINSTANCE instance, const char* name);
  win::HCURSOR SetCursor(win::HCURSOR cursor);
  std::uintptr_t SetClassLongPtrA(win::HWND window, int index, std::intptr_t value);
  win::HICON LoadIconA(win::HINSTANCE instance, const char* name);
  bool GetClassInfoA(win::HINSTANCE instance, const char* className, win::WNDCLASSA* wndClass);
  std::uint16_t RegisterClassA(const win::WNDCLASSA* wndClass);
  win::HWND CreateWindowExA(std::uint32_t exStyle, const char* className, const char* windowName,
                            std::uint32_t style, int x, int y, int width, int height,
                            win::HWND parent, win::HMENU menu, win::HINSTANCE instance,
                            void* param);
  win::LRESULT DefWindowProcA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                              win::LPARAM lParam);
  bool ShowWindow(win::HWND window, int showCommand);
  bool UpdateWindow(win::HWND window);
  bool ShowOwnedPopups(win::HWND window, bool show);
  bool SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags);
  bool DestroyWindow(win::HWND window);
  win::LRESULT SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                            win::LPARAM lParam);
  void PostQuitMessage(int exitCode);
  int GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                  std::uint32_t filterMax);
  bool TranslateMessage(const win::MSG* message);
  win::LRESULT DispatchMessageA(const win::MSG* message);
  win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint);
  bool EndPaint(win::HWND window, const win::PAINTSTRUCT* paint);
  bool ValidateRect(win::HWND window, const win::RECT* rect);
  win::HBRUSH CreateSolidBrush(win::COLORREF color);
  win::HBRUSH CreateHatchBrush(int style, win::COLORREF color);
  int FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush);
  bool DeleteObject(win::HGDIOBJ object);
  win::HBITMAP LoadBitmapA(win::HINSTANCE instance, const char* name);
  int GetObjectA(win::HGDIOBJ object, int size, void* buffer);
  win::HDC CreateCompatibleDC(win::HDC dc);
  win::HGDIOBJ SelectObject(win::HDC dc, win::HGDIOBJ object);
  bool BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source, int sourceX,
              int sourceY, std::uint32_t rop);
  bool DeleteDC(win::HDC dc);
};
