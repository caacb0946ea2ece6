// The Win32 realisation of the host's files: each operation is the ANSI Win32
// call of the same name; QueryFileStatus gathers its four calls.
#pragma once

#include <cstdint>

#include "host/FileServices.h"

class Win32Files final : public FileServices {
 public:
  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override;
  bool QueryFileStatus(const char* path, win::FileStatus* status) override;
  win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t attributes) override;
  bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read) override;
  bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                 std::uint32_t* written) override;
  bool FlushFileBuffers(win::HANDLE file) override;
  bool CloseHandle(win::HANDLE handle) override;
  bool MoveFileA(const char* existing, const char* target) override;
  bool DeleteFileA(const char* path) override;
};
