// Texts and line lists as std::string, and an InfUpdater whose document and
// paths tests can set and read. It is built without an owner window, as the
// engine tests need no boxes.
#pragma once

#include <string>
#include <vector>

#include "engine/InfUpdater.h"

inline Text MakeText(const std::string& bytes) {
  Text text;
  text.Assign(bytes.data(), bytes.size());
  return text;
}

inline std::string ToString(const Text& text) { return std::string(text.Data(), text.Length()); }

// The list's lines, first to last.
inline std::vector<std::string> LinesOf(const LineList& list) {
  std::vector<std::string> lines;
  for (LineList::Position at = list.First(); at != nullptr; at = LineList::Next(at)) {
    lines.push_back(ToString(LineList::At(at)));
  }
  return lines;
}

class UpdaterProbe : public InfUpdater {
 public:
  explicit UpdaterProbe(HostServices& host) : InfUpdater(host, nullptr) {}

  bool HasDocument() const { return lines != nullptr; }
  std::vector<std::string> Lines() const {
    return lines == nullptr ? std::vector<std::string>() : LinesOf(*lines);
  }
  // Replaces the document by these lines, as if a file had been loaded.
  void SetDocument(const std::vector<std::string>& texts) {
    delete lines;
    lines = new LineList;
    for (const std::string& line : texts) {
      Text text = MakeText(line);
      lines->Append(text);
    }
  }
  // The line at `index` (0-based) of the document.
  LineList::Position LineNumber(std::size_t index) const {
    LineList::Position at = lines->First();
    while (index-- > 0) at = LineList::Next(at);
    return at;
  }

  void LoadInf(const std::string& fileName) { InfUpdater::LoadInf(MakeText(fileName)); }
  using InfUpdater::LoadInf;
  void FindLine(const std::string& line) { InfUpdater::FindLine(MakeText(line)); }
  using InfUpdater::FindLine;
  void SplitLines(const std::string& text) { InfUpdater::SplitLines(MakeText(text)); }
  using InfUpdater::SplitLines;

  LineList::Position Position() const { return position; }
  std::int32_t Existed() const { return existed; }
  std::string Path() const { return ToString(path); }
  std::string TempPath() const { return ToString(tempPath); }
  std::string InfDirectory() const { return ToString(infDir); }
  void SetError(std::int32_t value) { error = value; }
};
