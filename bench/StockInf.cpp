#include "bench/StockInf.h"

#include <cstdio>

#include "bench/BenchSupport.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kKiB = 1024;

struct Shape {
  const char* name;
  const char* deviceClass;
  std::vector<const char*> anchors;
  std::size_t size;
};

void AddLine(std::string& text, const std::string& line) { text += line + kLineEnd; }

void AddHead(std::string& text, const Shape& shape) {
  AddLine(text, "; " + std::string(shape.name) + " -- Windows 95 device information");
  AddLine(text, "; Copyright (c) 1993-1996");
  AddLine(text, "");
  AddLine(text, "[Version]");
  AddLine(text, "Signature=\"$CHICAGO$\"");
  AddLine(text, std::string("Class=") + shape.deviceClass);
  AddLine(text, "Provider=%Provider%");
  AddLine(text, "LayoutFile=layout.inf");
  AddLine(text, "");
  AddLine(text, "[ClassInstall]");
  AddLine(text, "AddReg=ClassAddReg");
  AddLine(text, "");
  AddLine(text, "[Manufacturer]");
  AddLine(text, "%GenericMfg%=GENERIC_SYSTEM");
  AddLine(text, "%IntelMfg%=MS_SYS");
}

// An install section of a device: its copy and registry lines.
void AddInstallSection(std::string& text, std::size_t index) {
  char header[48];
  std::snprintf(header, sizeof header, "[DEV_%04zX_DRV]", index);
  AddLine(text, "");
  AddLine(text, header);
  AddLine(text, "CopyFiles=IOS.CopyList");
  AddLine(text, "AddReg=IOS.AddReg, DEV.AddReg");
  for (std::size_t i = 0; i < 8; ++i) AddLine(text, FillerLine(index * 8 + i));
}

void AddSection(std::string& text, const char* header, std::size_t first, std::size_t count) {
  AddLine(text, "");
  AddLine(text, header);
  for (std::size_t i = 0; i < count; ++i) AddLine(text, FillerLine(first + i));
}

// The anchors' sections hold about a quarter of the file; install sections
// fill the rest up to the size.
std::string Generate(const Shape& shape) {
  std::string text;
  AddHead(text, shape);
  const std::size_t linesPerAnchor = shape.size / 4 / 48 / shape.anchors.size();
  std::size_t next = 100000;
  std::size_t installIndex = 0;
  const std::size_t share = shape.size / shape.anchors.size();
  for (std::size_t a = 0; a < shape.anchors.size(); ++a) {
    AddSection(text, shape.anchors[a], next, linesPerAnchor);
    next += linesPerAnchor;
    while (text.size() < share * (a + 1)) AddInstallSection(text, installIndex++);
  }
  return text;
}

}  // namespace

std::vector<StockInf> StockInfFiles() {
  const std::vector<Shape> shapes = {
      {"mshdc.inf", "hdc", {"[MS_HDC]", "[INTEL_HDC]", "[ControlFlags]", "[Strings]"}, kKiB * 24},
      {"machine.inf",
       "System",
       {"[MS_SYS]", "[ISA_SYS]", "[PCI_SYS]", "[ControlFlags]", "[Strings]"},
       kKiB * 72},
      {"usb.inf", "USB", {"[Intel.Section]", "[USB.AddReg]", "[Strings]"}, kKiB * 20},
  };
  std::vector<StockInf> files;
  files.reserve(shapes.size());
  for (const Shape& shape : shapes) files.push_back({shape.name, Generate(shape)});
  return files;
}
