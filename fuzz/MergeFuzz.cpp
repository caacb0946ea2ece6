// The merge of a section block into a document. The input is the
// document's lines (cut at LF), a zero byte, then the block's strings (cut
// at LF): its count, its anchor and its lines. Applying a block twice
// changes nothing; afterwards every line of the block is there; no line of
// the document is lost or moved out of order; a final Ctrl-Z (the last line
// that is not empty) stays last; every line is found where it first stands.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzMachine.h"
#include "support/UpdaterProbe.h"

namespace {

constexpr std::uint16_t kBlock = 100;
constexpr std::size_t kMostBlockStrings = 40;

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The block's lines that a merge takes: as many as the count says, up to
// the first missing string (empty, or holding a zero byte).
std::vector<std::string> LinesTaken(const std::vector<std::string>& strings, std::int64_t count) {
  std::vector<std::string> taken;
  for (std::size_t i = 2; i < strings.size() && static_cast<std::int64_t>(i - 2) < count; ++i) {
    if (strings[i].empty() || strings[i].find('\0') != std::string::npos) break;
    taken.push_back(strings[i]);
  }
  return taken;
}

// The last line that is not empty, or "" when there is none.
std::string LastWithText(const std::vector<std::string>& lines) {
  const auto found = std::find_if(lines.rbegin(), lines.rend(),
                                  [](const std::string& line) { return !line.empty(); });
  return found == lines.rend() ? std::string() : *found;
}

// The document's index finds each line where a walk from the first line
// finds it.
void RequireEachLineFoundFirst(UpdaterProbe& engine, const std::vector<std::string>& lines) {
  std::map<std::string, LineList::Position> first;
  LineList::Position at = lines.empty() ? nullptr : engine.LineNumber(0);
  for (const std::string& line : lines) {
    first.emplace(line, at);
    at = LineList::Next(at);
  }
  for (const auto& [line, position] : first) {
    engine.FindLine(line);
    fuzz::Require(engine.Position() == position, "a line is found where it first stands");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  if (zero == std::string::npos) return 0;
  const std::vector<std::string> document =
      zero == 0 ? std::vector<std::string>{} : fuzz::CutAt(input.substr(0, zero), "\n");
  std::vector<std::string> strings = fuzz::CutAt(input.substr(zero + 1), "\n");
  if (strings.size() > kMostBlockStrings) strings.resize(kMostBlockStrings);

  fuzz::FuzzMachine& machine = fuzz::FuzzMachine::Instance();
  machine.Reset();
  for (std::size_t i = 0; i < strings.size(); ++i) {
    if (!strings[i].empty()) machine.Strings().Set(kBlock + i, strings[i]);
  }
  UpdaterProbe engine(machine.Services());
  engine.SetDocument(document);
  engine.ApplySectionBlock(kBlock);
  const std::int32_t error = engine.GetError();
  const std::vector<std::string> merged = engine.Lines();
  RequireEachLineFoundFirst(engine, merged);
  engine.ApplySectionBlock(kBlock);
  fuzz::Require(engine.Lines() == merged, "a block applied twice changes nothing more");
  fuzz::Require(fuzz::IsSubsequence(document, merged), "no line of the document is lost or moved");
  // (unless the block names the mark itself as its anchor)
  const bool anchorIsTheMark = strings.size() > 1 && strings[1] == "\x1A";
  if (LastWithText(document) == "\x1A" && !anchorIsTheMark) {
    fuzz::Require(LastWithText(merged) == "\x1A", "a final Ctrl-Z stays last");
  }
  if (error != 0) {
    fuzz::Require(merged == document, "a block that fails changes nothing");
    return 0;
  }
  Text countText = MakeText(strings[0]);
  const std::int32_t count = engine.NextNumber(countText);
  fuzz::Require(Holds(merged, strings[1]), "the anchor is there");
  for (const std::string& line : LinesTaken(strings, count)) {
    fuzz::Require(Holds(merged, line), "every line of the block is there");
  }
  return 0;
}
