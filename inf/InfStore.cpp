// The INF file store: the INF directory, loading an INF file into lines cut
// at CR LF, and writing it back through a temporary file, keeping the old
// file under a numbered backup name.
#include <new>

#include "engine/InfUpdater.h"
#include "inf/FileNames.h"

namespace {

constexpr char kInfFolder[] = "\\INF\\";
constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kLineEndLength = 2;

bool IsOpen(win::HANDLE file) { return file != nullptr && file != win::InvalidHandleValue(); }

// Reads the whole file of `size` bytes in one read. Asking for one byte more
// than the size tells a file that changed since its size was taken.
bool ReadWholeFile(HostServices& host, const Text& path, std::uint32_t size, Text& text) {
  if (size == ~std::uint32_t{0}) return false;
  char* buffer = new (std::nothrow) char[std::size_t{size} + 1];
  if (buffer == nullptr) return false;
  const win::HANDLE file = host.CreateFileA(path.Data(), win::kGenericRead, 0, win::kOpenExisting,
                                            win::kFileAttributeNormal);
  bool complete = false;
  if (IsOpen(file)) {
    std::uint32_t read = 0;
    complete = host.ReadFile(file, buffer, size + 1, &read) && read == size;
    complete = host.CloseHandle(file) && complete;
  }
  complete = complete && text.Assign(buffer, size);
  delete[] buffer;
  return complete;
}

// Writes every line followed by CR LF, one write per line. The record's
// buffer is kept from line to line, so it grows only for a longer line.
bool WriteLines(HostServices& host, win::HANDLE file, const LineList& lines) {
  Text record;
  for (LineList::Position at = lines.First(); at != nullptr; at = LineList::Next(at)) {
    record.Clear();
    if (!record.Append(LineList::At(at)) || !record.Append(kLineEnd, kLineEndLength)) return false;
    const auto length = static_cast<std::uint32_t>(record.Length());
    std::uint32_t written = 0;
    if (!host.WriteFile(file, record.Data(), length, &written) || written != length) return false;
  }
  return true;
}

bool IsDirectory(const win::FileStatus& status) {
  return (status.attributes & win::kFileAttributeDirectory) != 0;
}

// Moves the new text of a file that was missing or empty to the file's own
// name. The move refuses a file that holds text, so that it is never written
// over: the new text then stays at the temporary name. An empty file makes
// room, and is put back when the move fails.
bool MoveIntoFreeName(HostServices& host, const Text& tempPath, const Text& path) {
  win::FileStatus status = {};
  const bool emptyFile =
      host.QueryFileStatus(path.Data(), &status) && status.size == 0 && !IsDirectory(status);
  if (emptyFile && !host.DeleteFileA(path.Data())) return false;
  if (host.MoveFileA(tempPath.Data(), path.Data())) return true;
  if (!emptyFile) return false;
  const win::HANDLE file = host.CreateFileA(path.Data(), win::kGenericWrite, 0, win::kCreateNew,
                                            win::kFileAttributeNormal);
  if (IsOpen(file)) host.CloseHandle(file);
  return false;
}

}  // namespace

// A failed query, or a directory too long for the buffer, leaves `infDir`
// empty.
void InfUpdater::SetInfDir() {
  char directory[win::kMaxPath] = {};
  const std::uint32_t reported = host.GetWindowsDirectoryA(directory, win::kMaxPath);
  if (reported == 0 || reported >= win::kMaxPath) return;
  std::size_t length = 0;
  while (length < reported && directory[length] != '\0') ++length;
  if (!infDir.Assign(directory, length) || !infDir.Append(kInfFolder)) infDir.Clear();
}

// A failed status query means a missing file. A directory under the name is
// no INF file. Every failure to read leaves no document and `error` at 1, so
// that nothing is saved.
void InfUpdater::LoadInf(const Text& fileName) {
  error = 0;
  existed = 0;
  ReleaseDocument();
  if (infDir.IsEmpty()) {
    error = 1;
    return;
  }
  Text fullPath;
  if (!fullPath.Assign(infDir) || !fullPath.Append(fileName)) {
    FailForMemory();
    return;
  }
  win::FileStatus status = {};
  const bool found = host.QueryFileStatus(fullPath.Data(), &status);
  if (found && IsDirectory(status)) {
    error = 1;
    return;
  }
  const bool hasText = found && status.size > 0;
  // Every new text goes through the temporary name, so that the file's own
  // name never holds a part of it, and a file that the query did not see is
  // never overwritten.
  Text writePath;
  const bool named = MakeTempPath(fullPath, writePath);
  lines = new (std::nothrow) LineList;
  if (!named || lines == nullptr) {
    ReleaseDocument();
    FailForMemory();
    return;
  }
  if (hasText && !ReadDocument(fullPath, status.size)) {
    ReleaseDocument();
    error = 1;
    return;
  }
  existed = hasText ? 1 : 0;
  path = static_cast<Text&&>(fullPath);
  tempPath = static_cast<Text&&>(writePath);
}

// A file that holds a zero byte is no INF text: it is refused whole rather
// than cut short and rewritten.
bool InfUpdater::ReadDocument(const Text& fullPath, std::uint32_t size) {
  Text text;
  if (!ReadWholeFile(host, fullPath, size, text)) return false;
  if (text.Find('\0') != Text::kNotFound) return false;
  SplitLines(text);
  return error == 0;
}

void InfUpdater::SplitLines(const Text& text) {
  if (lines == nullptr) {
    error = 1;
    return;
  }
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.Find(kLineEnd, kLineEndLength, start);
    if (end == Text::kNotFound) end = text.Length();
    Text line;
    if (!line.Assign(text.Data() + start, end - start) || lines->Append(line) == nullptr) {
      FailForMemory();
      return;
    }
    if (end == text.Length()) return;
    start = end + kLineEndLength;
  }
}

// The old file is never opened to write: it stays whole under its own name
// until the new text is complete on disk, then under its backup name.
void InfUpdater::SaveInf() {
  error = 0;
  if (lines == nullptr || !WriteDocument()) {
    error = 1;
    return;
  }
  if (existed == 0) {
    if (!MoveIntoFreeName(host, tempPath, path)) error = 1;
    return;
  }
  Text backupName;
  if (!PickBackupName(backupName)) return;
  if (!host.MoveFileA(path.Data(), backupName.Data())) {
    error = 1;
    return;
  }
  if (host.MoveFileA(tempPath.Data(), path.Data())) return;
  // The INF file must not go missing: the old file goes back under its own
  // name, and the new text stays at the temporary path.
  host.MoveFileA(backupName.Data(), path.Data());
  error = 1;
}

// Writes the lines to `tempPath` and puts them on the disk before anything
// is moved: the run asks for a restart seconds later.
bool InfUpdater::WriteDocument() {
  const win::HANDLE file = host.CreateFileA(tempPath.Data(), win::kGenericWrite, 0,
                                            win::kCreateAlways, win::kFileAttributeNormal);
  if (!IsOpen(file)) return false;
  const bool written = WriteLines(host, file, *lines) && host.FlushFileBuffers(file);
  const bool closed = host.CloseHandle(file);
  if (written && closed) return true;
  // A partial text is of no use.
  host.DeleteFileA(tempPath.Data());
  return false;
}
