#include "bench/BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDrive::ScratchDrive() { fs::create_directories(InfDir()); }

std::string FillerLine(std::size_t index) {
  char line[160];
  const unsigned device = 0x1000 + static_cast<unsigned>(index % 0xE000);
  const unsigned vendor = 0x1000 + static_cast<unsigned>(index / 0xE000 % 0x0FFF);
  const unsigned n = static_cast<unsigned>(index);
  switch (index % 5) {
    case 0:
      std::snprintf(line, sizeof line,
                    "%%PCI\\VEN_%04X&DEV_%04X.DeviceDesc%%=NO_DRV,PCI\\VEN_%04X&DEV_%04X", vendor,
                    device, vendor, device);
      break;
    case 1:
      std::snprintf(line, sizeof line, "HKR,,DevLoader,,*ios%u", n);
      break;
    case 2:
      std::snprintf(
          line, sizeof line,
          "HKLM,System\\CurrentControlSet\\Services\\Class\\System\\%04u,DriverDesc,,\"%u\"",
          n % 10000, n);
      break;
    case 3:
      std::snprintf(line, sizeof line, "drv%u.vxd,,%u", n, n % 7);
      break;
    default:
      std::snprintf(line, sizeof line, "PCI\\VEN_%04X&DEV_%04X.DeviceDesc=\"PCI device %u\"",
                    vendor, device, n);
      break;
  }
  return line;
}
