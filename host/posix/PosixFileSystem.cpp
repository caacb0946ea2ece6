#include "host/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/Text.h"

struct PosixFileSystem::Entry {
  std::uint32_t mode;
  std::uint64_t size;
  FileId id;
  std::int64_t birthTime;  // 0 when the file system keeps none
  std::int64_t lastWriteTime;

  bool IsDirectory() const { return S_ISDIR(mode); }
  bool IsReadOnly() const { return (mode & 0222) == 0; }
};

namespace {

constexpr mode_t kNormalMode = 0644;
constexpr mode_t kReadOnlyMode = 0444;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool SameNameIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// The names after "C:\", with "." dropped and ".." taking one name back
// (never above the root); nothing for a path that is not on drive C:.
std::optional<std::vector<std::string>> SplitDrivePath(const char* path) {
  if (LowerAscii(path[0]) != 'c' || path[1] != ':' || !IsSeparator(path[2])) return std::nullopt;
  std::vector<std::string> names;
  std::string name;
  for (const char* p = path + 3;; ++p) {
    if (*p != '\0' && !IsSeparator(*p)) {
      name += *p;
      continue;
    }
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    name.clear();
    if (*p == '\0') return names;
  }
}

// The spelling of `name` in `folder`: the exact one when present, otherwise
// the first match without regard to case in name order, otherwise `name`.
std::string FindSpelling(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return name;
  std::vector<std::string> matches;
  while (const dirent* entry = readdir(dir)) {
    if (SameNameIgnoringCase(name, entry->d_name)) matches.emplace_back(entry->d_name);
  }
  closedir(dir);
  if (matches.empty() || std::find(matches.begin(), matches.end(), name) != matches.end()) {
    return name;
  }
  return *std::min_element(matches.begin(), matches.end());
}

std::uint32_t ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return win::kErrorFileNotFound;
    case ENOTDIR:
      return win::kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return win::kErrorAccessDenied;
    case EBADF:
      return win::kErrorInvalidHandle;
    case ENOMEM:
      return win::kErrorNotEnoughMemory;
    case ENOSPC:
    case EDQUOT:
      return win::kErrorDiskFull;
    case EEXIST:
      return win::kErrorAlreadyExists;
    case ENAMETOOLONG:
      return PosixFileSystem::kErrorFilenameExcedRange;
    default:
      return PosixFileSystem::kErrorGenFailure;
  }
}

int OpenFlags(std::uint32_t access) {
  const bool reads = (access & win::kGenericRead) != 0;
  const bool writes = (access & win::kGenericWrite) != 0;
  if (reads && writes) return O_RDWR;
  return writes ? O_WRONLY : O_RDONLY;
}

// Whole seconds as the status query gives them; later than 2038 wraps, as a
// signed 32-bit count must.
std::int32_t Seconds(std::int64_t seconds) { return static_cast<std::int32_t>(seconds); }

std::uint64_t DeviceOf(const struct statx& info) {
  return (std::uint64_t{info.stx_dev_major} << 32) | info.stx_dev_minor;
}

win::HANDLE HandleFromValue(std::uintptr_t value) { return reinterpret_cast<win::HANDLE>(value); }

}  // namespace

PosixFileSystem::PosixFileSystem(const std::string& root) : root_(root) {}

PosixFileSystem::~PosixFileSystem() {
  for (const auto& [value, file] : handles_) close(file.descriptor);
}

void PosixFileSystem::SetWindowsDirectory(const std::string& directory) {
  windowsDirectory_ = directory;
}

void PosixFileSystem::SetCreationTimeSource(CreationTimeSource source) {
  creationTimeSource_ = source;
}

bool PosixFileSystem::SetReadOnly(const char* path, bool readOnly) {
  const auto real = MapPath(path);
  if (!real) return false;
  const auto entry = Inspect(*real);
  if (!entry) return false;
  const mode_t permissions = entry->mode & 07777;
  const mode_t mode = readOnly ? permissions & ~mode_t{0222} : permissions | S_IWUSR;
  if (chmod(real->c_str(), mode) != 0) return FailFromErrno();
  return true;
}

std::uint32_t PosixFileSystem::GetLastError() { return lastError_; }

// Win32's result rules: the length without the terminator when the text
// fits, otherwise the size needed with the terminator and the buffer as it
// was; 0 when the query fails.
std::uint32_t PosixFileSystem::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  if (windowsDirectory_.empty()) {
    Fail(win::kErrorPathNotFound);
    return 0;
  }
  const auto length = static_cast<std::uint32_t>(windowsDirectory_.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, windowsDirectory_.c_str(), length + 1);
  return length;
}

bool PosixFileSystem::QueryFileStatus(const char* path, win::FileStatus* status) {
  const auto real = MapPath(path);
  if (!real) return false;
  const auto entry = Inspect(*real);
  if (!entry) return false;
  std::uint32_t attributes = 0;
  if (entry->IsReadOnly()) attributes |= win::kFileAttributeReadonly;
  if (entry->IsDirectory()) attributes |= win::kFileAttributeDirectory;
  status->size = static_cast<std::uint32_t>(entry->size);
  status->attributes = attributes == 0 ? win::kFileAttributeNormal : attributes;
  status->lastWriteTime = Seconds(entry->lastWriteTime);
  switch (creationTimeSource_) {
    case CreationTimeSource::kBirthTime:
      status->creationTime =
          Seconds(entry->birthTime != 0 ? entry->birthTime : entry->lastWriteTime);
      break;
    case CreationTimeSource::kLastWriteTime:
      status->creationTime = Seconds(entry->lastWriteTime);
      break;
    case CreationTimeSource::kNone:
      status->creationTime = 0;
      break;
  }
  return true;
}

win::HANDLE PosixFileSystem::CreateFileA(const char* path, std::uint32_t access,
                                         std::uint32_t shareMode, std::uint32_t disposition,
                                         std::uint32_t attributes) {
  const win::HANDLE failed = win::InvalidHandleValue();
  const bool createsNew = disposition == win::kCreateNew;
  const bool creates = createsNew || disposition == win::kCreateAlways;
  if (!creates && disposition != win::kOpenExisting) {
    Fail(win::kErrorInvalidParameter);
    return failed;
  }
  const auto real = MapPath(path);
  if (!real) return failed;
  const auto entry = Inspect(*real);
  if (!entry && (!creates || lastError_ != win::kErrorFileNotFound)) return failed;
  if (entry && createsNew) {
    Fail(win::kErrorFileExists);
    return failed;
  }
  if (entry) {
    const bool writes = creates || (access & win::kGenericWrite) != 0;
    if (entry->IsDirectory() || (writes && entry->IsReadOnly())) {
      Fail(win::kErrorAccessDenied);
      return failed;
    }
    if (!SharingAllows(entry->id, access, shareMode)) {
      Fail(win::kErrorSharingViolation);
      return failed;
    }
  }
  const int flags = OpenFlags(access) | O_CLOEXEC | (createsNew ? O_CREAT | O_EXCL : 0) |
                    (creates && !createsNew ? O_CREAT | O_TRUNC : 0);
  const int descriptor = open(real->c_str(), flags, kNormalMode);
  if (descriptor < 0) {
    FailFromErrno();
    return failed;
  }
  const mode_t mode = (attributes & win::kFileAttributeReadonly) ? kReadOnlyMode : kNormalMode;
  struct statx opened {};
  if ((creates && fchmod(descriptor, mode) != 0) ||
      statx(descriptor, "", AT_EMPTY_PATH, STATX_INO, &opened) != 0) {
    FailFromErrno();
    close(descriptor);
    return failed;
  }
  const FileId id{DeviceOf(opened), opened.stx_ino};
  // Win32 reports whether CREATE_ALWAYS met an existing file even on success.
  if (creates) lastError_ = entry ? win::kErrorAlreadyExists : win::kErrorSuccess;
  return Register(OpenFile{descriptor, id, access, shareMode});
}

bool PosixFileSystem::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                               std::uint32_t* read) {
  OpenFile* open = Find(file);
  if (open == nullptr) return false;
  if (read == nullptr) return Fail(win::kErrorInvalidParameter);
  *read = 0;
  if ((open->access & win::kGenericRead) == 0) return Fail(win::kErrorAccessDenied);
  auto* bytes = static_cast<char*>(buffer);
  while (*read < toRead) {
    const ssize_t moved = ::read(open->descriptor, bytes + *read, toRead - *read);
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0) return FailFromErrno();
    if (moved == 0) break;
    *read += static_cast<std::uint32_t>(moved);
  }
  return true;
}

bool PosixFileSystem::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                                std::uint32_t* written) {
  OpenFile* open = Find(file);
  if (open == nullptr) return false;
  if (written == nullptr) return Fail(win::kErrorInvalidParameter);
  *written = 0;
  if ((open->access & win::kGenericWrite) == 0) return Fail(win::kErrorAccessDenied);
  const auto* bytes = static_cast<const char*>(buffer);
  while (*written < toWrite) {
    const ssize_t moved = ::write(open->descriptor, bytes + *written, toWrite - *written);
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0) return FailFromErrno();
    if (moved == 0) return Fail(win::kErrorDiskFull);
    *written += static_cast<std::uint32_t>(moved);
  }
  return true;
}

bool PosixFileSystem::FlushFileBuffers(win::HANDLE file) {
  OpenFile* open = Find(file);
  if (open == nullptr) return false;
  if ((open->access & win::kGenericWrite) == 0) return Fail(win::kErrorAccessDenied);
  if (fsync(open->descriptor) != 0) return FailFromErrno();
  return true;
}

bool PosixFileSystem::CloseHandle(win::HANDLE handle) {
  OpenFile* open = Find(handle);
  if (open == nullptr) return false;
  const int descriptor = open->descriptor;
  handles_.erase(reinterpret_cast<std::uintptr_t>(handle));
  if (close(descriptor) != 0) return FailFromErrno();
  return true;
}

bool PosixFileSystem::MoveFileA(const char* existing, const char* target) {
  const auto from = MapPath(existing);
  if (!from) return false;
  const auto to = MapPath(target);
  if (!to) return false;
  const auto source = Inspect(*from);
  if (!source) return false;
  if (Inspect(*to)) return Fail(win::kErrorAlreadyExists);
  if (lastError_ != win::kErrorFileNotFound) return false;
  if (HeldWithoutDeleteSharing(source->id)) return Fail(win::kErrorSharingViolation);
  if (rename(from->c_str(), to->c_str()) != 0) return FailFromErrno();
  return true;
}

bool PosixFileSystem::DeleteFileA(const char* path) {
  const auto real = MapPath(path);
  if (!real) return false;
  const auto entry = Inspect(*real);
  if (!entry) return false;
  if (entry->IsDirectory() || entry->IsReadOnly()) return Fail(win::kErrorAccessDenied);
  if (HeldWithoutDeleteSharing(entry->id)) return Fail(win::kErrorSharingViolation);
  if (unlink(real->c_str()) != 0) return FailFromErrno();
  return true;
}

// The real path of a Windows path: every folder on the way must exist, and
// each name takes the spelling it has on disk.
std::optional<std::string> PosixFileSystem::MapPath(const char* path) {
  if (path == nullptr) {
    Fail(win::kErrorInvalidParameter);
    return std::nullopt;
  }
  if (std::strlen(path) >= win::kMaxPath) {
    Fail(kErrorFilenameExcedRange);
    return std::nullopt;
  }
  const auto names = SplitDrivePath(path);
  if (!names) {
    Fail(win::kErrorPathNotFound);
    return std::nullopt;
  }
  std::string real = root_;
  for (std::size_t i = 0; i < names->size(); ++i) {
    const bool isFolder = i + 1 < names->size();
    real += '/' + FindSpelling(real, (*names)[i]);
    struct stat folder {};
    if (isFolder && (stat(real.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))) {
      Fail(win::kErrorPathNotFound);
      return std::nullopt;
    }
  }
  return real;
}

// What the file system knows of an entry; nothing (and the matching last
// error) when there is no entry of that name.
std::optional<PosixFileSystem::Entry> PosixFileSystem::Inspect(const std::string& realPath) {
  struct statx info {};
  if (statx(AT_FDCWD, realPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    FailFromErrno();
    return std::nullopt;
  }
  const bool hasBirthTime = (info.stx_mask & STATX_BTIME) != 0;
  return Entry{info.stx_mode, info.stx_size, FileId{DeviceOf(info), info.stx_ino},
               hasBirthTime ? info.stx_btime.tv_sec : 0, info.stx_mtime.tv_sec};
}

// Win32's sharing rule: every open handle of the file must share what the
// new access needs, and the new open must share what those handles hold.
bool PosixFileSystem::SharingAllows(const FileId& id, std::uint32_t access,
                                    std::uint32_t shareMode) const {
  const auto conflicts = [](std::uint32_t heldAccess, std::uint32_t share) {
    return ((heldAccess & win::kGenericRead) && !(share & kFileShareRead)) ||
           ((heldAccess & win::kGenericWrite) && !(share & kFileShareWrite));
  };
  for (const auto& [value, file] : handles_) {
    if (!(file.id == id)) continue;
    if (conflicts(access, file.shareMode) || conflicts(file.access, shareMode)) return false;
  }
  return true;
}

// A move or delete needs every open handle of the file to share deletion.
bool PosixFileSystem::HeldWithoutDeleteSharing(const FileId& id) const {
  for (const auto& [value, file] : handles_) {
    if (file.id == id && !(file.shareMode & kFileShareDelete)) return true;
  }
  return false;
}

PosixFileSystem::OpenFile* PosixFileSystem::Find(win::HANDLE handle) {
  const auto found = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found != handles_.end()) return &found->second;
  Fail(win::kErrorInvalidHandle);
  return nullptr;
}

// Handle values are never reused, so a handle closed twice stays invalid.
win::HANDLE PosixFileSystem::Register(const OpenFile& file) {
  const std::uintptr_t value = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(value, file);
  return HandleFromValue(value);
}

bool PosixFileSystem::Fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

bool PosixFileSystem::FailFromErrno() { return Fail(ErrorFromErrno(errno)); }
