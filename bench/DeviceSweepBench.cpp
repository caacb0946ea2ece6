// The unknown-device sweep of Enum\PCI in the in-memory registry: 1,000 to
// 100,000 sibling device keys, each with its "Class" value, every tenth of
// them "Unknown". Each key costs one enumeration, one open, one query and one
// close, and a tenth of them a delete, so the sweep should be linear in keys.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "devices/UnknownDevicePurge.h"
#include "host/posix/PosixHost.h"

namespace {

constexpr char kPci[] = "HKEY_LOCAL_MACHINE\\Enum\\PCI";

std::string DeviceKey(std::size_t index) {
  char name[96];
  std::snprintf(name, sizeof name, "%s\\VEN_%04zX&DEV_%04zX&SUBSYS_00000000&REV_%02zX", kPci,
                0x1000 + index / 0x10000, index % 0x10000, index % 0x100);
  return name;
}

std::string RegSz(const char* text) { return std::string(text) + '\0'; }

void FillPci(MemoryRegistry& registry, std::size_t keys) {
  registry.Clear();
  const std::string unknown = RegSz("Unknown");
  const std::string known[] = {RegSz("System"), RegSz("hdc"), RegSz("Net"), RegSz("Display")};
  for (std::size_t i = 0; i < keys; ++i) {
    const std::string& value = i % 10 == 9 ? unknown : known[i % 4];
    registry.SetValue(DeviceKey(i), "Class", win::kRegSz, value);
    registry.SetValue(DeviceKey(i), "DeviceDesc", win::kRegSz, RegSz("PCI device"));
  }
}

void DeviceSweep(benchmark::State& state) {
  ScratchDrive drive;
  PosixHost host(drive.Root().string());
  MemoryRegistry& registry = host.Registry();
  const auto keys = static_cast<std::size_t>(state.range(0));
  const std::size_t unknown = keys / 10;
  for (auto _ : state) {
    FillPci(registry, keys);
    state.SetIterationTime(
        SecondsOf([&] { PurgeUnknownDevices(registry, win::HkeyLocalMachine(), "Enum\\PCI"); }));
    // Enum, Enum\PCI and the known devices remain.
    if (registry.KeyPaths().size() != 2 + keys - unknown || registry.OpenHandleCount() != 0) {
      state.SkipWithError("the sweep did not delete exactly the unknown devices");
      return;
    }
  }
  state.SetComplexityN(state.range(0));
  state.counters["unknown_keys"] = static_cast<double>(unknown);
}

}  // namespace

BENCHMARK(DeviceSweep)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
