#include "host/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
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
  std::int64_t lastWriteTime;

  bool IsDirectory() const { return S_ISDIR(mode); }
  bool IsReadOnly() const { return (mode & 0222) == 0; }
};

namespace {

constexpr mode_t kNormalMode = 0644;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

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
// The exact spelling is looked for first, as reading the folder costs every
// call as much as the folder holds.
std::string FindSpelling(const std::string& folder, const std::string& name) {
  struct stat exact {};
  if (stat((folder + '/' + name).c_str(), &exact) == 0) return name;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return name;
  std::vector<std::string> matches;
  // The C locale folds the letters A to Z alone, as FAT does.
  while (const dirent* entry = readdir(dir)) {
    if (strcasecmp(name.c_str(), entry->d_name) == 0) matches.emplace_back(entry->d_name);
  }
  closedir(dir);
  if (matches.empty() || std::find(matches.begin(), matches.end(), name) != matches.end()) {
    return name;
  }
  return *std::min_element(matches.begin(), matches.end());
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

}  // namespace

PosixFileSystem::PosixFileSystem(const std::string& root) : root_(root) {}

PosixFileSystem::~PosixFileSystem() {
  for (const auto& [value, file] : handles_) close(file.descriptor);
}

bool PosixFileSystem::SetReadOnly(const char* path, bool readOnly) {
  const auto real = MapPath(path);
  const auto entry = real ? Inspect(*real) : std::nullopt;
  if (!entry) return false;
  const mode_t permissions = entry->mode & 07777;
  const mode_t mode = readOnly ? permissions & ~mode_t{0222} : permissions | S_IWUSR;
  return chmod(real->c_str(), mode) == 0;
}

// Win32's result rules: the length without the terminator when the text
// fits, otherwise the size needed with the terminator and the buffer as it
// was.
std::uint32_t PosixFileSystem::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  static constexpr char kWindowsDirectory[] = "C:\\WINDOWS";
  constexpr std::uint32_t kLength = sizeof kWindowsDirectory - 1;
  if (buffer == nullptr || size <= kLength) return kLength + 1;
  std::memcpy(buffer, kWindowsDirectory, kLength + 1);
  return kLength;
}

bool PosixFileSystem::QueryFileStatus(const char* path, win::FileStatus* status) {
  const auto real = MapPath(path);
  const auto entry = real ? Inspect(*real) : std::nullopt;
  if (!entry) return false;
  std::uint32_t attributes = 0;
  if (entry->IsReadOnly()) attributes |= win::kFileAttributeReadonly;
  if (entry->IsDirectory()) attributes |= win::kFileAttributeDirectory;
  status->size = static_cast<std::uint32_t>(entry->size);
  status->attributes = attributes == 0 ? win::kFileAttributeNormal : attributes;
  status->lastWriteTime = Seconds(entry->lastWriteTime);
  status->creationTime = status->lastWriteTime;
  return true;
}

// Sharing is not kept, as the updater opens every file alone; every file is
// made with the normal attribute, the only one the updater asks for.
win::HANDLE PosixFileSystem::CreateFileA(const char* path, std::uint32_t access,
                                         std::uint32_t /*shareMode*/, std::uint32_t disposition,
                                         std::uint32_t /*attributes*/) {
  const win::HANDLE failed = win::InvalidHandleValue();
  const bool createsNew = disposition == win::kCreateNew;
  const bool creates = createsNew || disposition == win::kCreateAlways;
  if (!creates && disposition != win::kOpenExisting) return failed;
  const auto real = MapPath(path);
  if (!real) return failed;
  if (const auto entry = Inspect(*real)) {
    const bool writes = creates || (access & win::kGenericWrite) != 0;
    if (createsNew || entry->IsDirectory() || (writes && entry->IsReadOnly())) return failed;
  }
  const int flags = OpenFlags(access) | O_CLOEXEC | (createsNew ? O_CREAT | O_EXCL : 0) |
                    (creates && !createsNew ? O_CREAT | O_TRUNC : 0);
  const int descriptor = open(real->c_str(), flags, kNormalMode);
  if (descriptor < 0) return failed;
  const std::uintptr_t value = nextHandle_;
  // Handle values are never reused, so a handle closed twice stays invalid.
  nextHandle_ += 4;
  handles_.emplace(value, OpenFile{descriptor, access});
  return reinterpret_cast<win::HANDLE>(value);
}

bool PosixFileSystem::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                               std::uint32_t* read) {
  OpenFile* open = Find(file);
  if (open == nullptr || read == nullptr) return false;
  *read = 0;
  if ((open->access & win::kGenericRead) == 0) return false;
  auto* bytes = static_cast<char*>(buffer);
  while (*read < toRead) {
    const ssize_t moved = ::read(open->descriptor, bytes + *read, toRead - *read);
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0) return false;
    if (moved == 0) break;
    *read += static_cast<std::uint32_t>(moved);
  }
  return true;
}

bool PosixFileSystem::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                                std::uint32_t* written) {
  OpenFile* open = Find(file);
  if (open == nullptr || written == nullptr) return false;
  *written = 0;
  if ((open->access & win::kGenericWrite) == 0) return false;
  const auto* bytes = static_cast<const char*>(buffer);
  while (*written < toWrite) {
    const ssize_t moved = ::write(open->descriptor, bytes + *written, toWrite - *written);
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) return false;
    *written += static_cast<std::uint32_t>(moved);
  }
  return true;
}

bool PosixFileSystem::FlushFileBuffers(win::HANDLE file) {
  OpenFile* open = Find(file);
  return open != nullptr && (open->access & win::kGenericWrite) != 0 &&
         fsync(open->descriptor) == 0;
}

bool PosixFileSystem::CloseHandle(win::HANDLE handle) {
  OpenFile* open = Find(handle);
  if (open == nullptr) return false;
  const int descriptor = open->descriptor;
  handles_.erase(reinterpret_cast<std::uintptr_t>(handle));
  return close(descriptor) == 0;
}

bool PosixFileSystem::MoveFileA(const char* existing, const char* target) {
  const auto from = MapPath(existing);
  const auto to = MapPath(target);
  if (!from || !to || !Inspect(*from) || Inspect(*to)) return false;
  return rename(from->c_str(), to->c_str()) == 0;
}

bool PosixFileSystem::DeleteFileA(const char* path) {
  const auto real = MapPath(path);
  const auto entry = real ? Inspect(*real) : std::nullopt;
  if (!entry || entry->IsDirectory() || entry->IsReadOnly()) return false;
  return unlink(real->c_str()) == 0;
}

// The real path of a Windows path: every folder on the way must exist, and
// each name takes the spelling it has on disk.
std::optional<std::string> PosixFileSystem::MapPath(const char* path) const {
  if (path == nullptr || std::strlen(path) >= win::kMaxPath) return std::nullopt;
  const auto names = SplitDrivePath(path);
  if (!names) return std::nullopt;
  std::string real = root_;
  for (std::size_t i = 0; i < names->size(); ++i) {
    const bool isFolder = i + 1 < names->size();
    real += '/' + FindSpelling(real, (*names)[i]);
    struct stat folder {};
    if (isFolder && (stat(real.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))) {
      return std::nullopt;
    }
  }
  return real;
}

// What the file system knows of an entry; nothing when there is no entry of
// that name.
std::optional<PosixFileSystem::Entry> PosixFileSystem::Inspect(const std::string& realPath) {
  struct stat info {};
  if (stat(realPath.c_str(), &info) != 0) return std::nullopt;
  return Entry{info.st_mode, static_cast<std::uint64_t>(info.st_size), info.st_mtime};
}

PosixFileSystem::OpenFile* PosixFileSystem::Find(win::HANDLE handle) {
  const auto found = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == handles_.end() ? nullptr : &found->second;
}
