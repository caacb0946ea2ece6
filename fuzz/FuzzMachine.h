// The scratch Windows machine of a fuzz target: one POSIX host over a folder
// made once per process (in memory where /dev/shm is there) and removed at
// its end. Each input starts from an empty INF folder and an empty string
// table.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "host/posix/PosixHost.h"
#include "support/ScratchFolderPosix.h"
#include "support/ScriptTableHost.h"

namespace fuzz {

class FuzzMachine {
 public:
  static FuzzMachine& Instance() {
    static FuzzMachine machine;
    return machine;
  }

  PosixHost& Host() { return *host_; }
  // The host with the input's string table: the strings set, and no other.
  HostServices& Services() { return *strings_; }
  ScriptTableHost& Strings() { return *strings_; }

  // Empties the INF folder and the string table.
  void Reset() {
    std::filesystem::remove_all(InfDir());
    std::filesystem::create_directories(InfDir());
    strings_->Clear();
  }

  void WriteInf(const std::string& name, const std::string& bytes) {
    std::ofstream(InfDir() / name, std::ios::binary) << bytes;
  }

  // Every file of the INF folder by name, with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(InfDir())) {
      std::ifstream file(entry.path(), std::ios::binary);
      files[entry.path().filename().string()] =
          std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return files;
  }

 private:
  // In memory where the system offers it: a fuzz run writes many files.
  FuzzMachine()
      : folder_(std::filesystem::is_directory("/dev/shm")
                    ? "/dev/shm"
                    : std::filesystem::temp_directory_path()) {
    std::filesystem::create_directories(InfDir());
    host_ = std::make_unique<PosixHost>(folder_.Path().string());
    strings_ = std::make_unique<ScriptTableHost>(*host_, ScriptTableHost::Others::kMissing);
  }
  // The members go in reverse order: the string table, the host, the folder.
  ~FuzzMachine() = default;

  std::filesystem::path InfDir() const { return folder_.Path() / "WINDOWS" / "INF"; }

  ScratchFolder folder_;
  std::unique_ptr<PosixHost> host_;
  std::unique_ptr<ScriptTableHost> strings_;
};

// Stops the run with a message when a promise is broken: libFuzzer keeps the
// input that did it.
inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
}

// `text` cut at every `separator`; what follows the last one is the last
// part (empty when the text ends with it).
inline std::vector<std::string> CutAt(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
}

// The text with the letters A to Z in lower case.
inline std::string Folded(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

// `part` is a subsequence of `whole`: every element, in order.
template <typename List>
bool IsSubsequence(const List& part, const List& whole) {
  auto at = whole.begin();
  for (const auto& element : part) {
    while (at != whole.end() && *at != element) ++at;
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

}  // namespace fuzz
