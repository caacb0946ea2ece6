#include "host/win32/Win32Files.h"

#include <cstddef>
#include <cstdint>

#include "host/win32/Win32Records.h"
#include "host/win32/WindowsApi.h"

namespace {

// Seconds from 1601-01-01, where file times count from, to 1970-01-01.
constexpr std::int64_t kSecondsBefore1970 = 11644473600;

// A count of 100-nanosecond ticks as whole seconds, by 32-bit divisions only:
// the program links no 64-bit division routine. Ten million is 2^7 times
// 78125; dividing by 78125 fifteen bits at a time keeps every partial
// dividend within 32 bits.
std::uint64_t WholeSeconds(std::uint64_t ticks) {
  constexpr std::uint32_t kDivisor = 78125;
  const std::uint64_t halved = ticks >> 7;
  std::uint64_t quotient = 0;
  std::uint32_t remainder = 0;
  for (int shift = 45; shift >= 0; shift -= 15) {
    const std::uint32_t dividend = (remainder << 15) | ((halved >> shift) & 0x7FFF);
    quotient = (quotient << 15) | dividend / kDivisor;
    remainder = dividend % kDivisor;
  }
  return quotient;
}

// A file time as whole seconds of local calendar time since 1970, held to 32
// bits; 0 for a time that the file system does not keep. Both calendars are
// the proleptic Gregorian one without leap seconds, so the count is the
// local file time's ticks divided out.
std::int32_t LocalSeconds(const FILETIME& universal) {
  if (universal.dwLowDateTime == 0 && universal.dwHighDateTime == 0) return 0;
  FILETIME local;
  if (!::FileTimeToLocalFileTime(&universal, &local)) return 0;
  const std::uint64_t ticks = (std::uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime;
  const std::int64_t seconds = static_cast<std::int64_t>(WholeSeconds(ticks)) - kSecondsBefore1970;
  if (seconds > INT32_MAX) return INT32_MAX;
  if (seconds < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(seconds);
}

bool HasWildcard(const char* path) {
  for (; *path; ++path) {
    if (*path == '*' || *path == '?') return true;
  }
  return false;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The root folder of the volume of a full path: "C:\" or "\\server\share\".
bool VolumeRoot(const char* fullPath, char* root, std::size_t size) {
  std::size_t length = 0;
  if (fullPath[0] && fullPath[1] == ':') {
    length = 2;
  } else if (IsSeparator(fullPath[0]) && IsSeparator(fullPath[1])) {
    int separators = 0;
    while (fullPath[length] && !(IsSeparator(fullPath[length]) && ++separators == 4)) ++length;
  } else {
    return false;
  }
  if (length + 2 > size) return false;
  for (std::size_t i = 0; i < length; ++i) root[i] = fullPath[i];
  root[length] = '\\';
  root[length + 1] = '\0';
  return true;
}

// Whether the volume's information can be read. Windows 95 documents only
// the serial number as optional, so every other answer gets a place too.
bool VolumeIsReadable(const char* root) {
  char volumeName[MAX_PATH];
  DWORD serialNumber = 0;
  DWORD longestComponent = 0;
  DWORD flags = 0;
  char fileSystemName[MAX_PATH];
  return ::GetVolumeInformationA(root, volumeName, sizeof volumeName, &serialNumber,
                                 &longestComponent, &flags, fileSystemName,
                                 sizeof fileSystemName) != FALSE;
}

// FindFirstFileA takes no trailing separator, except after a drive.
void DropTrailingSeparator(char* path, DWORD length) {
  if (length > 3 && IsSeparator(path[length - 1])) path[length - 1] = '\0';
}

}  // namespace

std::uint32_t Win32Files::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

bool Win32Files::QueryFileStatus(const char* path, win::FileStatus* status) {
  if (HasWildcard(path)) return false;
  char fullPath[MAX_PATH];
  char* filePart = nullptr;
  const DWORD length = ::GetFullPathNameA(path, MAX_PATH, fullPath, &filePart);
  if (length == 0 || length >= MAX_PATH) return false;
  char root[MAX_PATH];
  if (!VolumeRoot(fullPath, root, sizeof root)) return false;
  if (!VolumeIsReadable(root)) return false;
  DropTrailingSeparator(fullPath, length);
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(fullPath, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  if (!status) return true;
  status->size = found.nFileSizeLow;
  status->attributes = found.dwFileAttributes;
  status->creationTime = LocalSeconds(found.ftCreationTime);
  status->lastWriteTime = LocalSeconds(found.ftLastWriteTime);
  return true;
}

win::HANDLE Win32Files::CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                    std::uint32_t disposition, std::uint32_t attributes) {
  return As<win::HANDLE>(
      ::CreateFileA(path, access, shareMode, nullptr, disposition, attributes, nullptr));
}

bool Win32Files::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                          std::uint32_t* read) {
  DwordArgument done(read);
  return ::ReadFile(As<HANDLE>(file), buffer, toRead, done.Always(), nullptr) != FALSE;
}

bool Win32Files::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* written) {
  DwordArgument done(written);
  return ::WriteFile(As<HANDLE>(file), buffer, toWrite, done.Always(), nullptr) != FALSE;
}

bool Win32Files::FlushFileBuffers(win::HANDLE file) {
  return ::FlushFileBuffers(As<HANDLE>(file)) != FALSE;
}

bool Win32Files::CloseHandle(win::HANDLE handle) {
  return ::CloseHandle(As<HANDLE>(handle)) != FALSE;
}

bool Win32Files::MoveFileA(const char* existing, const char* target) {
  return ::MoveFileA(existing, target) != FALSE;
}

bool Win32Files::DeleteFileA(const char* path) { return ::DeleteFileA(path) != FALSE; }
