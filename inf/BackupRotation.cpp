// Numbered backups: X.OR0 to X.OR9 beside each INF file. A save takes the
// lowest free number; when all ten are taken, the oldest backup is deleted
// and its name reused.
#include "engine/InfUpdater.h"
#include "inf/FileNames.h"
#include "inf/InfFiles.h"

namespace {

// The creation time in whole seconds, or the last-write time where the file
// system keeps no creation time.
std::int32_t AgeStamp(const win::FileStatus& status) {
  return status.creationTime != 0 ? status.creationTime : status.lastWriteTime;
}

}  // namespace

// A name is taken when a file or a directory of that name exists.
bool InfUpdater::PickBackupName(Text& backupName) {
  const BackupSearch search = FindFreeBackupName(host.files, path, backupName);
  if (search == BackupSearch::kOutOfMemory) {
    FailForMemory();
    return false;
  }
  if (search == BackupSearch::kFree) return true;
  RotateBackups(backupName);
  return error == 0;
}

// Among backups of the same age the highest number goes: an equal time never
// replaces the name already chosen. A backup that vanished since the names
// were found taken is a free name, and nothing is deleted for it.
void InfUpdater::RotateBackups(Text& backupName) {
  win::FileStatus chosen = {};
  if (!host.files.QueryFileStatus(backupName.Data(), &chosen)) return;
  Text backupBase;
  Text candidate;
  if (!backupBase.Assign(backupName.Data(), backupName.Length() - 1)) {
    FailForMemory();
    return;
  }
  for (int number = kBackupCount - 2; number >= 0; --number) {
    if (!MakeBackupName(backupBase, number, candidate)) {
      FailForMemory();
      return;
    }
    win::FileStatus status = {};
    const bool taken = host.files.QueryFileStatus(candidate.Data(), &status);
    if (!taken || AgeStamp(chosen) > AgeStamp(status)) {
      backupName = static_cast<Text&&>(candidate);
      chosen = status;
    }
    if (!taken) return;
  }
  if (!host.files.DeleteFileA(backupName.Data())) error = 1;
}
