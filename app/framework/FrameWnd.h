// The frame window of our small framework: owns one top-level window and its
// stored caption, routes the window's messages through a table of handlers,
// hides and destroys itself on WM_CLOSE, and deletes itself after its
// window's last message. When it is the application's main window, its
// destruction also ends the message loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Object.h"
#include "base/Text.h"
#include "host/HostServices.h"

class CFrameWnd;

// The framework's window procedure: the procedure of every window class
// whose windows are frames. It finds the frame of the window (a window being
// created is joined to its frame on its first message) and lets the frame
// handle the message; messages of windows without a frame go to the host's
// default handling.
win::LRESULT AfxWndProc(win::HWND window, std::uint32_t message, win::WPARAM wParam,
                        win::LPARAM lParam);

class CFrameWnd : public CObject {
 public:
  using Handler = void (CFrameWnd::*)();
  struct MessageEntry {
    std::uint32_t message;
    Handler handler;
  };
  // A class's handlers, and the table of its base class, which is searched
  // when a message has no entry here.
  struct MessageTable {
    const MessageTable* base;
    const MessageEntry* entries;
    std::size_t count;
  };

  explicit CFrameWnd(HostServices& host);
  ~CFrameWnd() override;

  // Creates the window. The extended style gains WS_EX_CLIENTEDGE on hosts
  // of major version 4 or more. Once the window exists, the object belongs
  // to it: it deletes itself after the window's last message. When creation
  // fails, the object stays with its creator.
  bool Create(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
              const win::RECT& rect, win::HINSTANCE instance);

  win::HWND GetSafeHwnd() const { return window_; }
  const char* GetTitle() const { return title_.Data(); }

  // Handles one message of the window: the handler of the message table, or
  // else the host's default handling.
  win::LRESULT WindowProc(std::uint32_t message, win::WPARAM wParam, win::LPARAM lParam);

 protected:
  virtual const MessageTable* GetMessageTable() const;

  void OnClose();
  void OnNcDestroy();

  static const MessageEntry frameEntries[];
  static const MessageTable frameMessages;

  HostServices& host;

 private:
  friend win::LRESULT AfxWndProc(win::HWND, std::uint32_t, win::WPARAM, win::LPARAM);

  Handler FindHandler(std::uint32_t message) const;

  win::HWND window_ = nullptr;
  Text title_;
  // Set once CreateWindowExA has handed back the window.
  bool created_ = false;
};
