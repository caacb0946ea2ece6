#include "host/posix/ScriptedDesktop.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string_view>

#include "host/posix/BuiltInStrings.h"

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
constexpr std::uintptr_t kSystemIconBase = 0x40000;
constexpr std::uintptr_t kCurrentThread = ~std::uintptr_t{1};  // (HANDLE)-2, as on Windows

template <typename Handle>
std::uintptr_t Value(Handle handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

template <typename Handle>
Handle FromValue(std::uintptr_t value) {
  return reinterpret_cast<Handle>(value);
}

std::string Hex(std::uintptr_t value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

std::string CursorName(win::HCURSOR cursor) {
  const std::uintptr_t value = Value(cursor);
  if (value == 0) return "none";
  if (value == kSystemCursorBase + win::kIdcWait) return "wait";
  if (value == kSystemCursorBase + win::kIdcArrow) return "arrow";
  if (value > kProgramCursorBase && value < kProgramIconBase) {
    return "program " + std::to_string(value - kProgramCursorBase);
  }
  return Hex(value);
}

win::OSVERSIONINFOA VersionRecord(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                                  std::uint32_t build) {
  win::OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = major;
  version.dwMinorVersion = minor;
  version.dwBuildNumber = build;
  version.dwPlatformId = platform;
  return version;
}

void SetPresent(std::set<std::uint16_t>& ids, std::uint16_t id, bool present) {
  if (present) {
    ids.insert(id);
  } else {
    ids.erase(id);
  }
}

std::string ResourceName(const char* name) {
  if (name == nullptr) return "null";
  if (win::IsIntResource(name)) return std::to_string(win::IntResourceId(name));
  return name;
}

// Copies as much of `text` as fits in `size` (at least 1) bytes,
// zero-terminated, as the module-name and string-table calls do; gives the
// length copied.
std::size_t CopyCut(std::string_view text, char* buffer, std::size_t size) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = '\0';
  return length;
}

}  // namespace

// ---- Script ----

win::OSVERSIONINFOA ScriptedDesktop::Windows95(std::uint32_t buildNumber) {
  return VersionRecord(win::kVerPlatformWin32Windows, buildNumber >> 24, (buildNumber >> 16) & 0xFF,
                       buildNumber);
}

win::OSVERSIONINFOA ScriptedDesktop::WindowsNt(std::uint32_t major, std::uint32_t minor,
                                               std::uint32_t build) {
  return VersionRecord(win::kVerPlatformWin32Nt, major, minor, build);
}

win::OSVERSIONINFOA ScriptedDesktop::Win32s() {
  return VersionRecord(win::kVerPlatformWin32s, 3, 10, 0);
}

void ScriptedDesktop::SetVersion(const win::OSVERSIONINFOA& version) { version_ = version; }

void ScriptedDesktop::QueueBoxAnswers(const std::vector<int>& answers) {
  boxAnswers_.insert(boxAnswers_.end(), answers.begin(), answers.end());
}

void ScriptedDesktop::SetBitmapPresent(std::uint16_t id, bool present) {
  SetPresent(bitmaps_, id, present);
}

void ScriptedDesktop::SetIconPresent(std::uint16_t id, bool present) {
  SetPresent(icons_, id, present);
}

// ---- Record ----

std::vector<std::string> ScriptedDesktop::CallsOf(const std::vector<std::string>& names) const {
  std::vector<std::string> result;
  for (const std::string& call : calls_) {
    const std::string verb = call.substr(0, call.find(' '));
    if (std::find(names.begin(), names.end(), verb) != names.end()) result.push_back(call);
  }
  return result;
}

void ScriptedDesktop::ClearDrawing() {
  fills_.clear();
  blits_.clear();
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

const ScriptedDesktop::WindowClass* ScriptedDesktop::FindClass(const std::string& name) const {
  const auto found = classes_.find(name);
  return found == classes_.end() ? nullptr : &found->second;
}

win::HINSTANCE ScriptedDesktop::ProgramInstance() {
  return FromValue<win::HINSTANCE>(kProgramInstance);
}

win::HCURSOR ScriptedDesktop::ProgramCursor(std::uint16_t id) {
  return FromValue<win::HCURSOR>(kProgramCursorBase + id);
}

win::HICON ScriptedDesktop::ProgramIcon(std::uint16_t id) {
  return FromValue<win::HICON>(kProgramIconBase + id);
}

// ---- System ----

ScriptedDesktop::ScriptedDesktop() {
  for (std::size_t i = 0; i < kBuiltInStringCount; ++i) {
    strings_[kBuiltInStrings[i].id] = kBuiltInStrings[i].text;
  }
}

win::HINSTANCE ScriptedDesktop::GetModuleHandleA(const char* moduleName) {
  return moduleName == nullptr ? ProgramInstance() : nullptr;
}

std::uint32_t ScriptedDesktop::GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                                  std::uint32_t size) {
  if (module != nullptr && module != ProgramInstance()) return 0;
  if (size == 0) return 0;
  return static_cast<std::uint32_t>(CopyCut("C:\\TXINFUPD.EXE", buffer, size));
}

// An absent string has length 0.
int ScriptedDesktop::LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer,
                                 int bufferSize) {
  if (instance != ProgramInstance()) return 0;
  if (buffer == nullptr || bufferSize <= 0) return 0;
  const auto found = strings_.find(static_cast<std::uint16_t>(id));
  const std::string_view text = found == strings_.end() ? std::string_view() : found->second;
  return static_cast<int>(CopyCut(text, buffer, static_cast<std::size_t>(bufferSize)));
}

// The Windows 95 family and Win32s set the top bit; NT keeps its build
// number in the high word.
std::uint32_t ScriptedDesktop::GetVersion() {
  const std::uint32_t numbers =
      (version_.dwMajorVersion & 0xFF) | ((version_.dwMinorVersion & 0xFF) << 8);
  if (version_.dwPlatformId == win::kVerPlatformWin32Nt) {
    return numbers | ((version_.dwBuildNumber & 0x7FFF) << 16);
  }
  return numbers | 0xC0000000u;
}

bool ScriptedDesktop::GetVersionExA(win::OSVERSIONINFOA* info) {
  Record("GetVersionExA");
  if (failVersionQuery_ || info == nullptr || info->dwOSVersionInfoSize != sizeof *info) {
    return false;
  }
  *info = version_;
  return true;
}

win::HANDLE ScriptedDesktop::GetCurrentThread() { return FromValue<win::HANDLE>(kCurrentThread); }

bool ScriptedDesktop::SetThreadPriority(win::HANDLE thread, int priority) {
  const bool current = Value(thread) == kCurrentThread;
  Record(std::string("SetThreadPriority ") + (current ? "current " : "other ") +
         std::to_string(priority));
  return current;
}

bool ScriptedDesktop::EnableShutdownPrivilege() {
  Record("EnableShutdownPrivilege");
  return true;
}

bool ScriptedDesktop::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  Record("ExitWindowsEx " + std::to_string(flags) + " " + Hex(reserved));
  return true;
}

bool ScriptedDesktop::SystemParametersInfoA(std::uint32_t action, std::uint32_t, void* data,
                                            std::uint32_t) {
  Record("SystemParametersInfoA " + std::to_string(action));
  if (action != win::kSpiGetWorkArea || data == nullptr || failWorkArea_) return false;
  std::memcpy(data, &workArea_, sizeof workArea_);
  return true;
}

// ---- Boxes ----

int ScriptedDesktop::AnswerBox(Box box) {
  box.answer = win::kIdOk;
  if (!boxAnswers_.empty()) {
    box.answer = boxAnswers_.front();
    boxAnswers_.pop_front();
  }
  boxes_.push_back(box);
  return box.answer;
}

int ScriptedDesktop::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                                 std::uint32_t type) {
  Record("MessageBoxA");
  Box box = {};
  box.kind = Box::Kind::kPlain;
  box.owner = owner;
  box.text = text == nullptr ? "" : text;
  if (caption != nullptr) box.caption = caption;
  box.style = type;
  return AnswerBox(box);
}

int ScriptedDesktop::MessageBoxIndirectA(const win::MSGBOXPARAMSA* params) {
  Record("MessageBoxIndirectA");
  if (params == nullptr) return 0;
  Box box = {};
  box.kind = Box::Kind::kIndirect;
  box.owner = params->hwndOwner;
  box.text = params->lpszText == nullptr ? "" : params->lpszText;
  if (params->lpszCaption != nullptr) box.caption = params->lpszCaption;
  box.style = params->dwStyle;
  if (params->lpszIcon != nullptr && win::IsIntResource(params->lpszIcon)) {
    box.iconId = win::IntResourceId(params->lpszIcon);
  }
  box.instance = params->hInstance;
  return AnswerBox(box);
}

// ---- Cursors and icons ----

// A system cursor or icon (no instance) comes in any number; one of the
// program's only when it exists. The handle is the kind's base plus the
// number, 0 when there is none.
std::uintptr_t ScriptedDesktop::LoadCursorOrIcon(const std::string& call, win::HINSTANCE instance,
                                                 const char* name,
                                                 const std::set<std::uint16_t>& present,
                                                 std::uintptr_t systemBase,
                                                 std::uintptr_t programBase) {
  const bool system = instance == nullptr;
  Record(call + (system ? " system " : " program ") + ResourceName(name));
  if (name == nullptr || !win::IsIntResource(name)) return 0;
  const std::uint16_t id = win::IntResourceId(name);
  if (system) return systemBase + id;
  if (!IsProgram(instance) || present.count(id) == 0) return 0;
  return programBase + id;
}

win::HCURSOR ScriptedDesktop::LoadCursorA(win::HINSTANCE instance, const char* name) {
  static const std::set<std::uint16_t> kCursors = {IDC_BANNER};
  return FromValue<win::HCURSOR>(LoadCursorOrIcon("LoadCursorA", instance, name, kCursors,
                                                  kSystemCursorBase, kProgramCursorBase));
}

win::HCURSOR ScriptedDesktop::SetCursor(win::HCURSOR cursor) {
  Record("SetCursor " + CursorName(cursor));
  return nullptr;
}

std::uintptr_t ScriptedDesktop::SetClassLongPtrA(win::HWND, int index, std::intptr_t value) {
  Record("SetClassLongPtrA " + std::to_string(index) + " " +
         CursorName(FromValue<win::HCURSOR>(static_cast<std::uintptr_t>(value))));
  return 0;
}

win::HICON ScriptedDesktop::LoadIconA(win::HINSTANCE instance, const char* name) {
  return FromValue<win::HICON>(
      LoadCursorOrIcon("LoadIconA", instance, name, icons_, kSystemIconBase, kProgramIconBase));
}

// ---- Window classes and windows ----

bool ScriptedDesktop::GetClassInfoA(win::HINSTANCE instance, const char* className,
                                    win::WNDCLASSA* wndClass) {
  const auto found = className == nullptr ? classes_.end() : classes_.find(className);
  const bool known = found != classes_.end() && found->second.record.hInstance == instance;
  Record(std::string("GetClassInfoA ") + (known ? "found" : "missing"));
  if (!known || wndClass == nullptr) return false;
  *wndClass = found->second.record;
  wndClass->lpszClassName = found->second.name.c_str();
  return true;
}

std::uint16_t ScriptedDesktop::RegisterClassA(const win::WNDCLASSA* wndClass) {
  Record("RegisterClassA");
  if (failRegisterClass_ || wndClass == nullptr || wndClass->lpszClassName == nullptr ||
      wndClass->lpfnWndProc == nullptr) {
    return 0;
  }
  const std::string name = wndClass->lpszClassName;
  if (classes_.count(name) != 0) return 0;
  WindowClass& entry = classes_[name];
  entry.record = *wndClass;
  entry.name = name;
  entry.record.lpszClassName = entry.name.c_str();
  return nextClassAtom++;
}

win::HWND ScriptedDesktop::CreateWindowExA(std::uint32_t exStyle, const char* className,
                                           const char* windowName, std::uint32_t style, int x,
                                           int y, int width, int height, win::HWND parent,
                                           win::HMENU, win::HINSTANCE instance, void*) {
  Record("CreateWindowExA");
  if (failCreateWindow_ || className == nullptr || win::IsIntResource(className) ||
      classes_.count(className) == 0) {
    return nullptr;
  }
  Window& window = windows_.emplace_back();
  window.handle = FromValue<win::HWND>(nextWindowHandle);
  nextWindowHandle += 0x10;
  window.className = className;
  window.caption = windowName == nullptr ? "" : windowName;
  window.exStyle = exStyle;
  window.style = style;
  window.x = x;
  window.y = y;
  window.width = width;
  window.height = height;
  window.parent = parent;
  window.instance = instance;
  Deliver(window, kWmGetMinMaxInfo, 0, 0);
  if (Deliver(window, win::kWmNcCreate, 0, 0) == 0) {
    Deliver(window, win::kWmNcDestroy, 0, 0);
    window.destroyed = true;
    return nullptr;
  }
  Deliver(window, kWmCreate, 0, 0);
  window.visible = (style & kWsVisible) != 0;
  return window.handle;
}

win::LRESULT ScriptedDesktop::DefWindowProcA(win::HWND handle, std::uint32_t message, win::WPARAM,
                                             win::LPARAM) {
  if (message == win::kWmNcCreate) return 1;
  if (message == win::kWmClose) DestroyWindow(handle);
  return 0;
}

bool ScriptedDesktop::ShowWindow(win::HWND handle, int showCommand) {
  Record("ShowWindow " + std::to_string(showCommand));
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  const bool wasVisible = window->visible;
  window->visible = showCommand != win::kSwHide;
  return wasVisible;
}

bool ScriptedDesktop::UpdateWindow(win::HWND handle) {
  Record("UpdateWindow");
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  if (window->visible && window->needsPaint) Deliver(*window, win::kWmPaint, 0, 0);
  return true;
}

// Hides the windows that `handle` owns; none is shown again.
bool ScriptedDesktop::ShowOwnedPopups(win::HWND handle, bool show) {
  Record(std::string("ShowOwnedPopups ") + (show ? "1" : "0"));
  for (Window& window : windows_) {
    if (window.parent == handle) window.visible = window.visible && show;
  }
  return LiveWindow(handle) != nullptr;
}

bool ScriptedDesktop::SetWindowPos(win::HWND handle, win::HWND insertAfter, int x, int y, int cx,
                                   int cy, std::uint32_t flags) {
  const std::string after = insertAfter == win::HwndBottom() ? "bottom" : Hex(Value(insertAfter));
  Record("SetWindowPos " + after + " " + std::to_string(x) + " " + std::to_string(y) + " " +
         std::to_string(cx) + " " + std::to_string(cy) + " " + Hex(flags));
  return LiveWindow(handle) != nullptr;
}

bool ScriptedDesktop::DestroyWindow(win::HWND handle) {
  Record("DestroyWindow");
  Window* window = LiveWindow(handle);
  if (window == nullptr || window->destroying) return false;
  window->destroying = true;
  window->visible = false;
  Deliver(*window, win::kWmDestroy, 0, 0);
  Deliver(*window, win::kWmNcDestroy, 0, 0);
  window->destroyed = true;
  return true;
}

win::LRESULT ScriptedDesktop::SendMessageA(win::HWND handle, std::uint32_t message,
                                           win::WPARAM wParam, win::LPARAM lParam) {
  Record("SendMessageA " + Hex(message));
  Window* window = LiveWindow(handle);
  if (window == nullptr) return 0;
  return Deliver(*window, message, wParam, lParam);
}

void ScriptedDesktop::PostQuitMessage(int exitCode) {
  Record("PostQuitMessage " + std::to_string(exitCode));
  win::MSG quit = {};
  quit.message = win::kWmQuit;
  quit.wParam = static_cast<win::WPARAM>(exitCode);
  queue_.push_back(quit);
}

int ScriptedDesktop::GetMessageA(win::MSG* message, win::HWND, std::uint32_t, std::uint32_t) {
  if (queue_.empty() && userClosesWindows_) {
    for (Window& window : windows_) {
      if (window.destroyed || window.closeOffered) continue;
      window.closeOffered = true;
      win::MSG close = {};
      close.hwnd = window.handle;
      close.message = win::kWmClose;
      queue_.push_back(close);
      break;
    }
  }
  if (queue_.empty()) {
    Record("GetMessageA fails");
    starved_ = true;
    return -1;
  }
  *message = queue_.front();
  queue_.pop_front();
  Record("GetMessageA " + Hex(message->message));
  if (message->message != win::kWmQuit) return 1;
  quitCode_ = static_cast<int>(message->wParam);
  return 0;
}

bool ScriptedDesktop::TranslateMessage(const win::MSG*) { return false; }

win::LRESULT ScriptedDesktop::DispatchMessageA(const win::MSG* message) {
  Record("DispatchMessageA " + Hex(message->message));
  Window* window = LiveWindow(message->hwnd);
  if (window == nullptr) return 0;
  return Deliver(*window, message->message, message->wParam, message->lParam);
}

ScriptedDesktop::Window* ScriptedDesktop::LiveWindow(win::HWND handle) {
  for (Window& window : windows_) {
    if (window.handle == handle && !window.destroyed) return &window;
  }
  return nullptr;
}

win::LRESULT ScriptedDesktop::Deliver(Window& window, std::uint32_t message, win::WPARAM wParam,
                                      win::LPARAM lParam) {
  const win::WNDPROC procedure = classes_[window.className].record.lpfnWndProc;
  return procedure(window.handle, message, wParam, lParam);
}

// ---- Painting ----

std::uintptr_t ScriptedDesktop::NewGdiHandle() {
  const std::uintptr_t handle = nextGdiHandle;
  nextGdiHandle += 4;
  return handle;
}

ScriptedDesktop::GdiObject* ScriptedDesktop::FindGdi(std::uintptr_t handle) {
  const auto found = gdiObjects_.find(handle);
  return found == gdiObjects_.end() ? nullptr : &found->second;
}

ScriptedDesktop::GdiObject* ScriptedDesktop::FindMemoryDc(win::HDC dc) {
  GdiObject* found = FindGdi(Value(dc));
  return found != nullptr && found->kind == GdiObject::Kind::kMemoryDc ? found : nullptr;
}

// A memory context that holds `bitmap`, 0 when none does.
std::uintptr_t ScriptedDesktop::ContextHolding(std::uintptr_t bitmap) const {
  for (const auto& [handle, entry] : gdiObjects_) {
    if (entry.kind == GdiObject::Kind::kMemoryDc && entry.selected == bitmap) return handle;
  }
  return 0;
}

win::HDC ScriptedDesktop::BeginPaint(win::HWND handle, win::PAINTSTRUCT* paint) {
  Record("BeginPaint");
  Window* window = LiveWindow(handle);
  if (failBeginPaint_ || window == nullptr || paint == nullptr) return nullptr;
  const std::uintptr_t dc = NewGdiHandle();
  paintDcs_.insert(dc);
  ++openPaints_;
  *paint = {};
  paint->hdc = FromValue<win::HDC>(dc);
  window->needsPaint = false;
  return paint->hdc;
}

bool ScriptedDesktop::EndPaint(win::HWND, const win::PAINTSTRUCT* paint) {
  Record("EndPaint");
  if (paint == nullptr || paintDcs_.erase(Value(paint->hdc)) == 0) {
    gdiFaults_.push_back("EndPaint without a paint");
    return false;
  }
  --openPaints_;
  return true;
}

bool ScriptedDesktop::ValidateRect(win::HWND handle, const win::RECT* rect) {
  Record(std::string("ValidateRect ") + (rect == nullptr ? "null" : "rect"));
  Window* window = LiveWindow(handle);
  if (window == nullptr) return false;
  if (rect == nullptr) window->needsPaint = false;
  return true;
}

win::HBRUSH ScriptedDesktop::CreateSolidBrush(win::COLORREF color) {
  Record("CreateSolidBrush " + Hex(color));
  if (failSolidBrush_) return nullptr;
  const std::uintptr_t handle = NewGdiHandle();
  gdiObjects_[handle] = {GdiObject::Kind::kBrush, "solid " + Hex(color)};
  return FromValue<win::HBRUSH>(handle);
}

win::HBRUSH ScriptedDesktop::CreateHatchBrush(int style, win::COLORREF color) {
  Record("CreateHatchBrush " + std::to_string(style) + " " + Hex(color));
  if (failHatchBrush_) return nullptr;
  const std::uintptr_t handle = NewGdiHandle();
  gdiObjects_[handle] = {GdiObject::Kind::kBrush,
                         "hatch " + std::to_string(style) + " " + Hex(color)};
  return FromValue<win::HBRUSH>(handle);
}

int ScriptedDesktop::FillRect(win::HDC dc, const win::RECT* rect, win::HBRUSH brush) {
  Record("FillRect");
  const GdiObject* object = FindGdi(Value(brush));
  const bool paintable = paintDcs_.count(Value(dc)) != 0 || FindMemoryDc(dc) != nullptr;
  if (rect == nullptr || object == nullptr || object->kind != GdiObject::Kind::kBrush ||
      !paintable) {
    gdiFaults_.push_back("FillRect with no context, rectangle or brush");
    return 0;
  }
  fills_.push_back({dc, *rect, object->description});
  return 1;
}

// Refuses to delete a bitmap that a context still holds, and notes it as a
// fault; Wine says yes and defers the deletion, so the answer is not the
// host's, but on both the bitmap lives on.
bool ScriptedDesktop::DeleteObject(win::HGDIOBJ object) {
  const std::uintptr_t handle = Value(object);
  GdiObject* found = FindGdi(handle);
  Record("DeleteObject " + (found == nullptr ? Hex(handle) : found->description));
  if (found == nullptr || found->kind == GdiObject::Kind::kMemoryDc) {
    gdiFaults_.push_back("DeleteObject of an unknown object " + Hex(handle));
    return false;
  }
  if (ContextHolding(handle) != 0) {
    gdiFaults_.push_back("DeleteObject of a bitmap still selected into a context");
    return false;
  }
  gdiObjects_.erase(handle);
  return true;
}

win::HBITMAP ScriptedDesktop::LoadBitmapA(win::HINSTANCE instance, const char* name) {
  Record("LoadBitmapA " + ResourceName(name));
  if (!IsProgram(instance) || !win::IsIntResource(name) ||
      bitmaps_.count(win::IntResourceId(name)) == 0) {
    return nullptr;
  }
  const std::uintptr_t handle = NewGdiHandle();
  gdiObjects_[handle] = {GdiObject::Kind::kBitmap, "bitmap " + ResourceName(name)};
  return FromValue<win::HBITMAP>(handle);
}

int ScriptedDesktop::GetObjectA(win::HGDIOBJ object, int size, void* buffer) {
  Record("GetObjectA");
  const GdiObject* found = FindGdi(Value(object));
  if (found == nullptr || found->kind != GdiObject::Kind::kBitmap ||
      size < static_cast<int>(sizeof(win::BITMAP))) {
    return 0;
  }
  win::BITMAP info = {};
  info.bmWidth = kPictureWidth;
  info.bmHeight = kPictureHeight;
  std::memcpy(buffer, &info, sizeof info);
  return static_cast<int>(sizeof info);
}

win::HDC ScriptedDesktop::CreateCompatibleDC(win::HDC) {
  Record("CreateCompatibleDC");
  if (failCompatibleDC_) return nullptr;
  const std::uintptr_t handle = NewGdiHandle();
  GdiObject memory = {GdiObject::Kind::kMemoryDc, "memory context"};
  memory.selected = kStockBitmap;
  gdiObjects_[handle] = memory;
  return FromValue<win::HDC>(handle);
}

// Memory contexts take bitmaps only, the program's or the stock one.
win::HGDIOBJ ScriptedDesktop::SelectObject(win::HDC dc, win::HGDIOBJ object) {
  Record("SelectObject");
  const std::uintptr_t handle = Value(object);
  GdiObject* context = FindMemoryDc(dc);
  const GdiObject* bitmap = FindGdi(handle);
  const bool isBitmap =
      handle == kStockBitmap || (bitmap != nullptr && bitmap->kind == GdiObject::Kind::kBitmap);
  if (context == nullptr || !isBitmap) return nullptr;
  const std::uintptr_t previous = context->selected;
  context->selected = handle;
  return FromValue<win::HGDIOBJ>(previous);
}

bool ScriptedDesktop::BitBlt(win::HDC target, int x, int y, int width, int height, win::HDC source,
                             int sourceX, int sourceY, std::uint32_t rop) {
  Record("BitBlt");
  const GdiObject* context = FindGdi(Value(source));
  const bool pictureSelected = context != nullptr && context->kind == GdiObject::Kind::kMemoryDc &&
                               context->selected != kStockBitmap;
  blits_.push_back({target, x, y, width, height, source, sourceX, sourceY, rop, pictureSelected});
  return true;
}

bool ScriptedDesktop::DeleteDC(win::HDC dc) {
  Record("DeleteDC");
  const GdiObject* context = FindMemoryDc(dc);
  if (context == nullptr) {
    gdiFaults_.push_back("DeleteDC of an unknown context");
    return false;
  }
  if (context->selected != kStockBitmap) {
    gdiFaults_.push_back("DeleteDC with a bitmap still selected");
  }
  gdiObjects_.erase(Value(dc));
  return true;
}
