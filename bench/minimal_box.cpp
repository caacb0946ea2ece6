// The least a Windows program can do to show one message box, built like the
// updater without a C runtime: the yardstick for the time from start to the
// updater's confirmation box under Wine.
#include <windows.h>

extern "C" void BoxEntry() {
  MessageBoxA(nullptr, "Minimal box", "minimal_box", MB_OKCANCEL | MB_ICONQUESTION);
  ExitProcess(0);
}
