// The INF store's file mechanics: the whole-file read, the line writes, the
// replacement through the temporary file, the search for a free backup name
// and the rotation that frees the oldest, over the host's file services.
//
// The promise. At every moment the file's own name X.inf holds its complete
// old text or its complete new text, never a part of either, and no text is
// written over in place. A backup X.OR0 to X.OR9 that was there stays byte
// for byte as it was, except the oldest, which a save drops when all ten
// names are taken. The temporary name X.tmp holds nothing, or a whole new
// text that a failed save left there.
//
// A save of a file that held text goes through these states:
//
//   before      X.inf old text    X.tmp anything   X.ORn free (or the oldest)
//   written     X.inf old text    X.tmp new text   (created afresh, put on
//                                                   the disk, closed)
//   rotated     only when all ten names are taken: the oldest backup (the
//               earliest creation time; the highest number among equals) is
//               deleted, and its name is X.ORn
//   backed up   X.inf absent      X.tmp new text   X.ORn old text (its
//                                                  entry put on the disk)
//   after       X.inf new text    X.tmp absent     X.ORn old text (the
//               entry of X.inf put on the disk)
//
// "backed up" is the one moment without X.inf: Windows 95 has no atomic
// replace, so there is an instant between the two moves, with both texts
// whole on disk. A file that was missing or empty gets no backup: its new
// text is written to X.tmp as above; an empty X.inf makes room just before
// X.tmp moves to X.inf, and a move never writes over a file that is there.
//
// What a failed step leaves (the save then reports failure):
//   - creating, writing, putting on the disk or closing X.tmp: X.inf as it
//     was; X.tmp is deleted again;
//   - the delete of the oldest backup, or the move of X.inf to X.ORn: X.inf
//     as it was, the new text under X.tmp;
//   - the move of X.tmp to X.inf: the old file moves back to X.inf and the
//     new text stays under X.tmp; when the way back fails too, the old text
//     is under X.ORn and the new under X.tmp;
//   - putting a moved file's entry on the disk (its flush or close): the
//     moves go on, and the save ends as after them;
//   - for a missing or empty file, the move of X.tmp to X.inf: the empty
//     file is made again (CREATE_NEW, which never opens a file that is
//     there), the new text stays under X.tmp.
// The promise holds on the disk, not only between the calls: a FAT driver
// writes its cache in an order of its own, and keeps a moved file's new
// entry without its clusters until the file is written out, so every step
// that the next one stands on is put on the disk before the next begins. A
// power cut after any step leaves one of the states above; what the file
// system itself leaves while it writes one step (a rename's two entries in
// two sectors) the README counts.
//
// A failed status query is how the host says "no such file". Every function
// closes what it opened, on every path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Text.h"
#include "host/FileServices.h"
#include "inf/LineList.h"

// Every line of an INF file ends with CR LF.
inline constexpr char kLineEnd[] = "\r\n";
inline constexpr std::size_t kLineEndLength = 2;

// X.OR0 to X.OR9: ten backup names per INF file.
inline constexpr int kBackupCount = 10;

bool IsDirectory(const win::FileStatus& status);

// Reads the whole file of `size` bytes in one read, opened without sharing.
// False when it cannot be opened or read, or when it no longer has that size.
bool ReadWholeFile(FileServices& files, const Text& path, std::uint32_t size, Text& text);

// Writes every line followed by CR LF, one write per line, to `tempPath`
// created afresh, and puts it on the disk before closing it. On failure the
// partial file is deleted again.
bool WriteTemporaryFile(FileServices& files, const Text& tempPath, const LineList& lines);

// The new text of a file that was missing or empty takes the file's own name.
bool MoveIntoFreeName(FileServices& files, const Text& tempPath, const Text& path);

// The old file moves to `backupName`, then the new text into its place.
bool ReplaceThroughBackup(FileServices& files, const Text& path, const Text& tempPath,
                          const Text& backupName);

// What a search for a backup name ends with: `backupName` free, all ten
// names still taken, or no memory left to make the names.
enum class BackupSearch : std::uint8_t { kFree, kAllTaken, kOutOfMemory };

// The lowest of X.OR0 to X.OR9 that no file or directory takes, for the
// file at `path`. When all are taken, `backupName` holds X.OR9.
BackupSearch FindFreeBackupName(FileServices& files, const Text& path, Text& backupName);

// With all ten names taken and `backupName` at X.OR9: deletes the oldest
// backup, by its creation time (its last-write time where the file system
// keeps none; the highest number among equals), and gives its name. A
// backup that vanished since the names were found taken is a free name,
// and nothing is deleted for it. kAllTaken when the delete failed.
BackupSearch FreeOldestBackupName(FileServices& files, const Text& path, Text& backupName);
