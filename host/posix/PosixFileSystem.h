// Real files and folders below a root folder that stands for drive C:.
// Windows paths (C:\WINDOWS\INF\X.INF, backslashes) are mapped onto it and
// names are matched without regard to letter case, as on FAT.
#pragma once

#include <cstdint>
#include <string>

#include "host/HostTypes.h"

class PosixFileSystem {
 public:
  explicit PosixFileSystem(const std::string& root);
  std::uint32_t GetLastError();
  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size);
  bool QueryFileStatus(const char* path, win::FileStatus* status);
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes);
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read);
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written);
  bool FlushFileBuffers(win::HANDLE file);
  bool CloseHandle(win::HANDLE handle);
  bool MoveFileA(const char* existing, const char* target);
  bool DeleteFileA(const char* path);
};
