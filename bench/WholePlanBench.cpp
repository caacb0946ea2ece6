// Plan 4 on the POSIX realisation, against the I/O floor of the same files in
// the same run: each iteration restores the files and runs, in turn, the
// plan, the floor through the host services and the floor through the system
// calls, rotating which goes first. The iteration time is the plan's; the
// floors and the ratios come as counters. With the argument 0 nobody puts the
// data on the disk, so that the device's sync time cannot hide the program's
// own cost.
//
// The files: the stock-size mshdc.inf, machine.inf and usb.inf; the same with
// a machine.inf of real size; and the three scaled to 1,000 to 1,000,000
// lines in all, whose time per document line stays the same at every size
// when the plan is linear in the length of its files.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

#include "bench/BenchSupport.h"
#include "bench/IoFloor.h"
#include "bench/StockInf.h"
#include "engine/InfUpdater.h"
#include "host/ForwardingServices.h"
#include "host/posix/PosixHost.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kFullPlan = 4;

// Data written but never put on the disk.
class NoFlushFiles : public ForwardingFiles {
 public:
  using ForwardingFiles::ForwardingFiles;
  bool FlushFileBuffers(win::HANDLE) override { return true; }
};

// The INF folder as it was before any update: the stock files, no backups,
// no temporary files.
void Restore(const fs::path& infDir, const std::vector<StockInf>& files) {
  for (const fs::directory_entry& entry : fs::directory_iterator(infDir)) fs::remove(entry.path());
  for (const StockInf& file : files) {
    std::ofstream out(infDir / file.name, std::ios::binary | std::ios::trunc);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    if (!out.good()) throw std::runtime_error("cannot write " + file.name);
  }
}

bool RunPlan(HostServices& host) {
  InfUpdater updater(host, nullptr);
  updater.RunPlan(kFullPlan);
  return updater.GetError() == 0;
}

// What the plan makes of `files`: the texts that the floor writes.
std::vector<StockInf> UpdatedFiles(const fs::path& infDir, HostServices& host,
                                   const std::vector<StockInf>& files) {
  Restore(infDir, files);
  if (!RunPlan(host)) throw std::runtime_error("plan 4 failed on the benchmark's files");
  std::vector<StockInf> updated;
  for (const StockInf& file : files) {
    std::ifstream in(infDir / file.name, std::ios::binary);
    updated.push_back({file.name, std::string(std::istreambuf_iterator<char>(in), {})});
  }
  return updated;
}

void PlanAgainstFloors(benchmark::State& state, const std::vector<StockInf>& files, bool flush) {
  ScratchDrive drive;
  PosixHost posix(drive.Root().string());
  NoFlushFiles noFlush(posix.files);
  HostServices noFlushHost = posix.With(noFlush);
  HostServices& host = flush ? static_cast<HostServices&>(posix) : noFlushHost;
  const std::vector<StockInf> updated = UpdatedFiles(drive.InfDir(), host, files);
  double planSeconds = 0;
  double hostFloorSeconds = 0;
  double rawFloorSeconds = 0;
  bool ok = true;
  std::int64_t turn = 0;
  for (auto _ : state) {
    const auto plan = [&] {
      Restore(drive.InfDir(), files);
      const double taken = SecondsOf([&] { ok = RunPlan(host) && ok; });
      planSeconds += taken;
      state.SetIterationTime(taken);
    };
    const auto hostFloor = [&] {
      Restore(drive.InfDir(), files);
      hostFloorSeconds += SecondsOf([&] { ok = HostIoFloor(host, files, updated) && ok; });
    };
    const auto rawFloor = [&] {
      Restore(drive.InfDir(), files);
      rawFloorSeconds +=
          SecondsOf([&] { ok = RawIoFloor(drive.InfDir(), files, updated, flush) && ok; });
    };
    switch (turn++ % 3) {
      case 0:
        plan(), hostFloor(), rawFloor();
        break;
      case 1:
        hostFloor(), rawFloor(), plan();
        break;
      default:
        rawFloor(), plan(), hostFloor();
        break;
    }
    if (!ok) {
      state.SkipWithError("the plan or a floor failed");
      return;
    }
  }
  std::size_t bytes = 0;
  for (const StockInf& file : files) bytes += file.bytes.size();
  const auto average = benchmark::Counter::kAvgIterations;
  state.counters["inf_bytes"] = static_cast<double>(bytes);
  state.counters["document_lines"] = static_cast<double>(LineCount(files));
  state.counters["host_floor_us"] = benchmark::Counter(hostFloorSeconds * 1e6, average);
  state.counters["raw_floor_us"] = benchmark::Counter(rawFloorSeconds * 1e6, average);
  state.counters["plan_per_host_floor"] = planSeconds / hostFloorSeconds;
  state.counters["plan_per_raw_floor"] = planSeconds / rawFloorSeconds;
}

void WholePlan4(benchmark::State& state) {
  PlanAgainstFloors(state, StockInfFiles(), state.range(0) != 0);
}

void WholePlan4RealSize(benchmark::State& state) {
  PlanAgainstFloors(state, RealSizeInfFiles(), state.range(0) != 0);
}

// Without the flush, so that the disk's sync time, which does not grow with
// the lines, cannot make small files look dear.
// The files of each size are made once, as the framework calls the
// benchmark more than once per size.
void WholePlan4Lines(benchmark::State& state) {
  static std::map<std::int64_t, std::vector<StockInf>> made;
  std::vector<StockInf>& files = made[state.range(0)];
  if (files.empty()) files = ScaledInfFiles(static_cast<std::size_t>(state.range(0)));
  PlanAgainstFloors(state, files, false);
}

// With the data put on the disk (1) and without (0).
void FlushOrNot(benchmark::internal::Benchmark* bench) {
  bench->ArgName("flush")
      ->Arg(1)
      ->Arg(0)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond)
      ->MinTime(2.0);
}

}  // namespace

BENCHMARK(WholePlan4)->Apply(FlushOrNot);
BENCHMARK(WholePlan4RealSize)->Apply(FlushOrNot);
BENCHMARK(WholePlan4Lines)
    ->ArgName("lines")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);
