#include "ScratchHostPosix.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

std::filesystem::path MakeScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "txinfupd-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder: " + pattern);
  return pattern;
}

}  // namespace

ScratchHost::ScratchHost()
    : root_(MakeScratchFolder()), host_(std::make_unique<PosixHost>(root_.string())) {}

ScratchHost::~ScratchHost() {
  host_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}
