// Portable mirrors of the Win32 types, records and constants that the updater
// hands to its host. Layouts follow the Win32 headers field by field so that
// the Win32 realisation passes them through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win {

struct HandleTag;
struct InstanceTag;
struct KeyTag;
struct WindowTag;
struct DcTag;
struct GdiTag;
struct CursorTag;
struct IconTag;
struct MenuTag;

using HANDLE = HandleTag*;
using HINSTANCE = InstanceTag*;
using HKEY = KeyTag*;
using HWND = WindowTag*;
using HDC = DcTag*;
using HGDIOBJ = GdiTag*;
using HBRUSH = GdiTag*;
using HBITMAP = GdiTag*;
using HCURSOR = CursorTag*;
using HICON = IconTag*;
using HMENU = MenuTag*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;

// Window procedure of the portable framework; the Win32 realisation calls it
// from a real window procedure.
using WNDPROC = LRESULT (*)(HWND, std::uint32_t, WPARAM, LPARAM);

// Win32 error codes that the registry's calls answer with.
constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorNoMoreItems = 259;
constexpr std::uint32_t kErrorInvalidParameter = 87;

// Files.
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kFileAttributeReadonly = 0x01;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::size_t kMaxPath = 260;

inline HANDLE InvalidHandleValue() { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }

// Registry.
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Predefined keys are sign-extended 32-bit values, as in the Win32 headers.
inline HKEY PredefinedKey(std::uint32_t value) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline HKEY HkeyCurrentUser() { return PredefinedKey(0x80000001u); }
inline HKEY HkeyLocalMachine() { return PredefinedKey(0x80000002u); }

// Resources named by number, as MAKEINTRESOURCE does.
inline const char* MakeIntResource(std::uint16_t id) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}
inline bool IsIntResource(const char* name) {
  return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}
inline std::uint16_t IntResourceId(const char* name) {
  return static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(name));
}

constexpr std::uint16_t kIdcArrow = 32512;
constexpr std::uint16_t kIdcWait = 32514;

// Message boxes.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr std::uint32_t kMbOk = 0x00;
constexpr std::uint32_t kMbOkCancel = 0x01;
constexpr std::uint32_t kMbIconExclamation = 0x30;
constexpr std::uint32_t kMbIconWarning = 0x30;
constexpr std::uint32_t kMbIconInformation = 0x40;
constexpr std::uint32_t kMbUserIcon = 0x80;
constexpr std::uint32_t kMbTaskModal = 0x2000;

// The host's MSGBOXPARAMSA, field for field (40 bytes on 32-bit Windows).
struct MSGBOXPARAMSA {
  std::uint32_t cbSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  const char* lpszText;
  const char* lpszCaption;
  std::uint32_t dwStyle;
  const char* lpszIcon;
  std::uintptr_t dwContextHelpId;
  void (*lpfnMsgBoxCallback)(void*);
  std::uint32_t dwLanguageId;
};

// The host's OSVERSIONINFOA (148 bytes).
struct OSVERSIONINFOA {
  std::uint32_t dwOSVersionInfoSize;
  std::uint32_t dwMajorVersion;
  std::uint32_t dwMinorVersion;
  std::uint32_t dwBuildNumber;
  std::uint32_t dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

constexpr std::uint32_t kVerPlatformWin32s = 0;
constexpr std::uint32_t kVerPlatformWin32Windows = 1;
constexpr std::uint32_t kVerPlatformWin32Nt = 2;

struct FILETIME {
  std::uint32_t dwLowDateTime;
  std::uint32_t dwHighDateTime;
};

// What the file status query gives: the low 32 bits of the size, the
// attributes, and the times that rank backups, as whole seconds of local
// calendar time (0 where the file system keeps no such time).
struct FileStatus {
  std::uint32_t size;
  std::uint32_t attributes;
  std::int32_t creationTime;
  std::int32_t lastWriteTime;
};

// Restart.
constexpr std::uint32_t kEwxReboot = 2;

// Threads.
constexpr int kThreadPriorityHighest = 2;

// Windows and drawing.
struct RECT {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

struct POINT {
  std::int32_t x;
  std::int32_t y;
};

struct MSG {
  HWND hwnd;
  std::uint32_t message;
  WPARAM wParam;
  LPARAM lParam;
  std::uint32_t time;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc;
  int fErase;
  RECT rcPaint;
  int fRestore;
  int fIncUpdate;
  std::uint8_t rgbReserved[32];
};

struct WNDCLASSA {
  std::uint32_t style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
};

// The host's BITMAP record as GetObjectA fills it.
struct BITMAP {
  std::int32_t bmType;
  std::int32_t bmWidth;
  std::int32_t bmHeight;
  std::int32_t bmWidthBytes;
  std::uint16_t bmPlanes;
  std::uint16_t bmBitsPixel;
  void* bmBits;
};

constexpr std::uint32_t kWmDestroy = 0x0002;
constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmQuit = 0x0012;
constexpr std::uint32_t kWmNcCreate = 0x0081;
constexpr std::uint32_t kWmNcDestroy = 0x0082;

constexpr std::uint32_t kCsVRedraw = 0x0001;
constexpr std::uint32_t kCsHRedraw = 0x0002;
constexpr std::uint32_t kWsOverlapped = 0x00000000;
constexpr std::uint32_t kWsMaximize = 0x01000000;
constexpr std::uint32_t kWsCaption = 0x00C00000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kWsExClientEdge = 0x00000200;

constexpr int kSwHide = 0;
constexpr int kSwShowDefault = 10;
constexpr std::uint32_t kSwpNoSize = 0x0001;
constexpr std::uint32_t kSwpNoMove = 0x0002;
constexpr std::uint32_t kSwpNoActivate = 0x0010;
inline HWND HwndBottom() { return reinterpret_cast<HWND>(std::uintptr_t{1}); }

constexpr int kGclHCursor = -12;
constexpr std::uint32_t kSpiGetWorkArea = 48;
constexpr int kHsFDiagonal = 2;
constexpr std::uint32_t kSrcAnd = 0x008800C6;

}  // namespace win
