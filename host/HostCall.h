// Every operation of the host's facets, by the name of the call it stands
// for: what a planted fault names and what a call counter counts. Each
// facet's operations end with a name for any call of that facet.
#pragma once

#include <cstdint>

enum class HostCall : std::uint8_t {
  // Files.
  kGetWindowsDirectoryA,
  kQueryFileStatus,
  kCreateFileA,
  kReadFile,
  kWriteFile,
  kFlushFileBuffers,
  kCloseHandle,
  kMoveFileA,
  kDeleteFileA,
  kAnyFileCall,
  // Registry.
  kRegOpenKeyExA,
  kRegEnumKeyExA,
  kRegQueryValueExA,
  kRegDeleteKeyA,
  kRegCloseKey,
  kAnyRegistryCall,
  // System.
  kGetModuleHandleA,
  kGetModuleFileNameA,
  kLoadStringA,
  kGetVersion,
  kGetVersionExA,
  kGetCurrentThread,
  kSetThreadPriority,
  kEnableShutdownPrivilege,
  kExitWindowsEx,
  kAnySystemCall,
  // Desktop.
  kSystemParametersInfoA,
  kMessageBoxA,
  kMessageBoxIndirectA,
  kLoadCursorA,
  kSetCursor,
  kSetClassLongPtrA,
  kLoadIconA,
  kGetClassInfoA,
  kRegisterClassA,
  kCreateWindowExA,
  kDefWindowProcA,
  kShowWindow,
  kUpdateWindow,
  kShowOwnedPopups,
  kSetWindowPos,
  kDestroyWindow,
  kSendMessageA,
  kPostQuitMessage,
  kGetMessageA,
  kTranslateMessage,
  kDispatchMessageA,
  kBeginPaint,
  kEndPaint,
  kValidateRect,
  kCreateSolidBrush,
  kCreateHatchBrush,
  kFillRect,
  kDeleteObject,
  kLoadBitmapA,
  kGetObjectA,
  kCreateCompatibleDC,
  kSelectObject,
  kBitBlt,
  kDeleteDC,
  kAnyDesktopCall,
  // Memory: the heap allocations of the program.
  kAllocate,
  kAnyAllocation,
};

// The name of any call of the facet that `call` belongs to.
constexpr HostCall AnyCallLike(HostCall call) {
  if (call <= HostCall::kAnyFileCall) return HostCall::kAnyFileCall;
  if (call <= HostCall::kAnyRegistryCall) return HostCall::kAnyRegistryCall;
  if (call <= HostCall::kAnySystemCall) return HostCall::kAnySystemCall;
  if (call <= HostCall::kAnyDesktopCall) return HostCall::kAnyDesktopCall;
  return HostCall::kAnyAllocation;
}
