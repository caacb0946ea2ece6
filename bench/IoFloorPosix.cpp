#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/IoFloor.h"

namespace {

constexpr char kInfDir[] = "C:\\WINDOWS\\INF\\";

std::string Stem(const std::string& name) { return name.substr(0, name.rfind('.') + 1); }

// Calls `write` with each line of `text` and its CR LF; a last line without
// one goes as it is.
template <typename Write>
bool WriteByLines(const std::string& text, Write write) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    const std::size_t next = end == std::string::npos ? text.size() : end + 2;
    if (!write(text.data() + start, next - start)) return false;
    start = next;
  }
  return true;
}

// Opens the moved file to write and flushes it, so that its directory entry
// is on the disk, as the save does after each of its two moves.
bool PutHostEntryOnDisk(HostServices& host, const std::string& path) {
  const win::HANDLE handle = host.files.CreateFileA(path.c_str(), win::kGenericWrite, 0,
                                                    win::kOpenExisting, win::kFileAttributeNormal);
  if (handle == win::InvalidHandleValue()) return false;
  const bool flushed = host.files.FlushFileBuffers(handle);
  return host.files.CloseHandle(handle) && flushed;
}

bool HostFileFloor(HostServices& host, const StockInf& file, const StockInf& updated) {
  const std::string path = kInfDir + file.name;
  const std::string temp = kInfDir + Stem(file.name) + "tmp";
  const std::string backup = kInfDir + Stem(file.name) + "OR0";
  win::FileStatus status = {};
  if (!host.files.QueryFileStatus(path.c_str(), &status)) return false;
  std::string text(status.size + 1, '\0');
  std::uint32_t read = 0;
  win::HANDLE handle = host.files.CreateFileA(path.c_str(), win::kGenericRead, 0,
                                              win::kOpenExisting, win::kFileAttributeNormal);
  if (handle == win::InvalidHandleValue()) return false;
  const bool whole =
      host.files.ReadFile(handle, text.data(), static_cast<std::uint32_t>(text.size()), &read);
  if (!host.files.CloseHandle(handle) || !whole || read != file.bytes.size()) return false;
  handle = host.files.CreateFileA(temp.c_str(), win::kGenericWrite, 0, win::kCreateAlways,
                                  win::kFileAttributeNormal);
  if (handle == win::InvalidHandleValue()) return false;
  const bool written = WriteByLines(updated.bytes, [&](const char* bytes, std::size_t count) {
    std::uint32_t done = 0;
    return host.files.WriteFile(handle, bytes, static_cast<std::uint32_t>(count), &done) &&
           done == count;
  });
  const bool flushed = written && host.files.FlushFileBuffers(handle);
  if (!host.files.CloseHandle(handle) || !flushed) return false;
  return !host.files.QueryFileStatus(backup.c_str(), &status) &&
         host.files.MoveFileA(path.c_str(), backup.c_str()) && PutHostEntryOnDisk(host, backup) &&
         host.files.MoveFileA(temp.c_str(), path.c_str()) && PutHostEntryOnDisk(host, path);
}

bool PutRawEntryOnDisk(const std::string& path, bool flush) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool flushed = !flush || fsync(descriptor) == 0;
  return close(descriptor) == 0 && flushed;
}

bool RawFileFloor(const std::filesystem::path& infDir, const StockInf& file,
                  const StockInf& updated, bool flush) {
  const std::string path = (infDir / file.name).string();
  const std::string temp = (infDir / (Stem(file.name) + "tmp")).string();
  const std::string backup = (infDir / (Stem(file.name) + "OR0")).string();
  struct stat status = {};
  if (stat(path.c_str(), &status) != 0) return false;
  std::string text(static_cast<std::size_t>(status.st_size) + 1, '\0');
  int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const ssize_t read = ::read(descriptor, text.data(), text.size());
  if (close(descriptor) != 0 || read != static_cast<ssize_t>(file.bytes.size())) return false;
  descriptor = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) return false;
  const bool written = WriteByLines(updated.bytes, [&](const char* bytes, std::size_t count) {
    return write(descriptor, bytes, count) == static_cast<ssize_t>(count);
  });
  const bool flushed = written && (!flush || fsync(descriptor) == 0);
  if (close(descriptor) != 0 || !flushed) return false;
  return stat(backup.c_str(), &status) != 0 && std::rename(path.c_str(), backup.c_str()) == 0 &&
         PutRawEntryOnDisk(backup, flush) && std::rename(temp.c_str(), path.c_str()) == 0 &&
         PutRawEntryOnDisk(path, flush);
}

}  // namespace

bool HostIoFloor(HostServices& host, const std::vector<StockInf>& files,
                 const std::vector<StockInf>& updated) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!HostFileFloor(host, files[i], updated[i])) return false;
  }
  return true;
}

bool RawIoFloor(const std::filesystem::path& infDir, const std::vector<StockInf>& files,
                const std::vector<StockInf>& updated, bool flush) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!RawFileFloor(infDir, files[i], updated[i], flush)) return false;
  }
  return true;
}
