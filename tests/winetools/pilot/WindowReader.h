// Reading the windows of another program in the same Wine prefix: its
// message boxes (top-level dialogs of class #32770) and its other top-level
// windows, such as the banner behind the boxes.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

struct WindowView {
  HWND hwnd = nullptr;
  std::string className;
  std::string caption;
  RECT rect = {};           // screen coordinates
  POINT clientOrigin = {};  // screen coordinates of the client area's (0, 0)
  SIZE clientSize = {};
  LONG style = 0;
  LONG exStyle = 0;
  DWORD processId = 0;
};

struct BoxView {
  WindowView window;
  std::string text;                  // the static text
  std::vector<std::string> buttons;  // visible push buttons, left to right
  bool hasIcon = false;
  POINT iconOrigin = {};  // screen coordinates of the icon control
  HWND owner = nullptr;
};

std::string TextOf(HWND hwnd);
WindowView ViewOf(HWND hwnd);
BoxView ReadBox(HWND box);

// Visible top-level message boxes that are not in `seen`.
std::vector<HWND> NewBoxes(const std::set<HWND>& seen);

// Visible top-level windows of a process, message boxes left out.
std::vector<HWND> MainWindowsOf(DWORD processId);

// The class names of all top-level windows of a process, hidden ones too.
std::vector<std::string> WindowClassesOf(DWORD processId);

// Waits until the window's thread has handled what was sent to it and the
// window is drawn, so that a picture of the screen shows it in full.
void SettleWindow(HWND hwnd);

// Presses a box's button ("ok", "cancel") or uses its close command ("close").
bool Answer(HWND box, const std::string& answer);

// The answers of a comma-separated list such as "cancel,ok", in order; empty
// items are left out.
std::vector<std::string> AnswerList(const std::string& list);

// Closes a main window through its system menu's Close command.
void CloseMainWindow(HWND hwnd);
