#include "host/posix/ScriptedDesktop.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <utility>

namespace {

constexpr std::uint32_t kWmCreate = 0x0001;
constexpr std::uint32_t kWmGetMinMaxInfo = 0x0024;
constexpr std::uint32_t kWsVisible = 0x10000000;
// The program's picture, the only bitmap it loads.
constexpr std::int32_t kPictureWidth = 196;
constexpr std::int32_t kPictureHeight = 62;

// Handles are unique across every desktop of the process, so that a window
// or object of one test can never be taken for one of the next.
std::uintptr_t nextWindowHandle = 0x500000;
std::uintptr_t nextGdiHandle = 0x100000;
std::uint16_t nextClassAtom = 0xC000;

constexpr std::uintptr_t kProgramInstance = 0x400000;
constexpr std::uintptr_t kStockBitmap = 0xF0000;
constexpr std::uintptr_t kSystemCursorBase = 0x10000;
constexpr std::uintptr_t kProgramCursorBase = 0x20000;
constexpr std::uintptr_t kProgramIconBase = 0x30000;

template <typename Handle>
std::uintptr_t Value(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

template <typename Handle>
Handle FromValue(std::uintptr_t value) {
  return reinterpret_cast<Handle>(value);
}

std::uintptr_t NewGdiHandle() {
  const std::uintptr_t handle = nextGdiHandle;
  nextGdiHandle += 4;
  return handle;
}

std::string Hex(std::uintptr_t value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

}  // namespace

win::HINSTANCE ScriptedDesktop::ProgramInstance() {
  return FromValue<win::HINSTANCE>(kProgramInstance);
}

win::HCURSOR ScriptedDesktop::ProgramCursor(std::uint16_t id) {
  return FromValue<win::HCURSOR>(kProgramCursorBase + id);
}

win::HICON ScriptedDesktop::ProgramIcon(std::uint16_t id) {
  return FromValue<win::HICON>(kProgramIconBase + id);
}

const ScriptedDesktop::Window* ScriptedDesktop::FindWindow(win::HWND handle) const {
  for (const Window& window : windows_) {
    if (window.handle == handle) return &window;
  }
  return nullptr;
}

int ScriptedDesktop::OpenWindowCount() const {
  return static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                        [](const Window& window) { return !window.destroyed; }));
}

bool ScriptedDesktop::SystemParametersInfoA(std::uint32_t action, std::uint32_t, void* data,
                                            std::uint32_t) {
  if (action != win::kSpiGetWorkArea) return false;
  std::memcpy(data, &workArea_, sizeof workArea_);
  return true;
}

int ScriptedDesktop::AnswerBox(const Box& box) {
  boxes_.push_back(box);
  if (boxAnswers_.empty()) return win::kIdOk;
  const int answer = boxAnswers_.front();
  boxAnswers_.pop_front();
  return answer;
}

int ScriptedDesktop::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                                 std::uint32_t type) {
  Box box = {Box::Kind::kPlain, owner, text, std::nullopt, type, std::nullopt, nullptr};
  if (caption != nullptr) box.caption = caption;
  return AnswerBox(box);
}

int ScriptedDesktop::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  Box box = {Box::Kind::kIndirect, params->hwndOwner, params->lpszText, std::nullopt,
             params->dwStyle,      std::nullopt,      params->hInstance};
  if (params->lpszCaption != nullptr) box.caption = params->lpszCaption;
  if (params->lpszIcon != nullptr) box.iconId = win::IntResourceId(params->lpszIcon);
  return AnswerBox(box);
}

// Any system cursor (no instance) exists; of the program's, cursor 11 alone.
win::HCURSOR ScriptedDesktop::LoadCursorA(win::HINSTANCE instance, const char* name) {
  const std::uint16_t id = win::IntResourceId(name);
  if (instance == nullptr) return FromValue<win::HCURSOR>(kSystemCursorBase + id);
  return instance == ProgramInstance() && id == IDC_BANNER ? ProgramCursor(id) : nullptr;
}

win::HCURSOR ScriptedDesktop::SetCursor(win::HCURSOR) { return nullptr; }

std::uintptr_t ScriptedDesktop::SetClassLongPtrA(win::HWND, int, std::intptr_t) { return 0; }

win::HICON ScriptedDesktop::LoadIconA(win::HINSTANCE instance, const char* name) {
  const std::uint16_t id = win::IntResourceId(name);
  const bool programs = id == IDI_WINDOW || id == IDI_CONFIRM || id == IDI_FAILURE;
  return instance == ProgramInstance() && programs ? ProgramIcon(id) : nullptr;
}

bool ScriptedDesktop::GetClassInfoA(win::HINSTANCE, const char* className,
                                    win::WNDCLASSA* wndClass) {
  const win::WNDCLASSA* found = FindClass(className);
  if (found != nullptr) *wndClass = *found;
  return found != nullptr;
}

std::uint16_t ScriptedDesktop::RegisterClassA(const win::WNDCLASSA* wndClass) {
  const auto [entry, added] = classes_.emplace(wndClass->lpszClassName, *wndClass);
  if (!added) return 0;
  entry->second.lpszClassName = entry->first.c_str();
  return nextClassAtom++;
}

win::HWND ScriptedDesktop::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                           const char* windowName, std::uint32_t style, int x,
                                           int y, int width, int height, win::HWND parent,
                                           win::HMENU, win::HINSTANCE instance, void*) {
  if (classes_.count(className) == 0) return nullptr;
  const win::HWND handle = FromValue<win::HWND>(nextWindowHandle);
  nextWindowHandle += 0x10;
  Window& window = windows_.emplace_back(
      Window{handle, className, windowName, exStyle, style, x, y, width, height, parent, instance});
  Deliver(window, kWmGetMinMaxInfo);
  if (Deliver(window, win::kWmNcCreate) == 0) {
    Deliver(window, win::kWmNcDestroy);
    window.destroyed = true;
    return nullptr;
  }
  Deliver(window, kWmCreate);
  window.visible = (style & kWsVisible) != 0;
  return handle;
}

win::LRESULT ScriptedDesktop::DefWindowProcA(win::HWND handle, std::uint32_t message, win::WPARAM,
                                             win::LPARAM) {
  if (message == win::kWmNcCreate) return 1;
  if (message == win::kWmClose) DestroyWindow(handle);
  return 0;
}

bool ScriptedDesktop::ShowWindow(win::HWND handle, int showCommand) {
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  const bool wasVisible = window->visible;
  window->visible = showCommand != win::kSwHide;
  return wasVisible;
}

bool ScriptedDesktop::UpdateWindow(win::HWND handle) {
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  if (window->visible && window->needsPaint) Deliver(*window, win::kWmPaint);
  return true;
}

// Hides the windows that `handle` owns; none is shown again.
bool ScriptedDesktop::ShowOwnedPopups(win::HWND handle, bool show) {
  for (Window& window : windows_) {
    if (window.parent == handle) window.visible = window.visible && show;
  }
  return LiveWindow(handle) != nullptr;
}

bool ScriptedDesktop::SetWindowPos(win::HWND handle, win::HWND, int, int, int, int, std::uint32_t) {
  return LiveWindow(handle) != nullptr;
}

bool ScriptedDesktop::DestroyWindow(win::HWND handle) {
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  window->visible = false;
  Deliver(*window, win::kWmDestroy);
  Deliver(*window, win::kWmNcDestroy);
  window->destroyed = true;
  return true;
}

win::LRESULT ScriptedDesktop::SendMessageA(win::HWND handle, std::uint32_t message,
                                           win::WPARAM wParam, win::LPARAM lParam) {
  Window* window = LiveWindow(handle);
  return window == nullptr ? 0 : Deliver(*window, message, wParam, lParam);
}

void ScriptedDesktop::PostQuitMessage(int exitCode) {
  queue_.push_back({nullptr, win::kWmQuit, static_cast<win::WPARAM>(exitCode), 0, 0, {}});
}

// The user closes the first open window not yet offered a close.
void ScriptedDesktop::OfferClose() {
  for (Window& window : windows_) {
    if (window.destroyed || window.closeOffered) continue;
    window.closeOffered = true;
    queue_.push_back({window.handle, win::kWmClose, 0, 0, 0, {}});
    return;
  }
}

int ScriptedDesktop::GetMessageA(win::MSG* message, win::HWND, std::uint32_t, std::uint32_t) {
  if (queue_.empty() && userClosesWindows_) OfferClose();
  if (queue_.empty()) {
    starved_ = true;
    return -1;
  }
  *message = queue_.front();
  queue_.pop_front();
  if (message->message != win::kWmQuit) return 1;
  quitCode_ = static_cast<int>(message->wParam);
  return 0;
}

bool ScriptedDesktop::TranslateMessage(const win::MSG*) { return false; }

win::LRESULT ScriptedDesktop::DispatchMessageA(const win::MSG* message) {
  Window* window = LiveWindow(message->hwnd);
  return window == nullptr ? 0
                           : Deliver(*window, message->message, message->wParam, message->lParam);
}

ScriptedDesktop::Window* ScriptedDesktop::LiveWindow(win::HWND handle) {
  for (Window& window : windows_) {
    if (window.handle == handle && !window.destroyed) return &window;
  }
  return nullptr;
}

win::LRESULT ScriptedDesktop::Deliver(Window& window, std::uint32_t message, win::WPARAM wParam,
                                      win::LPARAM lParam) {
  return classes_[window.className].lpfnWndProc(window.handle, message, wParam, lParam);
}

std::uintptr_t ScriptedDesktop::AddGdi(GdiObject object) {
  const std::uintptr_t handle = NewGdiHandle();
  gdiObjects_[handle] = std::move(object);
  return handle;
}

ScriptedDesktop::GdiObject* ScriptedDesktop::FindGdi(std::uintptr_t handle, GdiObject::Kind kind) {
  const auto found = gdiObjects_.find(handle);
  return found == gdiObjects_.end() || found->second.kind != kind ? nullptr : &found->second;
}

bool ScriptedDesktop::Selected(std::uintptr_t bitmap) const {
  return std::any_of(gdiObjects_.begin(), gdiObjects_.end(),
                     [bitmap](const auto& entry) { return entry.second.selected == bitmap; });
}

bool ScriptedDesktop::Fault(const std::string& fault) {
  gdiFaults_.push_back(fault);
  return false;
}

win::HDC ScriptedDesktop::BeginPaint(win::HWND handle, win::PAINTSTRUCT* paint) {
  Window* window = LiveWindow(handle);
  if (window == nullptr) return nullptr;
  const std::uintptr_t dc = NewGdiHandle();
  paintDcs_.insert(dc);
  *paint = {};
  paint->hdc = FromValue<win::HDC>(dc);
  window->needsPaint = false;
  return paint->hdc;
}

bool ScriptedDesktop::EndPaint(win::HWND, const win::PAINTSTRUCT* paint) {
  return paintDcs_.erase(Value(paint->hdc)) != 0 || Fault("EndPaint without a paint");
}

bool ScriptedDesktop::ValidateRect(win::HWND handle, const win::RECT* rect) {
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  if (rect == nullptr) window->needsPaint = false;
  return true;
}

win::HBRUSH ScriptedDesktop::CreateSolidBrush(win::COLORREF color) {
  return FromValue<win::HBRUSH>(AddGdi({GdiObject::Kind::kBrush, "solid " + Hex(color)}));
}

win::HBRUSH ScriptedDesktop::CreateHatchBrush(int style, win::COLORREF color) {
  const std::string brush = std::to_string(style) + " " + Hex(color);
  return FromValue<win::HBRUSH>(AddGdi({GdiObject::Kind::kBrush, "hatch " + brush}));
}

int ScriptedDesktop::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  const GdiObject* object = FindGdi(Value(brush), GdiObject::Kind::kBrush);
  const bool paintable =
      paintDcs_.count(Value(dc)) != 0 || FindGdi(Value(dc), GdiObject::Kind::kMemoryDc) != nullptr;
  if (object == nullptr || !paintable) return Fault("FillRect with no context or brush");
  fills_.push_back({dc, *rect, object->description});
  return 1;
}

// Refuses to delete a bitmap that a context still holds, and notes it as a
// fault; Wine says yes and defers the deletion, so the answer is not the
// host's, but on both the bitmap lives on.
bool ScriptedDesktop::DeleteObject(win::HGDIOBJ object) {
  const std::uintptr_t handle = Value(object);
  const auto found = gdiObjects_.find(handle);
  const bool known = found != gdiObjects_.end() && found->second.kind != GdiObject::Kind::kMemoryDc;
  if (!known) return Fault("DeleteObject of an unknown object " + Hex(handle));
  if (Selected(handle)) return Fault("DeleteObject of a bitmap still selected into a context");
  gdiObjects_.erase(found);
  return true;
}

win::HBITMAP ScriptedDesktop::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  const std::uint16_t id = win::IntResourceId(name);
  if (instance != ProgramInstance() || id != IDB_BANNER) return nullptr;
  return FromValue<win::HBITMAP>(
      AddGdi({GdiObject::Kind::kBitmap, "bitmap " + std::to_string(id)}));
}

int ScriptedDesktop::GetObjectA(win::HGDIOBJ object, int, void* buffer) {
  if (FindGdi(Value(object), GdiObject::Kind::kBitmap) == nullptr) return 0;
  const win::BITMAP info = {0, kPictureWidth, kPictureHeight, 0, 0, 0, nullptr};
  std::memcpy(buffer, &info, sizeof info);
  return static_cast<int>(sizeof info);
}

win::HDC ScriptedDesktop::CreateCompatibleDC(win::HDC) {
  return FromValue<win::HDC>(AddGdi({GdiObject::Kind::kMemoryDc, "memory context", kStockBitmap}));
}

// Memory contexts take bitmaps only, the program's or the stock one.
win::HGDIOBJ ScriptedDesktop::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  const std::uintptr_t handle = Value(object);
  GdiObject* context = FindGdi(Value(dc), GdiObject::Kind::kMemoryDc);
  const bool isBitmap =
      handle == kStockBitmap || FindGdi(handle, GdiObject::Kind::kBitmap) != nullptr;
  if (context == nullptr || !isBitmap) return nullptr;
  return FromValue<win::HGDIOBJ>(std::exchange(context->selected, handle));
}

bool ScriptedDesktop::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                             int sourceX, int sourceY, std::uint32_t rop) {
  const GdiObject* context = FindGdi(Value(source), GdiObject::Kind::kMemoryDc);
  const bool pictureSelected = context != nullptr && context->selected != kStockBitmap;
  blits_.push_back({target, x, y, width, height, source, sourceX, sourceY, rop, pictureSelected});
  return true;
}

bool ScriptedDesktop::DeleteDC(win::HDC dc) {
  const GdiObject* context = FindGdi(Value(dc), GdiObject::Kind::kMemoryDc);
  if (context == nullptr) return Fault("DeleteDC of an unknown context");
  if (context->selected != kStockBitmap) Fault("DeleteDC with a bitmap still selected");
  gdiObjects_.erase(Value(dc));
  return true;
}
