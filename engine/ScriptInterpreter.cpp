// The walk of an update plan: plans name file entries, file entries name an
// INF file and its section blocks. Every count and ID is cut by NextNumber.
#include "engine/InfUpdater.h"

namespace {

constexpr std::int64_t kLargestMagnitude = std::int64_t{1} << 31;

// The standard decimal conversion of the first `end` bytes: leading white
// space, an optional sign, then digits up to the first other byte. Values
// beyond 32 bits are held at the nearest 32-bit limit.
std::int32_t ParseDecimal(const Text& text, std::size_t end) {
  std::size_t i = 0;
  while (i < end && IsWhiteSpace(text[i])) ++i;
  const bool negative = i < end && text[i] == '-';
  if (i < end && (text[i] == '-' || text[i] == '+')) ++i;
  std::int64_t magnitude = 0;
  for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLargestMagnitude) magnitude = kLargestMagnitude;
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(magnitude < kLargestMagnitude ? magnitude
                                                                 : kLargestMagnitude - 1);
}

// Drops the first field, which ends at `end`, and the white space after it.
void DropFirstField(Text& script, std::size_t end) {
  script.EraseFront(end);
  script.TrimLeadingWhiteSpace();
}

}  // namespace

std::int32_t InfUpdater::NextNumber(Text& script) {
  error = 0;
  const std::size_t blank = FirstFieldEnd(script);
  if (blank == Text::kNotFound) return 0;
  const std::int32_t value = ParseDecimal(script, blank);
  if (value == 0) {
    error = 1;
    return 0;
  }
  DropFirstField(script, blank);
  return value;
}

// A blank goes after the last field, so that every field ends in one; only
// the blank separates fields, a tab does not.
std::size_t InfUpdater::FirstFieldEnd(Text& script) {
  if (!script.Append(' ')) {
    FailForMemory();
    return Text::kNotFound;
  }
  script.TrimLeadingWhiteSpace();
  const std::size_t blank = script.Find(' ');
  if (blank == Text::kNotFound) error = 1;
  return blank;
}

// An empty `infDir` means that the Windows directory could not be had: the
// plan then fails before any file is touched.
void InfUpdater::RunPlan(std::int32_t planId) {
  blockFailed = 0;
  outOfMemory = 0;
  Text plan;
  if (infDir.IsEmpty() || ReadString(planId, plan) != StringRead::kFound) {
    error = 1;
    return;
  }
  const std::int32_t count = NextNumber(plan);
  if (error != 0) return;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t entryId = NextNumber(plan);
    if (error != 0) return;
    ApplyFileEntry(entryId);
    if (error != 0) return;
  }
  if (blockFailed != 0) error = 1;
}

void InfUpdater::ApplyFileEntry(std::int32_t entryId) {
  Text entry;
  if (ReadString(entryId, entry) != StringRead::kFound) {
    error = 1;
    return;
  }
  Text fileName;
  if (!CutFileName(entry, fileName)) return;
  LoadInf(fileName);
  if (error != 0) return;
  if (!MergeBlocks(entry)) {
    ReleaseDocument();
    return;
  }
  SaveInf();
  ReleaseDocument();
}

// Cuts the file name, the entry's first field, from the front of `entry`.
bool InfUpdater::CutFileName(Text& entry, Text& fileName) {
  const std::size_t blank = FirstFieldEnd(entry);
  if (blank == Text::kNotFound) return false;
  if (!fileName.Assign(entry.Data(), blank)) {
    FailForMemory();
    return false;
  }
  DropFirstField(entry, blank);
  return true;
}

// Merges the entry's blocks into the loaded document. Gives false when the
// document must not be saved: the count or a block ID is bad, or memory ran
// out. A failed block only ends the entry's blocks: the document is saved
// with what was merged before it.
bool InfUpdater::MergeBlocks(Text& entry) {
  const std::int32_t count = NextNumber(entry);
  if (error != 0) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t blockId = NextNumber(entry);
    if (error != 0) return false;
    ApplySectionBlock(blockId);
    if (error == 0) continue;
    if (outOfMemory != 0) return false;
    blockFailed = 1;
    return true;
  }
  return true;
}
