// Calls that not every host has are looked up at run time rather than
// imported: a Win32 image with an import that the host cannot resolve is not
// loaded at all.
#pragma once

using EntryPoint = void (*)();

// The entry point `name` of a module that the process has already loaded, or
// null where the module or the entry point is missing. A module named
// without an extension is taken as a DLL.
EntryPoint LoadedEntryPoint(const char* module, const char* name);

// The same, as the function type it has.
template <typename Function>
Function LoadedFunction(const char* module, const char* name) {
  return reinterpret_cast<Function>(LoadedEntryPoint(module, name));
}
