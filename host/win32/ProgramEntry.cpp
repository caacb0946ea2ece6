// The executable's entry point. No C runtime is linked, so this is where the
// process starts: it builds the static objects, turns off the input method
// for the one thread (before its first window), hands the host, the module
// and the start-up show command to the application framework, runs the
// registered destructors and ends the process with the framework's code.
#include "app/framework/WinMain.h"
#include "host/win32/FreestandingRuntime.h"
#include "host/win32/InputMethod.h"
#include "host/win32/Win32Host.h"
#include "host/win32/WindowsApi.h"

namespace {

constinit Win32Host host;

int StartupShowCommand() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) return startup.wShowWindow;
  return SW_SHOWDEFAULT;
}

}  // namespace

extern "C" [[noreturn]] void ProgramEntry() {
  RunStaticConstructors();
  TurnOffInputMethod();
  const int exitCode =
      AfxWinMain(host, host.system.GetModuleHandleA(nullptr), StartupShowCommand());
  RunExitHandlers();
  ::ExitProcess(static_cast<UINT>(exitCode));
}
