// INF files of the size and shape that a Windows 95 installation ships:
// mshdc.inf, machine.inf and usb.inf, tens of kilobytes each, with the
// sections that the update script anchors on (except [PCI_DRV_AddReg],
// which the update appends) and none of the script's lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct StockInf {
  std::string name;
  std::string bytes;
};

// The three files that plan 4 updates.
std::vector<StockInf> StockInfFiles();
