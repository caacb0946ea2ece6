// A host that answers the version queries with a version of Windows that the
// test chooses, instead of the machine's own (which it gives while none is
// chosen). GetVersion follows the chosen version, as Windows packs it; a
// record of another size than the one the query's structure has is refused,
// as the host refuses it.
#pragma once

#include <cstdint>
#include <optional>

#include "host/posix/VersionWord.h"
#include "support/HostWrapper.h"

class VersionHost : public HostWrapper<ForwardingSystem> {
 public:
  explicit VersionHost(HostServices& inner,
                       std::optional<win::OSVERSIONINFOA> version = std::nullopt)
      : HostWrapper(inner), version_(version) {}

  static win::OSVERSIONINFOA Version(std::uint32_t platform, std::uint32_t major,
                                     std::uint32_t minor, std::uint32_t build) {
    return {sizeof(win::OSVERSIONINFOA), major, minor, build, platform, {}};
  }
  // A Windows 95 build number holds the version in its high bytes.
  static win::OSVERSIONINFOA Windows95(std::uint32_t build) {
    return Version(win::kVerPlatformWin32Windows, build >> 24, (build >> 16) & 0xFF, build);
  }
  static win::OSVERSIONINFOA WindowsNt(std::uint32_t major, std::uint32_t minor,
                                       std::uint32_t build) {
    return Version(win::kVerPlatformWin32Nt, major, minor, build);
  }
  static win::OSVERSIONINFOA Win32s() { return Version(win::kVerPlatformWin32s, 3, 10, 0); }

  void Set(const win::OSVERSIONINFOA& version) { version_ = version; }

  std::uint32_t GetVersion() override {
    return version_ ? VersionWord(*version_) : ForwardingSystem::GetVersion();
  }
  bool GetVersionExA(win::OSVERSIONINFOA* info) override {
    sizeAsked = info->dwOSVersionInfoSize;
    if (!version_) return ForwardingSystem::GetVersionExA(info);
    if (sizeAsked != sizeof *info) return false;
    *info = *version_;
    return true;
  }

  // The record size that the last query gave.
  std::uint32_t sizeAsked = 0;

 private:
  std::optional<win::OSVERSIONINFOA> version_;
};
