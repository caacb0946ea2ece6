// The files of the host: the Windows directory, the status of a name, and
// reading, writing, moving and deleting whole files through handles. Each
// operation keeps the shape, arguments and results of the Win32 call it
// stands for. The updater tells no failure from another, so no error code
// is offered.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

class FileServices {
 public:
  virtual std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) = 0;
  // Stands for GetFullPathNameA, GetVolumeInformationA, FindFirstFileA and
  // FindClose on one name; fails when any of them does.
  virtual bool QueryFileStatus(const char* path, win::FileStatus* status) = 0;
  virtual win::HANDLE CreateFileA(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                  std::uint32_t disposition, std::uint32_t attributes) = 0;
  virtual bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                        std::uint32_t* read) = 0;
  virtual bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                         std::uint32_t* written) = 0;
  virtual bool FlushFileBuffers(win::HANDLE file) = 0;
  virtual bool CloseHandle(win::HANDLE handle) = 0;
  virtual bool MoveFileA(const char* existing, const char* target) = 0;
  virtual bool DeleteFileA(const char* path) = 0;

 protected:
  // Realisations are never deleted through the facet.
  ~FileServices() = default;
};
