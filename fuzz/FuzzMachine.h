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

#include "host/posix/PosixHost.h"

namespace fuzz {

class FuzzMachine {
 public:
  static FuzzMachine& Instance() {
    static FuzzMachine machine;
    return machine;
  }

  PosixHost& Host() { return *host_; }

  // Empties the INF folder and the string table.
  void Reset() {
    std::filesystem::remove_all(InfDir());
    std::filesystem::create_directories(InfDir());
    host_->Strings().clear();
  }

  std::string InfHostPath(const std::string& name) const { return "C:\\WINDOWS\\INF\\" + name; }

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
  FuzzMachine() {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "txinfupd-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    std::filesystem::create_directories(InfDir());
    host_ = std::make_unique<PosixHost>(root_.string());
  }
  ~FuzzMachine() {
    host_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  std::filesystem::path InfDir() const { return root_ / "WINDOWS" / "INF"; }

  std::filesystem::path root_;
  std::unique_ptr<PosixHost> host_;
};

// Stops the run with a message when a promise is broken: libFuzzer keeps the
// input that did it.
inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
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
