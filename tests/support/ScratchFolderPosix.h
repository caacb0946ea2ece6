// A fresh folder for one test, fuzz run or benchmark, removed with everything
// in it when this goes: the one scratch folder of the POSIX test programs.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class ScratchFolder {
 public:
  // A folder below `base`, the system's temporary folder unless given.
  explicit ScratchFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path())
      : path_(Make(base)) {}
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  static std::filesystem::path Make(const std::filesystem::path& base) {
    std::string pattern = (base / "txinfupd-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("no scratch folder: " + pattern);
    return pattern;
  }

  std::filesystem::path path_;
};
