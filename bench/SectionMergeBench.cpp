// The section merge on documents of 1,000 to 1,000,000 lines: block 230 of
// the update script (an anchor and fourteen registry lines, none of them in
// the document) with its anchor on the first line, on the middle line, or
// absent. The document is set up afresh, untimed, before each merge; a
// fixed number of merges per size keeps that set-up from taking the run
// over at a million lines. The figure to read is the time per document
// line: a merge whose lookups walk the document costs the same per line at
// every size, one whose lookups cost nothing per line costs ever less.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "engine/ScriptStrings.h"
#include "host/posix/PosixHost.h"
#include "tests/support/UpdaterProbe.h"

namespace {

constexpr std::int32_t kBlock = 230;
constexpr std::size_t kBlockLines = 14;
constexpr benchmark::IterationCount kMerges = 20;

enum class Anchor { kTop, kMiddle, kAbsent };

std::vector<std::string> Document(std::size_t length, Anchor anchor,
                                  const std::string& anchorLine) {
  std::vector<std::string> lines;
  lines.reserve(length);
  for (std::size_t i = 0; i < length; ++i) lines.push_back(FillerLine(i));
  if (anchor == Anchor::kTop) lines.front() = anchorLine;
  if (anchor == Anchor::kMiddle) lines[length / 2] = anchorLine;
  return lines;
}

class MergeProbe : public UpdaterProbe {
 public:
  using UpdaterProbe::UpdaterProbe;
  std::size_t LineCount() const { return lines->Count(); }
};

void MergeBlock(benchmark::State& state, Anchor anchor) {
  ScratchDrive drive;
  PosixHost host(drive.Root().string());
  MergeProbe updater(host);
  const std::size_t length = static_cast<std::size_t>(state.range(0));
  Text anchorLine;
  if (ReadScriptString(host.system, kBlock + 1, anchorLine) != StringRead::kFound) {
    state.SkipWithError("the program has no anchor string");
    return;
  }
  const std::vector<std::string> document = Document(length, anchor, ToString(anchorLine));
  const std::size_t merged = length + kBlockLines + (anchor == Anchor::kAbsent ? 1 : 0);
  for (auto _ : state) {
    updater.SetDocument(document);
    state.SetIterationTime(SecondsOf([&] { updater.ApplySectionBlock(kBlock); }));
    if (updater.GetError() != 0 || updater.LineCount() != merged) {
      state.SkipWithError("the block did not merge");
      return;
    }
  }
  state.counters["document_lines"] = static_cast<double>(length);
}

void SectionMergeAnchorTop(benchmark::State& state) { MergeBlock(state, Anchor::kTop); }
void SectionMergeAnchorMiddle(benchmark::State& state) { MergeBlock(state, Anchor::kMiddle); }
void SectionMergeAnchorAbsent(benchmark::State& state) { MergeBlock(state, Anchor::kAbsent); }

void DocumentLengths(benchmark::internal::Benchmark* bench) {
  bench->Arg(1000)
      ->Arg(10000)
      ->Arg(100000)
      ->Arg(1000000)
      ->Iterations(kMerges)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(SectionMergeAnchorTop)->Apply(DocumentLengths);
BENCHMARK(SectionMergeAnchorMiddle)->Apply(DocumentLengths);
BENCHMARK(SectionMergeAnchorAbsent)->Apply(DocumentLengths);
