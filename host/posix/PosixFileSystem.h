// Real files and folders below a root folder that stands for drive C:.
// Windows paths (C:\WINDOWS\INF\X.INF, backslashes or slashes, any letter
// case) are mapped onto it. Each name is matched without regard to letter
// case against the entries that exist, as on FAT; a name that does not exist
// yet keeps the letters given, so a new file gets them.
//
// The Win32 rules that the updater meets are kept: paths off drive C: fail
// with ERROR_PATH_NOT_FOUND, paths of 260 characters or more with
// ERROR_FILENAME_EXCED_RANGE; a file opened without sharing cannot be opened,
// moved or deleted again until its handle is closed (ERROR_SHARING_VIOLATION);
// a read-only file (no write permission bits) cannot be opened to write,
// created over or deleted (ERROR_ACCESS_DENIED), whoever runs the process;
// a move never replaces an existing file (ERROR_ALREADY_EXISTS). Only the
// OPEN_EXISTING, CREATE_ALWAYS and CREATE_NEW dispositions are offered;
// CREATE_NEW refuses a name that is taken (ERROR_FILE_EXISTS).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "host/FileServices.h"

class PosixFileSystem final : public FileServices {
 public:
  // Where the creation time of the file status comes from. FAT and NTFS keep
  // one that can be set; Linux keeps a birth time that cannot, so tests that
  // arrange file ages ask for the last-write time instead, as Wine gives it.
  enum class CreationTimeSource { kBirthTime, kLastWriteTime, kNone };

  static constexpr std::uint32_t kFileShareRead = 0x1;
  static constexpr std::uint32_t kFileShareWrite = 0x2;
  static constexpr std::uint32_t kFileShareDelete = 0x4;
  static constexpr std::uint32_t kErrorGenFailure = 31;
  static constexpr std::uint32_t kErrorFilenameExcedRange = 206;

  explicit PosixFileSystem(const std::string& root);
  ~PosixFileSystem();
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  // "C:\WINDOWS" unless set; an empty directory makes the query fail.
  void SetWindowsDirectory(const std::string& directory);
  // kBirthTime (falling back to the last-write time) unless set.
  void SetCreationTimeSource(CreationTimeSource source);
  // Sets or clears the read-only attribute, as SetFileAttributesA would.
  bool SetReadOnly(const char* path, bool readOnly);

  std::uint32_t GetLastError() override;
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
  // A file as the sharing rules see it.
  struct FileId {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const FileId&) const = default;
  };
  struct OpenFile {
    int descriptor;
    FileId id;
    std::uint32_t access;
    std::uint32_t shareMode;
  };
  struct Entry;

  std::optional<std::string> MapPath(const char* path);
  std::optional<Entry> Inspect(const std::string& realPath);
  bool SharingAllows(const FileId& id, std::uint32_t access, std::uint32_t shareMode) const;
  bool HeldWithoutDeleteSharing(const FileId& id) const;
  OpenFile* Find(win::HANDLE handle);
  win::HANDLE Register(const OpenFile& file);
  bool Fail(std::uint32_t error);
  bool FailFromErrno();

  std::string root_;
  std::string windowsDirectory_ = "C:\\WINDOWS";
  CreationTimeSource creationTimeSource_ = CreationTimeSource::kBirthTime;
  std::uint32_t lastError_ = win::kErrorSuccess;
  std::map<std::uintptr_t, OpenFile> handles_;
  std::uintptr_t nextHandle_ = 0x100;
};
