#include "support/DesktopCallRecorder.h"

#include <algorithm>
#include <sstream>

namespace {

template <typename Handle>
std::uintptr_t Value(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

std::string Hex(std::uintptr_t value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

std::string CursorName(win::HINSTANCE instance, std::uint16_t id) {
  if (instance != nullptr) return "program " + std::to_string(id);
  if (id == win::kIdcWait) return "wait";
  return id == win::kIdcArrow ? "arrow" : "system " + std::to_string(id);
}

}  // namespace

std::vector<std::string> CallRecord::CallsOf(const std::vector<std::string>& names) const {
  std::vector<std::string> result;
  for (const std::string& call : calls_) {
    const std::string verb = call.substr(0, call.find(' '));
    if (std::find(names.begin(), names.end(), verb) != names.end()) result.push_back(call);
  }
  return result;
}

std::string RecordingDesktop::NameOf(std::uintptr_t handle) const {
  const auto found = names_.find(handle);
  return found == names_.end() ? Hex(handle) : found->second;
}

template <typename Handle>
Handle RecordingDesktop::Named(Handle handle, const std::string& name) {
  if (handle != nullptr) names_[Value(handle)] = name;
  return handle;
}

bool RecordingDesktop::SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void* data,
                                             std::uint32_t winIni) {
  record_.Note("SystemParametersInfoA " + std::to_string(action));
  return ForwardingDesktop::SystemParametersInfoA(action, param, data, winIni);
}

int RecordingDesktop::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                                  std::uint32_t type) {
  record_.Note("MessageBoxA");
  return ForwardingDesktop::MessageBoxA(owner, text, caption, type);
}

int RecordingDesktop::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  record_.Note("MessageBoxIndirectA");
  return ForwardingDesktop::MessageBoxIndirectA(params);
}

win::HCURSOR RecordingDesktop::LoadCursorA(win::HINSTANCE instance, const char* name) {
  record_.Note("LoadCursorA");
  return Named(ForwardingDesktop::LoadCursorA(instance, name),
               CursorName(instance, win::IntResourceId(name)));
}

win::HCURSOR RecordingDesktop::SetCursor(win::HCURSOR cursor) {
  record_.Note("SetCursor " + NameOf(Value(cursor)));
  return ForwardingDesktop::SetCursor(cursor);
}

std::uintptr_t RecordingDesktop::SetClassLongPtrA(win::HWND handle, int index,
                                                  std::intptr_t value) {
  record_.Note("SetClassLongPtrA " + std::to_string(index) + " " +
               NameOf(static_cast<std::uintptr_t>(value)));
  return ForwardingDesktop::SetClassLongPtrA(handle, index, value);
}

win::HICON RecordingDesktop::LoadIconA(win::HINSTANCE instance, const char* name) {
  record_.Note("LoadIconA");
  return ForwardingDesktop::LoadIconA(instance, name);
}

bool RecordingDesktop::GetClassInfoA(win::HINSTANCE instance, const char* className,
                                     win::WNDCLASSA* wndClass) {
  record_.Note("GetClassInfoA");
  return ForwardingDesktop::GetClassInfoA(instance, className, wndClass);
}

std::uint16_t RecordingDesktop::RegisterClassA(const win::WNDCLASSA* wndClass) {
  record_.Note("RegisterClassA");
  return ForwardingDesktop::RegisterClassA(wndClass);
}

win::HWND RecordingDesktop::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                            const char* windowName, std::uint32_t style, int x,
                                            int y, int width, int height, win::HWND parent,
                                            win::HMENU menu, win::HINSTANCE instance, void* param) {
  record_.Note("CreateWindowExA");
  return ForwardingDesktop::CreateWindowExA(exStyle, className, windowName, style, x, y, width,
                                            height, parent, menu, instance, param);
}

bool RecordingDesktop::ShowWindow(win::HWND handle, int showCommand) {
  record_.Note("ShowWindow " + std::to_string(showCommand));
  return ForwardingDesktop::ShowWindow(handle, showCommand);
}

bool RecordingDesktop::UpdateWindow(win::HWND handle) {
  record_.Note("UpdateWindow");
  return ForwardingDesktop::UpdateWindow(handle);
}

bool RecordingDesktop::ShowOwnedPopups(win::HWND handle, bool show) {
  record_.Note(std::string("ShowOwnedPopups ") + (show ? "1" : "0"));
  return ForwardingDesktop::ShowOwnedPopups(handle, show);
}

bool RecordingDesktop::SetWindowPos(win::HWND handle, win::HWND insertAfter, int x, int y, int cx,
                                    int cy, std::uint32_t flags) {
  const std::string after = insertAfter == win::HwndBottom() ? "bottom" : Hex(Value(insertAfter));
  record_.Note("SetWindowPos " + after + " " + std::to_string(x) + " " + std::to_string(y) + " " +
               std::to_string(cx) + " " + std::to_string(cy) + " " + Hex(flags));
  return ForwardingDesktop::SetWindowPos(handle, insertAfter, x, y, cx, cy, flags);
}

bool RecordingDesktop::DestroyWindow(win::HWND handle) {
  record_.Note("DestroyWindow");
  return ForwardingDesktop::DestroyWindow(handle);
}

win::LRESULT RecordingDesktop::SendMessageA(win::HWND handle, std::uint32_t message,
                                            win::WPARAM wParam, win::LPARAM lParam) {
  record_.Note("SendMessageA " + Hex(message));
  return ForwardingDesktop::SendMessageA(handle, message, wParam, lParam);
}

void RecordingDesktop::PostQuitMessage(int exitCode) {
  record_.Note("PostQuitMessage " + std::to_string(exitCode));
  ForwardingDesktop::PostQuitMessage(exitCode);
}

int RecordingDesktop::GetMessageA(win::MSG* message, win::HWND handle, std::uint32_t filterMin,
                                  std::uint32_t filterMax) {
  const int result = ForwardingDesktop::GetMessageA(message, handle, filterMin, filterMax);
  record_.Note(result == -1 ? std::string("GetMessageA fails")
                            : "GetMessageA " + Hex(message->message));
  return result;
}

bool RecordingDesktop::TranslateMessage(const win::MSG* message) {
  record_.Note("TranslateMessage " + Hex(message->message));
  return ForwardingDesktop::TranslateMessage(message);
}

win::LRESULT RecordingDesktop::DispatchMessageA(const win::MSG* message) {
  record_.Note("DispatchMessageA " + Hex(message->message));
  return ForwardingDesktop::DispatchMessageA(message);
}

win::HDC RecordingDesktop::BeginPaint(win::HWND handle, win::PAINTSTRUCT* paint) {
  record_.Note("BeginPaint");
  return ForwardingDesktop::BeginPaint(handle, paint);
}

bool RecordingDesktop::EndPaint(win::HWND handle, const win::PAINTSTRUCT* paint) {
  record_.Note("EndPaint");
  return ForwardingDesktop::EndPaint(handle, paint);
}

bool RecordingDesktop::ValidateRect(win::HWND handle, const win::RECT* rect) {
  record_.Note(std::string("ValidateRect ") + (rect == nullptr ? "null" : "rect"));
  return ForwardingDesktop::ValidateRect(handle, rect);
}

win::HBRUSH RecordingDesktop::CreateSolidBrush(win::COLORREF color) {
  record_.Note("CreateSolidBrush " + Hex(color));
  return Named(ForwardingDesktop::CreateSolidBrush(color), "solid " + Hex(color));
}

win::HBRUSH RecordingDesktop::CreateHatchBrush(int style, win::COLORREF color) {
  const std::string brush = std::to_string(style) + " " + Hex(color);
  record_.Note("CreateHatchBrush " + brush);
  return Named(ForwardingDesktop::CreateHatchBrush(style, color), "hatch " + brush);
}

int RecordingDesktop::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  record_.Note("FillRect");
  return ForwardingDesktop::FillRect(dc, rect, brush);
}

// A deleted object's handle may be given out again for another.
bool RecordingDesktop::DeleteObject(win::HGDIOBJ object) {
  record_.Note("DeleteObject " + NameOf(Value(object)));
  const bool deleted = ForwardingDesktop::DeleteObject(object);
  if (deleted) names_.erase(Value(object));
  return deleted;
}

win::HBITMAP RecordingDesktop::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  const std::string id = std::to_string(win::IntResourceId(name));
  record_.Note("LoadBitmapA " + id);
  return Named(ForwardingDesktop::LoadBitmapA(instance, name), "bitmap " + id);
}

int RecordingDesktop::GetObjectA(win::HGDIOBJ object, int size, void* buffer) {
  record_.Note("GetObjectA");
  return ForwardingDesktop::GetObjectA(object, size, buffer);
}

win::HDC RecordingDesktop::CreateCompatibleDC(win::HDC dc) {
  record_.Note("CreateCompatibleDC");
  return ForwardingDesktop::CreateCompatibleDC(dc);
}

win::HGDIOBJ RecordingDesktop::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  record_.Note("SelectObject");
  return ForwardingDesktop::SelectObject(dc, object);
}

bool RecordingDesktop::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                              int sourceX, int sourceY, std::uint32_t rop) {
  record_.Note("BitBlt");
  return ForwardingDesktop::BitBlt(target, x, y, width, height, source, sourceX, sourceY, rop);
}

bool RecordingDesktop::DeleteDC(win::HDC dc) {
  record_.Note("DeleteDC");
  return ForwardingDesktop::DeleteDC(dc);
}

bool RecordingSystem::GetVersionExA(win::OSVERSIONINFOA* info) {
  record_.Note("GetVersionExA");
  return ForwardingSystem::GetVersionExA(info);
}

bool RecordingSystem::SetThreadPriority(win::HANDLE thread, int priority) {
  const bool current = thread == Inner().GetCurrentThread();
  record_.Note(std::string("SetThreadPriority ") + (current ? "current " : "other ") +
               std::to_string(priority));
  return ForwardingSystem::SetThreadPriority(thread, priority);
}

bool RecordingSystem::EnableShutdownPrivilege() {
  record_.Note("EnableShutdownPrivilege");
  return ForwardingSystem::EnableShutdownPrivilege();
}

bool RecordingSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  std::ostringstream line;
  line << "ExitWindowsEx " << flags << " " << std::hex << reserved;
  record_.Note(line.str());
  return ForwardingSystem::ExitWindowsEx(flags, reserved);
}
