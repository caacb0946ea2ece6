// Pieces shared by the benchmarks: a scratch drive C: with its INF folder,
// realistic INF lines, and timing of one step of an iteration.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/support/ScratchFolderPosix.h"

// A temporary folder standing for drive C:, holding WINDOWS\INF; removed
// with the object.
class ScratchDrive {
 public:
  ScratchDrive();

  const std::filesystem::path& Root() const { return folder_.Path(); }
  std::filesystem::path InfDir() const { return Root() / "WINDOWS" / "INF"; }

 private:
  ScratchFolder folder_;
};

// Line `index` of a made-up INF section body: device, registry, copy and
// string lines of the lengths that a Windows INF file holds, each distinct
// and none equal to a line of the update script.
std::string FillerLine(std::size_t index);

// Seconds taken by `step`.
template <typename Step>
double SecondsOf(Step&& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  return taken.count();
}
