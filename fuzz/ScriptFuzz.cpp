// The script interpreter over arbitrary string tables. The input's lines
// (cut at LF) are strings 1, 2, 3, ... of the program's table, and plan 1
// runs over an INF folder holding a file with text, an empty file and a
// missing one. Separators are taken out of the strings, so that every file
// the script names lies in the INF folder.
//
// Every token is cut and converted as the standard decimal conversion does,
// held to 32 bits; the run ends with `error` at 0 or 1, every handle closed;
// a file with text is changed only by lines added, its old text kept whole
// under a backup name until the rotation may drop it; after a run without
// error no temporary file is left.
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "FuzzMachine.h"
#include "host/FaultInjectingHost.h"
#include "support/UpdaterProbe.h"

namespace {

constexpr std::size_t kMostStrings = 64;
const std::string kText = "[Version]\r\nSignature=\"$CHICAGO$\"\r\n[A]\r\nx=1";

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string TrimLeading(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && IsWhiteSpace(text[start])) ++start;
  return text.substr(start);
}

// The next number of `script` by the reference rules: the first token up to
// a blank, converted by strtoll and held to 32 bits; 0 means none.
std::int32_t ReferenceNextNumber(std::string& script) {
  script = TrimLeading(script + ' ');
  const std::size_t blank = script.find(' ');
  errno = 0;
  const long long value = std::strtoll(script.substr(0, blank).c_str(), nullptr, 10);
  const long long held =
      std::max<long long>(std::numeric_limits<std::int32_t>::min(),
                          std::min<long long>(value, std::numeric_limits<std::int32_t>::max()));
  if (held != 0) script = TrimLeading(script.substr(blank));
  return static_cast<std::int32_t>(held);
}

void CheckNextNumber(UpdaterProbe& engine, const std::string& string) {
  std::string reference = string;
  Text script = MakeText(string);
  for (int token = 0; token < 8; ++token) {
    const std::int32_t expected = ReferenceNextNumber(reference);
    const std::int32_t value = engine.NextNumber(script);
    fuzz::Require(value == expected, "a token converts as the standard conversion does");
    fuzz::Require(engine.GetError() == (expected == 0 ? 1 : 0), "no number is an error");
    if (expected == 0) return;
    fuzz::Require(ToString(script) == reference, "the rest of the script is kept");
  }
}

// Names match without regard to letter case, and a file that the run
// writes anew takes the spelling that the script gives.
std::map<std::string, std::string> ByFoldedName(const std::map<std::string, std::string>& files) {
  std::map<std::string, std::string> folded;
  for (const auto& [name, bytes] : files) folded[fuzz::Folded(name)] = bytes;
  return folded;
}

// `files` by folded name; `script` the whole table, folded. A file named
// like a temporary one is a leftover unless the script names it itself.
void CheckFiles(const std::map<std::string, std::string>& files, const std::string& script,
                std::int32_t error) {
  const std::string& text = files.at("a.inf");
  if (text != kText) {
    std::vector<std::string> old = fuzz::CutAt(kText, "\r\n");
    fuzz::Require(fuzz::IsSubsequence(old, fuzz::CutAt(text, "\r\n")),
                  "a file changes only by lines added");
    // Until all ten backup names are taken: then the rotation may drop it.
    bool kept = false;
    int backups = 0;
    for (const auto& [name, bytes] : files) {
      const bool backup = name.size() == 5 && name.rfind("a.or", 0) == 0 && std::isdigit(name[4]);
      backups += backup ? 1 : 0;
      kept = kept || (backup && bytes == kText);
    }
    fuzz::Require(kept || backups == 10, "the old text is kept whole under a backup name");
  }
  if (error != 0) return;
  for (const auto& [name, bytes] : files) {
    const bool temporary = name.size() >= 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    fuzz::Require(!temporary || script.find(name) != std::string::npos,
                  "a run without error leaves no temporary file");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzMachine& machine = fuzz::FuzzMachine::Instance();
  machine.Reset();
  std::string input(reinterpret_cast<const char*>(data), size);
  for (char& c : input) {
    if (c == '\\' || c == '/' || c == ':') c = '_';
  }
  std::vector<std::string> strings = fuzz::CutAt(input, "\n");
  if (strings.size() > kMostStrings) strings.resize(kMostStrings);
  for (std::size_t i = 0; i < strings.size(); ++i) {
    if (!strings[i].empty()) machine.Strings().Set(static_cast<std::uint16_t>(i + 1), strings[i]);
  }
  machine.WriteInf("a.inf", kText);
  machine.WriteInf("b.inf", "");

  FaultInjectingHost tracked(machine.Services());
  UpdaterProbe engine(tracked);
  for (const std::string& string : strings) CheckNextNumber(engine, string);
  engine.RunPlan(1);
  const std::int32_t error = engine.GetError();
  fuzz::Require(error == 0 || error == 1, "the run ends with error 0 or 1");
  fuzz::Require(tracked.OpenHandleCount() == 0, "every handle opened is closed");
  CheckFiles(ByFoldedName(machine.Files()), fuzz::Folded(input), error);
  return 0;
}
