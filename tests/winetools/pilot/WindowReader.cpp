#include "WindowReader.h"

#include <algorithm>

namespace {

constexpr UINT kSendTimeoutMs = 3000;
constexpr DWORD kPaintDelayMs = 250;

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

bool IsBox(HWND hwnd) { return ClassOf(hwnd) == "#32770"; }

// The enumeration calls back with the window system's calling convention,
// which a lambda does not have on 32-bit Windows.
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsIconStatic(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON; }

void ReadChild(HWND child, BoxView& box, std::vector<std::pair<LONG, std::string>>& buttons) {
  if (!IsWindowVisible(child)) return;
  const std::string className = ClassOf(child);
  RECT rect;
  GetWindowRect(child, &rect);
  if (_stricmp(className.c_str(), "Button") == 0) {
    buttons.emplace_back(rect.left, TextOf(child));
    return;
  }
  if (_stricmp(className.c_str(), "Static") != 0) return;
  if (IsIconStatic(child)) {
    box.hasIcon = true;
    box.iconOrigin = {rect.left, rect.top};
    return;
  }
  box.text += TextOf(child);
}

}  // namespace

std::string TextOf(HWND hwnd) {
  char text[4096] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_BLOCK, kSendTimeoutMs, &copied)) {
    GetWindowTextA(hwnd, text, sizeof text);
  }
  return text;
}

WindowView ViewOf(HWND hwnd) {
  WindowView view;
  view.hwnd = hwnd;
  view.className = ClassOf(hwnd);
  view.caption = TextOf(hwnd);
  GetWindowRect(hwnd, &view.rect);
  RECT client = {};
  GetClientRect(hwnd, &client);
  view.clientSize = {client.right - client.left, client.bottom - client.top};
  ClientToScreen(hwnd, &view.clientOrigin);
  view.style = GetWindowLongA(hwnd, GWL_STYLE);
  view.exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  GetWindowThreadProcessId(hwnd, &view.processId);
  return view;
}

BoxView ReadBox(HWND box) {
  BoxView view;
  view.window = ViewOf(box);
  view.owner = GetWindow(box, GW_OWNER);
  std::vector<std::pair<LONG, std::string>> buttons;
  for (HWND child : ChildrenOf(box)) ReadChild(child, view, buttons);
  std::sort(buttons.begin(), buttons.end());
  for (const auto& button : buttons) view.buttons.push_back(button.second);
  return view;
}

std::vector<HWND> NewBoxes(const std::set<HWND>& seen) {
  std::vector<HWND> boxes;
  for (HWND hwnd : TopLevelWindows()) {
    if (seen.count(hwnd) || !IsWindowVisible(hwnd) || !IsBox(hwnd)) continue;
    boxes.push_back(hwnd);
  }
  return boxes;
}

std::vector<HWND> MainWindowsOf(DWORD processId) {
  std::vector<HWND> windows;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == processId && IsWindowVisible(hwnd) && !IsBox(hwnd)) windows.push_back(hwnd);
  }
  return windows;
}

std::vector<std::string> WindowClassesOf(DWORD processId) {
  std::vector<std::string> classes;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == processId) classes.push_back(ClassOf(hwnd));
  }
  return classes;
}

void SettleWindow(HWND hwnd) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &ignored);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &ignored);
  Sleep(kPaintDelayMs);
}

std::vector<std::string> AnswerList(const std::string& list) {
  std::vector<std::string> answers;
  std::string answer;
  for (const char c : list + ",") {
    if (c != ',') {
      answer += c;
      continue;
    }
    if (!answer.empty()) answers.push_back(answer);
    answer.clear();
  }
  return answers;
}

bool Answer(HWND box, const std::string& answer) {
  if (answer == "ok") return PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  if (answer == "cancel") {
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  if (answer == "close") return PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  return false;
}

void CloseMainWindow(HWND hwnd) { PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }
