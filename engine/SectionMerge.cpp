// Merging a section block into the loaded document: the block's lines go in
// right after its anchor line, leaving out every line that the document
// already holds anywhere; an absent anchor is appended with all its lines.
#include "engine/InfUpdater.h"

namespace {

constexpr char kEndOfFileMark = 0x1A;

// Windows' INF reader stops at a Ctrl-Z: a document whose last line is that
// mark alone ends there.
bool IsEndOfFileMark(const Text& line) { return line.Length() == 1 && line[0] == kEndOfFileMark; }

}  // namespace

// The document's index gives the line nearest the top, as a walk from the
// first line would.
void InfUpdater::FindLine(const Text& line) {
  position = lines == nullptr ? nullptr : lines->Find(line);
}

void InfUpdater::FindLineById(std::int32_t stringId) {
  error = 0;
  Text line;
  const StringRead read = ReadString(stringId, line);
  if (read == StringRead::kMissing) error = 1;
  if (read != StringRead::kFound) return;
  FindLine(line);
}

void InfUpdater::MergeLines(std::int32_t firstId, std::int32_t count,
                            LineList::Position insertionPoint) {
  error = 0;
  if (lines == nullptr) {
    error = 1;
    return;
  }
  const std::int64_t endId = std::int64_t{firstId} + count;
  for (std::int64_t id = firstId; id < endId; ++id) {
    Text line;
    if (ReadString(id, line) != StringRead::kFound) return;
    if (insertionPoint == nullptr) {
      if (AppendLine(line) != nullptr) continue;
      FailForMemory();
      return;
    }
    FindLine(line);
    if (position != nullptr) continue;
    insertionPoint = lines->InsertAfter(insertionPoint, line);
    if (insertionPoint == nullptr) {
      FailForMemory();
      return;
    }
  }
}

void InfUpdater::ApplySectionBlock(std::int32_t baseId) {
  error = 0;
  Text countText;
  if (lines == nullptr || ReadString(baseId, countText) != StringRead::kFound) {
    error = 1;
    return;
  }
  const std::int32_t count = NextNumber(countText);
  if (error != 0) return;
  // The count string exists, so the base ID lies in the table's 16-bit range
  // and the IDs after it cannot overflow.
  const std::int32_t anchorId = baseId + 1;
  FindLineById(anchorId);
  if (error != 0) return;
  if (position != nullptr) {
    MergeLines(anchorId + 1, count, position);
    return;
  }
  Text anchor;
  if (ReadString(anchorId, anchor) != StringRead::kFound) {
    error = 1;
    return;
  }
  if (AppendLine(anchor) == nullptr) {
    FailForMemory();
    return;
  }
  MergeLines(anchorId + 1, count, nullptr);
}

// Appends at the end of the document, but ahead of a final Ctrl-Z line, so
// that the new line is not hidden from Windows; the mark stays last. Empty
// lines after the mark (a file that ends with Ctrl-Z and CR LF) do not make
// it any less final.
LineList::Position InfUpdater::AppendLine(Text& line) {
  LineList::Position last = lines->Last();
  while (last != nullptr && LineList::At(last).IsEmpty()) last = LineList::Previous(last);
  if (last == nullptr || !IsEndOfFileMark(LineList::At(last))) return lines->Append(line);
  return lines->InsertBefore(last, line);
}
