// Placeholder until the realisation lands; every call fails.
#include "host/posix/ScriptedDesktop.h"

std::uint32_t ScriptedDesktop::GetVersion() { return {}; }
bool ScriptedDesktop::GetVersionExA(win::OSVERSIONINFOA*) { return false; }
win::HANDLE ScriptedDesktop::GetCurrentThread() { return {}; }
bool ScriptedDesktop::SetThreadPriority(win::HANDLE, int) { return false; }
bool ScriptedDesktop::EnableShutdownPrivilege() { return false; }
bool ScriptedDesktop::ExitWindowsEx(std::uint32_t, std::uint32_t) { return false; }
bool ScriptedDesktop::SystemParametersInfoA(std::uint32_t, std::uint32_t, void*, std::uint32_t) {
  return false;
}
int ScriptedDesktop::MessageBoxA(win::HWND, const char*, const char*, std::uint32_t) { return {}; }
int ScriptedDesktop::MessageBoxIndirectA(const win::MSGBOXPARAMSA*) { return {}; }
win::HCURSOR ScriptedDesktop::LoadCursorA(win::HINSTANCE, const char*) { return {}; }
win::HCURSOR ScriptedDesktop::SetCursor(win::HCURSOR) { return {}; }
std::uintptr_t ScriptedDesktop::SetClassLongPtrA(win::HWND, int, std::intptr_t) { return {}; }
win::HICON ScriptedDesktop::LoadIconA(win::HINSTANCE, const char*) { return {}; }
bool ScriptedDesktop::GetClassInfoA(win::HINSTANCE, const char*, win::WNDCLASSA*) { return false; }
std::uint16_t ScriptedDesktop::RegisterClassA(const win::WNDCLASSA*) { return {}; }
win::HWND ScriptedDesktop::CreateWindowExA(std::uint32_t, const char*, const char*, std::uint32_t,
                                           int, int, int, int, win::HWND, win::HMENU,
                                           win::HINSTANCE, void*) {
  return {};
}
win::LRESULT ScriptedDesktop::DefWindowProcA(win::HWND, std::uint32_t, win::WPARAM, win::LPARAM) {
  return {};
}
bool ScriptedDesktop::ShowWindow(win::HWND, int) { return false; }
bool ScriptedDesktop::UpdateWindow(win::HWND) { return false; }
bool ScriptedDesktop::ShowOwnedPopups(win::HWND, bool) { return false; }
bool ScriptedDesktop::SetWindowPos(win::HWND, win::HWND, int, int, int, int, std::uint32_t) {
  return false;
}
bool ScriptedDesktop::DestroyWindow(win::HWND) { return false; }
win::LRESULT ScriptedDesktop::SendMessageA(win::HWND, std::uint32_t, win::WPARAM, win::LPARAM) {
  return {};
}
void ScriptedDesktop::PostQuitMessage(int) {}
int ScriptedDesktop::GetMessageA(win::MSG*, win::HWND, std::uint32_t, std::uint32_t) { return {}; }
bool ScriptedDesktop::TranslateMessage(const win::MSG*) { return false; }
win::LRESULT ScriptedDesktop::DispatchMessageA(const win::MSG*) { return {}; }
win::HDC ScriptedDesktop::BeginPaint(win::HWND, win::PAINTSTRUCT*) { return {}; }
bool ScriptedDesktop::EndPaint(win::HWND, const win::PAINTSTRUCT*) { return false; }
bool ScriptedDesktop::ValidateRect(win::HWND, const win::RECT*) { return false; }
win::HBRUSH ScriptedDesktop::CreateSolidBrush(win::COLORREF) { return {}; }
win::HBRUSH ScriptedDesktop::CreateHatchBrush(int, win::COLORREF) { return {}; }
int ScriptedDesktop::FillRect(win::HDC, const win::RECT*, win::HBRUSH) { return {}; }
bool ScriptedDesktop::DeleteObject(win::HGDIOBJ) { return false; }
win::HBITMAP ScriptedDesktop::LoadBitmapA(win::HINSTANCE, const char*) { return {}; }
int ScriptedDesktop::GetObjectA(win::HGDIOBJ, int, void*) { return {}; }
win::HDC ScriptedDesktop::CreateCompatibleDC(win::HDC) { return {}; }
win::HGDIOBJ ScriptedDesktop::SelectObject(win::HDC, win::HGDIOBJ) { return {}; }
bool ScriptedDesktop::BitBlt(win::HDC, int, int, int, int, win::HDC, int, int, std::uint32_t) {
  return false;
}
bool ScriptedDesktop::DeleteDC(win::HDC) { return false; }
