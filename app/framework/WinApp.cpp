#include "app/framework/WinApp.h"

namespace {

CWinApp* currentApp = nullptr;

}  // namespace

CWinApp::CWinApp() : previous_(currentApp) { currentApp = this; }

CWinApp::~CWinApp() {
  if (currentApp == this) currentApp = previous_;
}

int CWinApp::InitInstance() { return 1; }

// A failing message query (-1) ends the loop as well: with the queue
// unreadable no quit message could ever arrive.
int CWinApp::Run() {
  win::MSG message = {};
  for (;;) {
    const int got = host->desktop.GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got < 0) return 0;
    host->desktop.TranslateMessage(&message);
    host->desktop.DispatchMessageA(&message);
  }
}

CWinApp* AfxGetApp() { return currentApp; }
