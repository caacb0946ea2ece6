// The unknown-device sweep of Enum\PCI: 1,000 to 100,000 sibling device keys,
// each with its "Class" value, every tenth of them "Unknown". Each key costs
// one enumeration, one open, one query and one close, and a tenth of them a
// delete, so the sweep is linear in keys when its registry calls per key
// stay the same at every size. The calls are what the sweep asks of the
// host; the time is the memory registry's, a stand-in's, and only shown.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "devices/UnknownDevicePurge.h"
#include "host/ForwardingServices.h"
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

// Counts the calls that reach the registry.
class CallCounter : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;

  std::int32_t RegOpenKeyExA(win::HKEY parent, const char* subKey, std::uint32_t options,
                             std::uint32_t access, win::HKEY* result) override {
    ++calls;
    return ForwardingRegistry::RegOpenKeyExA(parent, subKey, options, access, result);
  }
  std::int32_t RegEnumKeyExA(win::HKEY key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* reserved, char* className,
                             std::uint32_t* classSize, win::FILETIME* lastWrite) override {
    ++calls;
    return ForwardingRegistry::RegEnumKeyExA(key, index, name, nameSize, reserved, className,
                                             classSize, lastWrite);
  }
  std::int32_t RegQueryValueExA(win::HKEY key, const char* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) override {
    ++calls;
    return ForwardingRegistry::RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
  }
  std::int32_t RegDeleteKeyA(win::HKEY parent, const char* subKey) override {
    ++calls;
    return ForwardingRegistry::RegDeleteKeyA(parent, subKey);
  }
  std::int32_t RegCloseKey(win::HKEY key) override {
    ++calls;
    return ForwardingRegistry::RegCloseKey(key);
  }

  std::size_t calls = 0;
};

void DeviceSweep(benchmark::State& state) {
  ScratchDrive drive;
  PosixHost host(drive.Root().string());
  MemoryRegistry& registry = host.Registry();
  CallCounter counter(registry);
  const auto keys = static_cast<std::size_t>(state.range(0));
  const std::size_t unknown = keys / 10;
  for (auto _ : state) {
    FillPci(registry, keys);
    counter.calls = 0;
    state.SetIterationTime(
        SecondsOf([&] { PurgeUnknownDevices(counter, win::HkeyLocalMachine(), "Enum\\PCI"); }));
    // Enum, Enum\PCI and the known devices remain.
    if (registry.KeyPaths().size() != 2 + keys - unknown || registry.OpenHandleCount() != 0) {
      state.SkipWithError("the sweep did not delete exactly the unknown devices");
      return;
    }
  }
  state.SetComplexityN(state.range(0));
  state.counters["unknown_keys"] = static_cast<double>(unknown);
  state.counters["calls_per_key"] = static_cast<double>(counter.calls) / static_cast<double>(keys);
}

}  // namespace

BENCHMARK(DeviceSweep)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
