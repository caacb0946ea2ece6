// The INF file store: the INF directory, loading an INF file into lines cut
// at CR LF, and writing it back through a temporary file, keeping the old
// file under a numbered backup name: the lowest free one of X.OR0 to X.OR9,
// or, when all ten are taken, the oldest backup's, which is deleted first.
#include <new>

#include "engine/InfUpdater.h"
#include "inf/FileNames.h"
#include "inf/InfFiles.h"

namespace {

constexpr char kInfFolder[] = "\\INF\\";

// Lines as the text is cut at CR LF (a final CR LF gives one more, empty),
// or none for a text that holds a zero byte. One pass without a branch per
// byte, so that it costs little beside the cut.
std::size_t LineCount(const Text& text) {
  std::size_t ends = 0;
  bool zero = false;
  char previous = '\0';
  for (std::size_t i = 0; i < text.Length(); ++i) {
    const char byte = text[i];
    ends += static_cast<std::size_t>(byte == kLineEnd[1] && previous == kLineEnd[0]);
    zero |= byte == '\0';
    previous = byte;
  }
  return zero ? 0 : ends + 1;
}

// Where the line that starts at `start` ends: at the next CR LF, or at the
// text's end. Line feeds are rarer than the bytes that a search for the pair
// would compare.
std::size_t LineEnd(const Text& text, std::size_t start) {
  for (std::size_t at = text.Find(kLineEnd[1], start); at != Text::kNotFound;
       at = text.Find(kLineEnd[1], at + 1)) {
    if (at > start && text[at - 1] == kLineEnd[0]) return at - 1;
  }
  return text.Length();
}

}  // namespace

// A failed query, or a directory too long for the buffer, leaves `infDir`
// empty.
void InfUpdater::SetInfDir() {
  char directory[win::kMaxPath] = {};
  const std::uint32_t reported = host.files.GetWindowsDirectoryA(directory, win::kMaxPath);
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
  const bool found = host.files.QueryFileStatus(fullPath.Data(), &status);
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

bool InfUpdater::ReadDocument(const Text& fullPath, std::uint32_t size) {
  Text text;
  if (!ReadWholeFile(host.files, fullPath, size, text)) return false;
  SplitLines(text);
  return error == 0;
}

// A text that holds a zero byte is no INF text: it is refused whole rather
// than cut short and rewritten.
void InfUpdater::SplitLines(const Text& text) {
  const std::size_t count = LineCount(text);
  if (lines == nullptr || count == 0) {
    error = 1;
    return;
  }
  if (!lines->ReserveIndex(count)) {
    FailForMemory();
    return;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = LineEnd(text, start);
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
  if (lines == nullptr || !WriteTemporaryFile(host.files, tempPath, *lines)) {
    error = 1;
    return;
  }
  if (existed == 0) {
    if (!MoveIntoFreeName(host.files, tempPath, path)) error = 1;
    return;
  }
  Text backupName;
  if (!PickBackupName(backupName)) return;
  if (!ReplaceThroughBackup(host.files, path, tempPath, backupName)) error = 1;
}

// A name is taken when a file or a directory of that name exists. SaveInf
// calls this with `error` at 0.
bool InfUpdater::PickBackupName(Text& backupName) {
  const BackupSearch search = FindFreeBackupName(host.files, path, backupName);
  if (search == BackupSearch::kAllTaken) RotateBackups(backupName);
  if (search == BackupSearch::kOutOfMemory) FailForMemory();
  return error == 0;
}

void InfUpdater::RotateBackups(Text& backupName) {
  const BackupSearch search = FreeOldestBackupName(host.files, path, backupName);
  if (search == BackupSearch::kOutOfMemory) FailForMemory();
  if (search == BackupSearch::kAllTaken) error = 1;
}
