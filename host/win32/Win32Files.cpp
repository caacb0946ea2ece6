#include "host/win32/Win32Files.h"

#include <cstddef>
#include <cstdint>

#include "host/win32/Win32Records.h"
#include "host/win32/WindowsApi.h"

namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int32_t DaysFromCivil(std::int32_t year, std::uint32_t month, std::uint32_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int32_t era = (year >= 0 ? year : year - 399) / 400;
  const std::uint32_t yearOfEra = static_cast<std::uint32_t>(year - era * 400);
  const std::uint32_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::uint32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int32_t>(dayOfEra) - 719468;
}

std::int32_t SecondsOfCalendarTime(const SYSTEMTIME& time) {
  const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay);
  const std::int64_t seconds =
      days * 86400 + time.wHour * 3600 + time.wMinute * 60 + std::int64_t{time.wSecond};
  if (seconds > INT32_MAX) return INT32_MAX;
  if (seconds < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(seconds);
}

// A file time as whole seconds of local calendar time; 0 for a time that the
// file system does not keep.
std::int32_t LocalSeconds(const FILETIME& universal) {
  if (universal.dwLowDateTime == 0 && universal.dwHighDateTime == 0) return 0;
  FILETIME local;
  SYSTEMTIME calendar;
  if (!::FileTimeToLocalFileTime(&universal, &local)) return 0;
  if (!::FileTimeToSystemTime(&local, &calendar)) return 0;
  return SecondsOfCalendarTime(calendar);
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

// FindFirstFileA takes no trailing separator, except after a drive.
void DropTrailingSeparator(char* path, DWORD length) {
  if (length > 3 && IsSeparator(path[length - 1])) path[length - 1] = '\0';
}

}  // namespace

std::uint32_t Win32Files::GetLastError() { return ::GetLastError(); }

std::uint32_t Win32Files::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

bool Win32Files::QueryFileStatus(const char* path, win::FileStatus* status) {
  if (HasWildcard(path)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  char fullPath[MAX_PATH];
  char* filePart = nullptr;
  const DWORD length = ::GetFullPathNameA(path, MAX_PATH, fullPath, &filePart);
  if (length == 0) return false;
  if (length >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  char root[MAX_PATH];
  if (!VolumeRoot(fullPath, root, sizeof root)) {
    ::SetLastError(ERROR_BAD_PATHNAME);
    return false;
  }
  if (!::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
    return false;
  }
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
  status->lastAccessTime = LocalSeconds(found.ftLastAccessTime);
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
