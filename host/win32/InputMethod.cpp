#include "host/win32/InputMethod.h"

#include "host/win32/LateBinding.h"
#include "host/win32/WindowsApi.h"

namespace {

using DisableImeFunction = BOOL(WINAPI*)(DWORD);

constexpr DWORD kCurrentThread = 0;

}  // namespace

// An input method manager makes a hidden window for each thread that makes a
// window, and one more when a window is first activated; under Wine that is
// about a sixth of the time from start to the confirmation box. The manager
// is looked up rather than imported: Windows 95 has none, and one that the
// system has not loaded is not worth loading only to turn it off.
void TurnOffInputMethod() {
  const auto disable = LoadedFunction<DisableImeFunction>("IMM32", "ImmDisableIME");
  if (disable) disable(kCurrentThread);
}
