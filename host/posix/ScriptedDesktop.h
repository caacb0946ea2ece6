// The desktop of the POSIX host: scripted answers for the boxes, the
// program's resources and the work area, and a record of every window, box
// and drawing (tests record the calls themselves, with DesktopCallRecorder).
// Beyond that it follows the host's rules only where the program relies on
// them, as tests/host/DesktopServicesTest.cpp pins them. GetMessageA never
// blocks: with nothing queued it lets the user close the open windows when
// the script says so, and otherwise fails (-1), so that no message loop
// waits for ever.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/DesktopServices.h"
#include "resources/resource.h"

class ScriptedDesktop final : public DesktopServices {
 public:
  // Answers of the boxes in the order they are shown: kIdOk or kIdCancel. A
  // box shown with no answer left gets IDOK. (A box that fails to show is a
  // fault of the fault plan's.) The program's resources are bitmap 10
  // (196 x 62), icons 10, 12 and 13 and cursor 11.
  void QueueBoxAnswers(const std::vector<int>& answers) {
    boxAnswers_.insert(boxAnswers_.end(), answers.begin(), answers.end());
  }
  // (0, 0, 1024, 740) unless set otherwise.
  void SetWorkArea(const win::RECT& area) { workArea_ = area; }
  // When GetMessageA finds nothing queued, the user closes each open window
  // once (a WM_CLOSE is delivered to it).
  void SetUserClosesWindows(bool closes) { userClosesWindows_ = closes; }

  // The module whose resources these are: the program's own.
  static win::HINSTANCE ProgramInstance();
  static win::HCURSOR ProgramCursor(std::uint16_t id);
  static win::HICON ProgramIcon(std::uint16_t id);

  struct Box {
    enum class Kind { kPlain, kIndirect };
    Kind kind;
    win::HWND owner;
    std::string text;
    std::optional<std::string> caption;  // none: the host's default caption
    std::uint32_t style;
    std::optional<std::uint16_t> iconId;  // MessageBoxIndirectA's lpszIcon
    win::HINSTANCE instance;
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
    std::uint32_t exStyle, style;
    int x, y, width, height;
    win::HWND parent;
    win::HINSTANCE instance;
    bool visible = false, needsPaint = true, destroyed = false, closeOffered = false;
  };

  const std::vector<Box>& Boxes() const { return boxes_; }
  const std::vector<Fill>& Fills() const { return fills_; }
  const std::vector<Blit>& Blits() const { return blits_; }
  void ClearDrawing() {
    fills_.clear();
    blits_.clear();
  }

  const std::deque<Window>& Windows() const { return windows_; }
  const Window* FindWindow(win::HWND handle) const;
  int OpenWindowCount() const;
  const win::WNDCLASSA* FindClass(const std::string& name) const {
    const auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : &found->second;
  }
  std::size_t ClassCount() const { return classes_.size(); }

  // Brushes, bitmaps and memory contexts not yet deleted, and paints begun
  // but not ended.
  int LiveGdiObjects() const { return static_cast<int>(gdiObjects_.size()); }
  int OpenPaints() const { return static_cast<int>(paintDcs_.size()); }
  // Every release that the host refused (unknown handle, or a bitmap still
  // selected into a context), and every paint with nothing to paint on.
  const std::vector<std::string>& GdiFaults() const { return gdiFaults_; }

  // The code of the quit message that GetMessageA handed out, if any.
  std::optional<int> QuitCode() const { return quitCode_; }
  // GetMessageA found nothing to deliver and failed.
  bool MessageLoopStarved() const { return starved_; }

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
  win::LRESULT Deliver(Window& window, std::uint32_t message, win::WPARAM wParam = 0,
                       win::LPARAM lParam = 0);
  int AnswerBox(const Box& box);
  void OfferClose();
  std::uintptr_t AddGdi(GdiObject object);
  GdiObject* FindGdi(std::uintptr_t handle, GdiObject::Kind kind);
  bool Selected(std::uintptr_t bitmap) const;
  // Notes a release or paint that the host refused; answers false.
  bool Fault(const std::string& fault);

  std::deque<int> boxAnswers_;
  win::RECT workArea_ = {0, 0, 1024, 740};
  bool userClosesWindows_ = false;

  std::vector<Box> boxes_;
  std::vector<Fill> fills_;
  std::vector<Blit> blits_;
  // A deque: windows made while a message is delivered keep the others in place.
  std::deque<Window> windows_;
  // The key holds the class's name, which the record points to.
  std::map<std::string, win::WNDCLASSA> classes_;
  std::map<std::uintptr_t, GdiObject> gdiObjects_;
  std::set<std::uintptr_t> paintDcs_;
  std::vector<std::string> gdiFaults_;
  std::deque<win::MSG> queue_;
  std::optional<int> quitCode_;
  bool starved_ = false;
};
