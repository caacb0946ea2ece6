// Names that the store derives from an INF file's full path: the temporary
// file that a save writes first, and the numbered backups. Only the file-name
// part is looked at, so that a dot in a directory name is never taken for
// the extension. Each gives false when no memory was left.
#pragma once

#include "base/Text.h"

// …\INF\mshdc.inf gives …\INF\mshdc.tmp; a name without a dot gets ".tmp"
// appended, and so does a name whose extension is already "tmp" (any case),
// so that the temporary file is never the file itself.
bool MakeTempPath(const Text& fullPath, Text& tempPath);

// …\INF\mshdc.inf gives …\INF\mshdc.OR; a name without a dot gets ".OR".
bool MakeBackupBase(const Text& fullPath, Text& backupBase);

// The backup base followed by `number` (0 to 9) as one digit.
bool MakeBackupName(const Text& backupBase, int number, Text& backupName);
