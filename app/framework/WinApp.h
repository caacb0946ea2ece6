// The application object of our small framework. One object of a class
// derived from CWinApp is the program's application: it registers itself as
// the current application when it is built, the entry function fills in
// what the host handed to the process, calls the initialisation hook and
// then runs the message loop.
#pragma once

#include "base/Object.h"
#include "host/HostServices.h"

class CFrameWnd;

class CWinApp : public CObject {
 public:
  CWinApp();
  ~CWinApp() override;

  // The program's own start-up work; a nonzero result lets the message loop
  // run, zero ends the program at once.
  virtual int InitInstance();
  // Gets and dispatches messages until the quit message; gives its code.
  virtual int Run();

  // Filled by the entry function before InitInstance runs.
  HostServices* host = nullptr;
  win::HINSTANCE instance = nullptr;
  int showCommand = 0;
  win::HANDLE mainThread = nullptr;
  // The main frame window; its destruction ends the message loop.
  CFrameWnd* mainWindow = nullptr;

 private:
  // The application that was current before this one was built; it becomes
  // current again when this one goes, so that objects built and destroyed in
  // turn (as tests do) always leave the right one registered.
  CWinApp* previous_ = nullptr;
};

// The current application, or null when none exists.
CWinApp* AfxGetApp();
