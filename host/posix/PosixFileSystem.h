// Real files and folders below a root folder that stands for drive C:.
// Windows paths (C:\WINDOWS\INF\X.INF, backslashes or slashes, any letter
// case) are mapped onto it. Each name is matched without regard to letter
// case against the entries that exist, as on FAT; a name that does not exist
// yet keeps the letters given, so a new file gets them.
//
// The Win32 rules that the updater meets are kept: paths off drive C: and
// paths of 260 characters or more fail; a read-only file (no write
// permission bits) cannot be opened to write, created over or deleted,
// whoever runs the process; a move never replaces an existing file. Only the
// OPEN_EXISTING, CREATE_ALWAYS and CREATE_NEW dispositions are offered;
// CREATE_NEW refuses a name that is taken. The creation time of a status is
// the last-write time: Linux keeps a birth time that cannot be set, and
// tests that arrange file ages set the write time.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "host/FileServices.h"

class PosixFileSystem final : public FileServices {
 public:
  explicit PosixFileSystem(const std::string& root);
  ~PosixFileSystem();
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  // Sets or clears the read-only attribute, as SetFileAttributesA would.
  bool SetReadOnly(const char* path, bool readOnly);

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

 private:
  struct OpenFile {
    int descriptor;
    std::uint32_t access;
  };
  struct Entry;

  std::optional<std::string> MapPath(const char* path) const;
  static std::optional<Entry> Inspect(const std::string& realPath);
  OpenFile* Find(win::HANDLE handle);

  std::string root_;
  std::map<std::uintptr_t, OpenFile> handles_;
  std::uintptr_t nextHandle_ = 0x100;
};
