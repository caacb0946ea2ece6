#include "inf/FileNames.h"

namespace {

// The temporary file's extension, with the dot that a name without one gets.
constexpr char kDotTmp[] = ".tmp";
constexpr const char* kTmp = kDotTmp + 1;

bool IsPathSeparator(char byte) { return byte == '\\' || byte == '/' || byte == ':'; }

std::size_t FileNameStart(const Text& fullPath) {
  std::size_t start = fullPath.Length();
  while (start > 0 && !IsPathSeparator(fullPath[start - 1])) --start;
  return start;
}

// Position of the dot that starts the extension of the file-name part, or
// Text::kNotFound.
std::size_t ExtensionDot(const Text& fullPath) {
  const std::size_t dot = fullPath.FindLast('.');
  if (dot == Text::kNotFound || dot < FileNameStart(fullPath)) return Text::kNotFound;
  return dot;
}

bool ExtensionIsTmp(const Text& fullPath, std::size_t dot) {
  if (fullPath.Length() - dot - 1 != 3) return false;
  for (std::size_t i = 0; i < 3; ++i) {
    if (LowerAscii(fullPath[dot + 1 + i]) != kTmp[i]) return false;
  }
  return true;
}

// The path up to and including the extension's dot (or the whole path and a
// dot of its own when it has none), followed by `extension`.
bool ReplaceExtension(const Text& fullPath, const char* extension, Text& result) {
  const std::size_t dot = ExtensionDot(fullPath);
  if (dot == Text::kNotFound) {
    return result.Assign(fullPath) && result.Append('.') && result.Append(extension);
  }
  return result.Assign(fullPath.Data(), dot + 1) && result.Append(extension);
}

}  // namespace

bool MakeTempPath(const Text& fullPath, Text& tempPath) {
  const std::size_t dot = ExtensionDot(fullPath);
  if (dot != Text::kNotFound && ExtensionIsTmp(fullPath, dot)) {
    return tempPath.Assign(fullPath) && tempPath.Append(kDotTmp);
  }
  return ReplaceExtension(fullPath, kTmp, tempPath);
}

bool MakeBackupBase(const Text& fullPath, Text& backupBase) {
  return ReplaceExtension(fullPath, "OR", backupBase);
}

bool MakeBackupName(const Text& backupBase, int number, Text& backupName) {
  return backupName.Assign(backupBase) && backupName.Append(static_cast<char>('0' + number));
}
