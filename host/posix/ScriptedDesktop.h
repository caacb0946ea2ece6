// The desktop and system sides of the POSIX host: the program's module and
// string table, scripted answers for the version query and the boxes, and a
// record of every window, box, cursor and drawing call.
//
// Script: the version that the host reports (or a failing query), the
// answers of the boxes in turn, which of the program's resources exist, the
// work area, whether the user closes the open windows once the program waits
// for input, and switches that make painting calls fail.
//
// Record: Calls() lists the desktop calls in order as short lines ("ShowWindow
// 10", "MessageBoxIndirectA", "SetCursor wait", ...), Boxes() every box with
// what it showed, Fills() and Blits() the drawing, LiveGdiObjects() what is
// not yet released.
//
// Beyond answering and recording, it follows the host's rules only where the
// program relies on them, as tests/host/DesktopServicesTest.cpp pins them for
// every host: the messages of a window's creation and end, sent and quit
// messages, a paint on UpdateWindow unless the window is valid, owned windows
// hidden by ShowOwnedPopups, a bitmap that outlives DeleteObject while it is
// selected, and the program's resources.
//
// GetMessageA never blocks: with nothing queued it lets the user close the
// open windows when the script says so, and otherwise fails (-1), so that no
// message loop waits for ever.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/DesktopServices.h"
#include "host/SystemServices.h"
#include "resources/resource.h"

class ScriptedDesktop final : public DesktopServices, public SystemServices {
 public:
  ScriptedDesktop();

  // ---- Script ----

  static win::OSVERSIONINFOA Windows95(std::uint32_t buildNumber);
  static win::OSVERSIONINFOA WindowsNt(std::uint32_t major, std::uint32_t minor,
                                       std::uint32_t build);
  static win::OSVERSIONINFOA Win32s();

  // Windows 95 build 950 unless set otherwise. GetVersion follows it.
  void SetVersion(const win::OSVERSIONINFOA& version);
  void FailVersionQuery(bool fail) { failVersionQuery_ = fail; }

  // Answers of the boxes in the order they are shown: kIdOk, kIdCancel, or 0
  // for a box that fails to show. A box shown with no answer left gets IDOK.
  void QueueBoxAnswers(const std::vector<int>& answers);

  // The program's resources: bitmap 10 (196 x 62) and icons 10, 12 and 13
  // exist unless removed; cursor 11 always does.
  void SetBitmapPresent(std::uint16_t id, bool present);
  void SetIconPresent(std::uint16_t id, bool present);
  // The module whose resources these are: the program's own.
  static win::HINSTANCE ProgramInstance();

  // (0, 0, 1024, 740) unless set otherwise.
  void SetWorkArea(const win::RECT& area) { workArea_ = area; }
  void FailWorkAreaQuery(bool fail) { failWorkArea_ = fail; }

  // When GetMessageA finds nothing queued, the user closes each open window
  // once (a WM_CLOSE is delivered to it).
  void SetUserClosesWindows(bool closes) { userClosesWindows_ = closes; }

  void FailBeginPaint(bool fail) { failBeginPaint_ = fail; }
  void FailSolidBrush(bool fail) { failSolidBrush_ = fail; }
  void FailHatchBrush(bool fail) { failHatchBrush_ = fail; }
  void FailCompatibleDC(bool fail) { failCompatibleDC_ = fail; }
  void FailRegisterClass(bool fail) { failRegisterClass_ = fail; }
  void FailCreateWindow(bool fail) { failCreateWindow_ = fail; }

  // ---- Record ----

  struct Box {
    enum class Kind { kPlain, kIndirect };
    Kind kind;
    win::HWND owner;
    std::string text;
    std::optional<std::string> caption;  // none: the host's default caption
    std::uint32_t style;
    std::optional<std::uint16_t> iconId;  // MessageBoxIndirectA's lpszIcon
    win::HINSTANCE instance;
    int answer;
  };
  struct Fill {
    win::HDC dc;
    win::RECT rect;
    std::string brush;  // "hatch 2 7a7aff", "solid 7a7aff"
  };
  struct Blit {
    win::HDC target;
    int x, y, width, height;
    win::HDC source;
    int sourceX, sourceY;
    std::uint32_t rop;
    bool pictureSelected;  // the source held a bitmap of the program
  };
  struct Window {
    win::HWND handle;
    std::string className;
    std::string caption;
    std::uint32_t exStyle;
    std::uint32_t style;
    int x, y, width, height;
    win::HWND parent;
    win::HINSTANCE instance;
    bool visible = false;
    bool needsPaint = true;
    bool destroying = false;
    bool destroyed = false;
    bool closeOffered = false;
  };
  struct WindowClass {
    win::WNDCLASSA record;
    std::string name;
  };

  const std::vector<std::string>& Calls() const { return calls_; }
  // The calls whose first word is one of `names`.
  std::vector<std::string> CallsOf(const std::vector<std::string>& names) const;
  // Adds a line of the test's own to Calls(), to place other events in order.
  void Note(const std::string& line) { calls_.push_back(line); }

  const std::vector<Box>& Boxes() const { return boxes_; }
  const std::vector<Fill>& Fills() const { return fills_; }
  const std::vector<Blit>& Blits() const { return blits_; }
  void ClearDrawing();

  const std::deque<Window>& Windows() const { return windows_; }
  const Window* FindWindow(win::HWND handle) const;
  int OpenWindowCount() const;
  const WindowClass* FindClass(const std::string& name) const;
  std::size_t ClassCount() const { return classes_.size(); }
  // The handle of the program's cursor or icon `id`.
  static win::HCURSOR ProgramCursor(std::uint16_t id);
  static win::HICON ProgramIcon(std::uint16_t id);

  // Brushes, bitmaps and memory contexts not yet deleted, and paints begun
  // but not ended.
  int LiveGdiObjects() const { return static_cast<int>(gdiObjects_.size()); }
  int OpenPaints() const { return openPaints_; }
  // Every DeleteObject or DeleteDC that the host refused (unknown handle, or
  // a bitmap still selected into a context).
  const std::vector<std::string>& GdiFaults() const { return gdiFaults_; }

  // The code of the quit message that GetMessageA handed out, if any.
  std::optional<int> QuitCode() const { return quitCode_; }
  // GetMessageA found nothing to deliver and failed.
  bool MessageLoopStarved() const { return starved_; }

  // The program's string table: the built-in one unless a test installs
  // another.
  std::map<std::uint16_t, std::string>& Strings() { return strings_; }

  // ---- The host's calls ----

  win::HINSTANCE GetModuleHandleA(const char* moduleName) override;
  std::uint32_t GetModuleFileNameA(win::HINSTANCE module, char* buffer,
                                   std::uint32_t size) override;
  int LoadStringA(win::HINSTANCE instance, std::uint32_t id, char* buffer, int bufferSize) override;
  std::uint32_t GetVersion() override;
  bool GetVersionExA(win::OSVERSIONINFOA* info) override;
  win::HANDLE GetCurrentThread() override;
  bool SetThreadPriority(win::HANDLE thread, int priority) override;
  bool EnableShutdownPrivilege() override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
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
  win::LRESULT DefWindowProcA(win::HWND handle, std::uint32_t message, win::WPARAM wParam,
                              win::LPARAM lParam) override;
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
  struct GdiObject {
    enum class Kind { kBrush, kBitmap, kMemoryDc };
    Kind kind;
    std::string description;
    std::uintptr_t selected = 0;  // memory contexts: the bitmap selected into it
  };

  Window* LiveWindow(win::HWND handle);
  win::LRESULT Deliver(Window& window, std::uint32_t message, win::WPARAM wParam,
                       win::LPARAM lParam);
  static bool IsProgram(win::HINSTANCE instance) { return instance == ProgramInstance(); }
  std::uintptr_t NewGdiHandle();
  GdiObject* FindGdi(std::uintptr_t handle);
  GdiObject* FindMemoryDc(win::HDC dc);
  std::uintptr_t ContextHolding(std::uintptr_t bitmap) const;
  int AnswerBox(Box box);
  std::uintptr_t LoadCursorOrIcon(const std::string& call, win::HINSTANCE instance,
                                  const char* name, const std::set<std::uint16_t>& present,
                                  std::uintptr_t systemBase, std::uintptr_t programBase);
  void Record(const std::string& line) { calls_.push_back(line); }

  std::map<std::uint16_t, std::string> strings_;
  win::OSVERSIONINFOA version_ = Windows95(0x040003B6);
  bool failVersionQuery_ = false;
  std::deque<int> boxAnswers_;
  std::set<std::uint16_t> bitmaps_ = {IDB_BANNER};
  std::set<std::uint16_t> icons_ = {IDI_WINDOW, IDI_CONFIRM, IDI_FAILURE};
  win::RECT workArea_ = {0, 0, 1024, 740};
  bool failWorkArea_ = false;
  bool userClosesWindows_ = false;
  bool failBeginPaint_ = false;
  bool failSolidBrush_ = false;
  bool failHatchBrush_ = false;
  bool failCompatibleDC_ = false;
  bool failRegisterClass_ = false;
  bool failCreateWindow_ = false;

  std::vector<std::string> calls_;
  std::vector<Box> boxes_;
  std::vector<Fill> fills_;
  std::vector<Blit> blits_;
  // A deque: windows made while a message is delivered keep the others in place.
  std::deque<Window> windows_;
  std::map<std::string, WindowClass> classes_;
  std::map<std::uintptr_t, GdiObject> gdiObjects_;
  std::set<std::uintptr_t> paintDcs_;
  std::vector<std::string> gdiFaults_;
  int openPaints_ = 0;
  std::deque<win::MSG> queue_;
  std::optional<int> quitCode_;
  bool starved_ = false;
};
