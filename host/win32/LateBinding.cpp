#include "host/win32/LateBinding.h"

#include "host/win32/WindowsApi.h"

EntryPoint LoadedEntryPoint(const char* module, const char* name) {
  const HMODULE loaded = ::GetModuleHandleA(module);
  if (!loaded) return nullptr;
  // Through the generic function type that the compiler accepts for entry
  // points looked up by name.
  return reinterpret_cast<EntryPoint>(::GetProcAddress(loaded, name));
}
