// How the Win32 realisations hand the portable handles and records to the
// real calls: handles by a plain cast, records that share the real layout
// unchanged, and 32-bit in-out arguments through a DWORD copy.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/HostTypes.h"
#include "host/win32/WindowsApi.h"

template <typename To, typename From>
inline To As(From handle) {
  return reinterpret_cast<To>(handle);
}

// The portable records passed through unchanged must match the real ones.
static_assert(sizeof(win::OSVERSIONINFOA) == sizeof(::OSVERSIONINFOA));
static_assert(sizeof(win::FILETIME) == sizeof(::FILETIME));
static_assert(sizeof(win::RECT) == sizeof(::RECT));
static_assert(sizeof(win::MSG) == sizeof(::MSG));
static_assert(offsetof(win::MSG, pt) == offsetof(::MSG, pt));
static_assert(sizeof(win::PAINTSTRUCT) == sizeof(::PAINTSTRUCT));
static_assert(offsetof(win::PAINTSTRUCT, rcPaint) == offsetof(::PAINTSTRUCT, rcPaint));
static_assert(sizeof(win::BITMAP) == sizeof(::BITMAP));
static_assert(sizeof(win::MSGBOXPARAMSA) == sizeof(::MSGBOXPARAMSA));
static_assert(offsetof(win::MSGBOXPARAMSA, lpfnMsgBoxCallback) ==
              offsetof(::MSGBOXPARAMSA, lpfnMsgBoxCallback));
static_assert(offsetof(win::MSGBOXPARAMSA, dwLanguageId) ==
              offsetof(::MSGBOXPARAMSA, dwLanguageId));

// A 32-bit in-out argument handed to a call that takes a DWORD pointer:
// copied in before the call and back after it.
class DwordArgument {
 public:
  explicit DwordArgument(std::uint32_t* value) : value_(value), copy_(value ? *value : 0) {}
  ~DwordArgument() {
    if (value_) *value_ = copy_;
  }
  DwordArgument(const DwordArgument&) = delete;
  DwordArgument& operator=(const DwordArgument&) = delete;
  DWORD* Get() { return value_ ? &copy_ : nullptr; }
  // For calls that need the pointer even where the caller wants no result
  // (the Windows 95 file calls): the copy serves and is dropped.
  DWORD* Always() { return &copy_; }

 private:
  std::uint32_t* value_;
  DWORD copy_;
};
