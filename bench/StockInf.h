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

// The same three with a machine.inf as large as a real one: about 150 KB,
// 4,000 lines in 100 device sections, the sections that the update looks
// for near its end.
std::vector<StockInf> RealSizeInfFiles();

// The same three shapes scaled to `lines` lines in all, shared among the
// files as the stock sizes are.
std::vector<StockInf> ScaledInfFiles(std::size_t lines);

// Lines of the files, as the updater cuts them (a final CR LF gives one more).
std::size_t LineCount(const std::vector<StockInf>& files);
