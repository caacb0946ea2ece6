#include "app/framework/FrameWnd.h"

#include "app/framework/WinApp.h"

namespace {

// Which frame each live window belongs to. A program has one or a few
// frames; a frame that cannot get a slot is not created.
struct WindowLink {
  win::HWND window;
  CFrameWnd* frame;
};
constexpr std::size_t kMaxFrames = 8;
WindowLink windowLinks[kMaxFrames] = {};

// The frame whose CreateWindowExA is running: it takes the first message
// of a window that no frame owns yet.
CFrameWnd* creatingFrame = nullptr;

WindowLink* FindLink(win::HWND window) {
  for (WindowLink& link : windowLinks) {
    if (link.frame != nullptr && link.window == window) return &link;
  }
  return nullptr;
}

WindowLink* FreeLink() {
  for (WindowLink& link : windowLinks) {
    if (link.frame == nullptr) return &link;
  }
  return nullptr;
}

void Link(win::HWND window, CFrameWnd* frame) {
  WindowLink* link = FreeLink();
  if (link == nullptr) return;
  link->window = window;
  link->frame = frame;
}

void Unlink(const CFrameWnd* frame) {
  for (WindowLink& link : windowLinks) {
    if (link.frame == frame) link = {};
  }
}

}  // namespace

const CFrameWnd::MessageEntry CFrameWnd::frameEntries[] = {
    {win::kWmClose, &CFrameWnd::OnClose},
    {win::kWmNcDestroy, &CFrameWnd::OnNcDestroy},
};

const CFrameWnd::MessageTable CFrameWnd::frameMessages = {
    nullptr, frameEntries, sizeof frameEntries / sizeof frameEntries[0]};

win::LRESULT AfxWndProc(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                        win::LPARAM lParam) {
  WindowLink* link = FindLink(window);
  if (link == nullptr && creatingFrame != nullptr) {
    Link(window, creatingFrame);
    creatingFrame->window_ = window;
    link = FindLink(window);
  }
  if (link != nullptr) return link->frame->WindowProc(message, wParam, lParam);
  CWinApp* app = AfxGetApp();
  if (app == nullptr || app->host == nullptr) return 0;
  return app->host->desktop.DefWindowProcA(window, message, wParam, lParam);
}

CFrameWnd::CFrameWnd(HostServices& host) : host(host) {}

CFrameWnd::~CFrameWnd() { Unlink(this); }

bool CFrameWnd::Create(std::uint32_t exStyle, const char* className, const char* title,
                       std::uint32_t style, const win::RECT& rect, win::HINSTANCE instance) {
  if (window_ != nullptr || creatingFrame != nullptr || FreeLink() == nullptr) return false;
  // The caption is kept when memory allows; the window shows it either way.
  title_.Assign(title);
  if ((host.system.GetVersion() & 0xFF) >= 4) exStyle |= win::kWsExClientEdge;
  creatingFrame = this;
  const win::HWND window = host.desktop.CreateWindowExA(
      exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
      rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
  creatingFrame = nullptr;
  if (window == nullptr) {
    Unlink(this);
    window_ = nullptr;
    return false;
  }
  if (FindLink(window) == nullptr) Link(window, this);
  window_ = window;
  created_ = true;
  return true;
}

win::LRESULT CFrameWnd::WindowProc(std::uint32_t message, win::WPARAM wParam, win::LPARAM lParam) {
  const Handler handler = FindHandler(message);
  if (handler == nullptr) return host.desktop.DefWindowProcA(window_, message, wParam, lParam);
  (this->*handler)();
  return 0;
}

const CFrameWnd::MessageTable* CFrameWnd::GetMessageTable() const { return &frameMessages; }

CFrameWnd::Handler CFrameWnd::FindHandler(std::uint32_t message) const {
  for (const MessageTable* table = GetMessageTable(); table != nullptr; table = table->base) {
    for (std::size_t i = 0; i < table->count; ++i) {
      if (table->entries[i].message == message) return table->entries[i].handler;
    }
  }
  return nullptr;
}

// Hidden first, with its pop-ups, and sent to the bottom, so that nothing of
// it stays on the screen while it is taken down. DestroyWindow ends with
// WM_NCDESTROY, which deletes this object: nothing of it is used after.
void CFrameWnd::OnClose() {
  const win::HWND window = window_;
  host.desktop.ShowWindow(window, win::kSwHide);
  host.desktop.ShowOwnedPopups(window, false);
  host.desktop.SetWindowPos(window, win::HwndBottom(), 0, 0, 0, 0,
                            win::kSwpNoSize | win::kSwpNoMove | win::kSwpNoActivate);
  host.desktop.DestroyWindow(window);
}

// The window's last message. The window manager frees the window's caption
// and scroll data in its default handling, which follows the frame's own. A
// window that dies while CreateWindowExA still runs leaves the object to its
// creator, who learns of the failure.
void CFrameWnd::OnNcDestroy() {
  const win::HWND window = window_;
  Unlink(this);
  window_ = nullptr;
  CWinApp* app = AfxGetApp();
  if (created_ && app != nullptr && app->mainWindow == this) {
    app->mainWindow = nullptr;
    host.desktop.PostQuitMessage(0);
  }
  host.desktop.DefWindowProcA(window, win::kWmNcDestroy, 0, 0);
  if (created_) delete this;
}
