#include "host/win32/Win32Desktop.h"

#include <cstddef>
#include <cstdint>

#include "host/win32/MessageBoxCall.h"
#include "host/win32/Win32Records.h"
#include "host/win32/WindowsApi.h"

// On 32-bit Windows SetClassLongPtrA is a macro for SetClassLongA; the
// operation of that name is ours, so the macro must not rename it.
#undef SetClassLongPtrA

namespace {

// Window classes registered through the host carry a portable procedure. The
// real class gets one of these real procedures, each bound to one slot that
// holds the portable procedure it calls. The updater registers one class,
// its banner's; a test program registers at most two.
constexpr int kClassSlots = 2;
win::WNDPROC classProcedures[kClassSlots] = {};

template <int Slot>
LRESULT CALLBACK ClassTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return classProcedures[Slot](As<win::HWND>(window), message, wParam, lParam);
}

constexpr WNDPROC kTrampolines[kClassSlots] = {ClassTrampoline<0>, ClassTrampoline<1>};

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

}  // namespace

bool Win32Desktop::SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                         std::uint32_t winIni) {
  return ::SystemParametersInfoA(action, param, data, winIni) != FALSE;
}

int Win32Desktop::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                              std::uint32_t type) {
  return ::MessageBoxA(As<HWND>(owner), text, caption, type);
}

// The portable block has the real one's layout; only its size field is the
// 32-bit host's, so the real call gets a copy that gives its own size. No
// help callback is passed: the portable one has the portable calling
// convention, and the updater's boxes have no Help button.
int Win32Desktop::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  MSGBOXPARAMSA real;
  __builtin_memcpy(&real, params, sizeof real);
  real.cbSize = sizeof real;
  real.lpfnMsgBoxCallback = nullptr;
  return ShowMessageBox(real, FindMessageBoxIndirect(), ::MessageBoxA);
}

win::HCURSOR Win32Desktop::LoadCursorA(win::HINSTANCE instance, const char* name) {
  return As<win::HCURSOR>(::LoadCursorA(As<HINSTANCE>(instance), name));
}

win::HCURSOR Win32Desktop::SetCursor(win::HCURSOR cursor) {
  return As<win::HCURSOR>(::SetCursor(As<HCURSOR>(cursor)));
}

std::uintptr_t Win32Desktop::SetClassLongPtrA(win::HWND window, int index, std::intptr_t value) {
#ifdef _WIN64
  return ::SetClassLongPtrA(As<HWND>(window), index, value);
#else
  return ::SetClassLongA(As<HWND>(window), index, value);
#endif
}

win::HICON Win32Desktop::LoadIconA(win::HINSTANCE instance, const char* name) {
  return As<win::HICON>(::LoadIconA(As<HINSTANCE>(instance), name));
}

// A class registered through RegisterClassA gives back its portable
// procedure; any other class gives none.
bool Win32Desktop::GetClassInfoA(win::HINSTANCE instance, const char* className,
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

std::uint16_t Win32Desktop::RegisterClassA(const win::WNDCLASSA* wndClass) {
  const int slot = FreeClassSlot();
  if (!wndClass->lpfnWndProc || slot < 0) return 0;
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

win::HWND Win32Desktop::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                        const char* windowName, std::uint32_t style, int x, int y,
                                        int width, int height, win::HWND parent, win::HMENU menu,
                                        win::HINSTANCE instance, void* param) {
  return As<win::HWND>(::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                         As<HWND>(parent), As<HMENU>(menu), As<HINSTANCE>(instance),
                                         param));
}

win::LRESULT Win32Desktop::DefWindowProcA(win::HWND window, std::uint32_t message,
                                          win::WPARAM wParam, win::LPARAM lParam) {
  return ::DefWindowProcA(As<HWND>(window), message, wParam, lParam);
}

bool Win32Desktop::ShowWindow(win::HWND window, int showCommand) {
  return ::ShowWindow(As<HWND>(window), showCommand) != FALSE;
}

bool Win32Desktop::UpdateWindow(win::HWND window) {
  return ::UpdateWindow(As<HWND>(window)) != FALSE;
}

bool Win32Desktop::ShowOwnedPopups(win::HWND window, bool show) {
  return ::ShowOwnedPopups(As<HWND>(window), show ? TRUE : FALSE) != FALSE;
}

bool Win32Desktop::SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx,
                                int cy, std::uint32_t flags) {
  return ::SetWindowPos(As<HWND>(window), As<HWND>(insertAfter), x, y, cx, cy, flags) != FALSE;
}

bool Win32Desktop::DestroyWindow(win::HWND window) {
  return ::DestroyWindow(As<HWND>(window)) != FALSE;
}

win::LRESULT Win32Desktop::SendMessageA(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                                        win::LPARAM lParam) {
  return ::SendMessageA(As<HWND>(window), message, wParam, lParam);
}

void Win32Desktop::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

int Win32Desktop::GetMessageA(win::MSG* message, win::HWND window, std::uint32_t filterMin,
                              std::uint32_t filterMax) {
  return ::GetMessageA(reinterpret_cast<::MSG*>(message), As<HWND>(window), filterMin, filterMax);
}

bool Win32Desktop::TranslateMessage(const win::MSG* message) {
  return ::TranslateMessage(reinterpret_cast<const ::MSG*>(message)) != FALSE;
}

win::LRESULT Win32Desktop::DispatchMessageA(const win::MSG* message) {
  return ::DispatchMessageA(reinterpret_cast<const ::MSG*>(message));
}

win::HDC Win32Desktop::BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) {
  return As<win::HDC>(::BeginPaint(As<HWND>(window), reinterpret_cast<::PAINTSTRUCT*>(paint)));
}

bool Win32Desktop::EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) {
  return ::EndPaint(As<HWND>(window), reinterpret_cast<const ::PAINTSTRUCT*>(paint)) != FALSE;
}

bool Win32Desktop::ValidateRect(win::HWND window, const win::RECT* rect) {
  return ::ValidateRect(As<HWND>(window), reinterpret_cast<const ::RECT*>(rect)) != FALSE;
}

win::HBRUSH Win32Desktop::CreateSolidBrush(win::COLORREF color) {
  return As<win::HBRUSH>(::CreateSolidBrush(color));
}

win::HBRUSH Win32Desktop::CreateHatchBrush(int style, win::COLORREF color) {
  return As<win::HBRUSH>(::CreateHatchBrush(style, color));
}

int Win32Desktop::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  return ::FillRect(As<HDC>(dc), reinterpret_cast<const ::RECT*>(rect), As<HBRUSH>(brush));
}

bool Win32Desktop::DeleteObject(win::HGDIOBJ object) {
  return ::DeleteObject(As<HGDIOBJ>(object)) != FALSE;
}

win::HBITMAP Win32Desktop::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  return As<win::HBITMAP>(::LoadBitmapA(As<HINSTANCE>(instance), name));
}

int Win32Desktop::GetObjectA(win::HGDIOBJ object, int size, void* buffer) {
  return ::GetObjectA(As<HGDIOBJ>(object), size, buffer);
}

win::HDC Win32Desktop::CreateCompatibleDC(win::HDC dc) {
  return As<win::HDC>(::CreateCompatibleDC(As<HDC>(dc)));
}

win::HGDIOBJ Win32Desktop::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  return As<win::HGDIOBJ>(::SelectObject(As<HDC>(dc), As<HGDIOBJ>(object)));
}

bool Win32Desktop::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                          int sourceX, int sourceY, std::uint32_t rop) {
  return ::BitBlt(As<HDC>(target), x, y, width, height, As<HDC>(source), sourceX, sourceY, rop) !=
         FALSE;
}

bool Win32Desktop::DeleteDC(win::HDC dc) { return ::DeleteDC(As<HDC>(dc)) != FALSE; }
