#include "inf/InfFiles.h"

#include <new>

#include "inf/FileNames.h"

namespace {

bool IsOpen(win::HANDLE file) { return file != nullptr && file != win::InvalidHandleValue(); }

// The creation time in whole seconds, or the last-write time where the file
// system keeps no creation time.
std::int32_t AgeStamp(const win::FileStatus& status) {
  return status.creationTime != 0 ? status.creationTime : status.lastWriteTime;
}

// The record's buffer is kept from line to line, so it grows only for a
// longer line.
bool WriteLines(FileServices& files, win::HANDLE file, const LineList& lines) {
  Text record;
  for (LineList::Position at = lines.First(); at != nullptr; at = LineList::Next(at)) {
    record.Clear();
    if (!record.Append(LineList::At(at)) || !record.Append(kLineEnd, kLineEndLength)) return false;
    const auto length = static_cast<std::uint32_t>(record.Length());
    std::uint32_t written = 0;
    if (!files.WriteFile(file, record.Data(), length, &written) || written != length) return false;
  }
  return true;
}

// A move changes the directory only in the file system's cache, where a
// FAT driver keeps the moved file's new entry without its clusters and size
// until it writes the file out, and may write the old entry's removal
// first. Putting the moved file on the disk writes its whole entry now. A
// file that cannot be opened to write (a read-only one) is left to the
// cache: the move itself is done.
bool PutEntryOnDisk(FileServices& files, const Text& path) {
  const win::HANDLE file = files.CreateFileA(path.Data(), win::kGenericWrite, 0, win::kOpenExisting,
                                             win::kFileAttributeNormal);
  if (!IsOpen(file)) return true;
  const bool flushed = files.FlushFileBuffers(file);
  return files.CloseHandle(file) && flushed;
}

}  // namespace

bool IsDirectory(const win::FileStatus& status) {
  return (status.attributes & win::kFileAttributeDirectory) != 0;
}

// Asking for one byte more than the size tells a file that changed since its
// size was taken.
bool ReadWholeFile(FileServices& files, const Text& path, std::uint32_t size, Text& text) {
  if (size == ~std::uint32_t{0}) return false;
  char* buffer = new (std::nothrow) char[std::size_t{size} + 1];
  if (buffer == nullptr) return false;
  const win::HANDLE file = files.CreateFileA(path.Data(), win::kGenericRead, 0, win::kOpenExisting,
                                             win::kFileAttributeNormal);
  bool complete = false;
  if (IsOpen(file)) {
    std::uint32_t read = 0;
    complete = files.ReadFile(file, buffer, size + 1, &read) && read == size;
    complete = files.CloseHandle(file) && complete;
  }
  complete = complete && text.Assign(buffer, size);
  delete[] buffer;
  return complete;
}

// The text is put on the disk before anything is moved: the run asks for a
// restart seconds later.
bool WriteTemporaryFile(FileServices& files, const Text& tempPath, const LineList& lines) {
  const win::HANDLE file = files.CreateFileA(tempPath.Data(), win::kGenericWrite, 0,
                                             win::kCreateAlways, win::kFileAttributeNormal);
  if (!IsOpen(file)) return false;
  const bool written = WriteLines(files, file, lines) && files.FlushFileBuffers(file);
  const bool closed = files.CloseHandle(file);
  if (written && closed) return true;
  // A partial text is of no use.
  files.DeleteFileA(tempPath.Data());
  return false;
}

// The move refuses a file that holds text, so that it is never written over:
// the new text then stays at the temporary name. An empty file makes room,
// and is put back when the move fails.
bool MoveIntoFreeName(FileServices& files, const Text& tempPath, const Text& path) {
  win::FileStatus status = {};
  const bool emptyFile =
      files.QueryFileStatus(path.Data(), &status) && status.size == 0 && !IsDirectory(status);
  if (emptyFile && !files.DeleteFileA(path.Data())) return false;
  if (files.MoveFileA(tempPath.Data(), path.Data())) return PutEntryOnDisk(files, path);
  if (!emptyFile) return false;
  const win::HANDLE file = files.CreateFileA(path.Data(), win::kGenericWrite, 0, win::kCreateNew,
                                             win::kFileAttributeNormal);
  if (IsOpen(file)) files.CloseHandle(file);
  return false;
}

// The INF file must not go missing: when the new text cannot take its place,
// the old file goes back under its own name.
bool ReplaceThroughBackup(FileServices& files, const Text& path, const Text& tempPath,
                          const Text& backupName) {
  if (!files.MoveFileA(path.Data(), backupName.Data())) return false;
  const bool backupOnDisk = PutEntryOnDisk(files, backupName);
  if (files.MoveFileA(tempPath.Data(), path.Data())) {
    return PutEntryOnDisk(files, path) && backupOnDisk;
  }
  files.MoveFileA(backupName.Data(), path.Data());
  return false;
}

BackupSearch FindFreeBackupName(FileServices& files, const Text& path, Text& backupName) {
  Text backupBase;
  if (!MakeBackupBase(path, backupBase)) return BackupSearch::kOutOfMemory;
  for (int number = 0; number < kBackupCount; ++number) {
    if (!MakeBackupName(backupBase, number, backupName)) return BackupSearch::kOutOfMemory;
    win::FileStatus status = {};
    if (!files.QueryFileStatus(backupName.Data(), &status)) return BackupSearch::kFree;
  }
  return BackupSearch::kAllTaken;
}

// The rounds run from X.OR8 down to X.OR0, and only an older time replaces
// the name already chosen, so that the highest number goes among equals.
BackupSearch FreeOldestBackupName(FileServices& files, const Text& path, Text& backupName) {
  win::FileStatus chosen = {};
  if (!files.QueryFileStatus(backupName.Data(), &chosen)) return BackupSearch::kFree;
  Text backupBase;
  if (!MakeBackupBase(path, backupBase)) return BackupSearch::kOutOfMemory;
  Text candidate;
  for (int number = kBackupCount - 2; number >= 0; --number) {
    if (!MakeBackupName(backupBase, number, candidate)) return BackupSearch::kOutOfMemory;
    win::FileStatus status = {};
    const bool taken = files.QueryFileStatus(candidate.Data(), &status);
    if (!taken || AgeStamp(chosen) > AgeStamp(status)) {
      backupName = static_cast<Text&&>(candidate);
      chosen = status;
    }
    if (!taken) return BackupSearch::kFree;
  }
  return files.DeleteFileA(backupName.Data()) ? BackupSearch::kFree : BackupSearch::kAllTaken;
}
