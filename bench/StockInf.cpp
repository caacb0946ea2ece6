#include "bench/StockInf.h"

#include <cstdio>

#include "bench/BenchSupport.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kKiB = 1024;
// About the length of a line of the made-up sections, CR LF included.
constexpr std::size_t kBytesPerLine = 48;

// A file's size is counted in bytes or in lines.
enum class Unit { kBytes, kLines };

struct Shape {
  const char* name;
  const char* deviceClass;
  std::vector<const char*> anchors;
  std::size_t kib;
};

const std::vector<Shape>& Shapes() {
  static const std::vector<Shape> shapes = {
      {"mshdc.inf", "hdc", {"[MS_HDC]", "[INTEL_HDC]", "[ControlFlags]", "[Strings]"}, 24},
      {"machine.inf",
       "System",
       {"[MS_SYS]", "[ISA_SYS]", "[PCI_SYS]", "[ControlFlags]", "[Strings]"},
       72},
      {"usb.inf", "USB", {"[Intel.Section]", "[USB.AddReg]", "[Strings]"}, 20},
  };
  return shapes;
}

struct InfText {
  std::string bytes;
  std::size_t lines = 0;

  void Add(const std::string& line) {
    bytes += line + kLineEnd;
    ++lines;
  }
  std::size_t Amount(Unit unit) const { return unit == Unit::kBytes ? bytes.size() : lines; }
};

void AddHead(InfText& text, const Shape& shape) {
  text.Add("; " + std::string(shape.name) + " -- Windows 95 device information");
  text.Add("; Copyright (c) 1993-1996");
  text.Add("");
  text.Add("[Version]");
  text.Add("Signature=\"$CHICAGO$\"");
  text.Add(std::string("Class=") + shape.deviceClass);
  text.Add("Provider=%Provider%");
  text.Add("LayoutFile=layout.inf");
  text.Add("");
  text.Add("[ClassInstall]");
  text.Add("AddReg=ClassAddReg");
  text.Add("");
  text.Add("[Manufacturer]");
  text.Add("%GenericMfg%=GENERIC_SYSTEM");
  text.Add("%IntelMfg%=MS_SYS");
}

// An install section of a device: its copy and registry lines.
void AddInstallSection(InfText& text, std::size_t index) {
  char header[48];
  std::snprintf(header, sizeof header, "[DEV_%04zX_DRV]", index);
  text.Add("");
  text.Add(header);
  text.Add("CopyFiles=IOS.CopyList");
  text.Add("AddReg=IOS.AddReg, DEV.AddReg");
  for (std::size_t i = 0; i < 8; ++i) text.Add(FillerLine(index * 8 + i));
}

void AddSection(InfText& text, const char* header, std::size_t first, std::size_t count) {
  text.Add("");
  text.Add(header);
  for (std::size_t i = 0; i < count; ++i) text.Add(FillerLine(first + i));
}

// The anchors' sections hold about a quarter of the file; install sections
// fill the rest up to the size.
std::string Generate(const Shape& shape, std::size_t size, Unit unit) {
  InfText text;
  AddHead(text, shape);
  const std::size_t perLine = unit == Unit::kBytes ? kBytesPerLine : 1;
  const std::size_t linesPerAnchor = size / 4 / perLine / shape.anchors.size();
  std::size_t next = 100000;
  std::size_t installIndex = 0;
  const std::size_t share = size / shape.anchors.size();
  for (std::size_t a = 0; a < shape.anchors.size(); ++a) {
    AddSection(text, shape.anchors[a], next, linesPerAnchor);
    next += linesPerAnchor;
    while (text.Amount(unit) < share * (a + 1)) AddInstallSection(text, installIndex++);
  }
  return text.bytes;
}

// Device sections of a machine.inf of real size, each a header, 38 registry
// lines and an empty line, ahead of the sections that the update looks for.
std::string RealSizeMachine(const Shape& shape) {
  constexpr std::size_t kSections = 100;
  constexpr std::size_t kSettings = 38;
  InfText text;
  AddHead(text, shape);
  for (std::size_t section = 0; section < kSections; ++section) {
    char line[64];
    std::snprintf(line, sizeof line, "[SYSDEV_%03zu]", section);
    text.Add(line);
    for (std::size_t n = 0; n < kSettings; ++n) {
      std::snprintf(line, sizeof line, "HKR,,Setting%zu,,\"device %zu, value %zu\"", n, section, n);
      text.Add(line);
    }
    text.Add("");
  }
  std::size_t next = 100000;
  for (const char* anchor : shape.anchors) {
    AddSection(text, anchor, next, 8);
    next += 8;
  }
  return text.bytes;
}

}  // namespace

std::vector<StockInf> StockInfFiles() {
  std::vector<StockInf> files;
  for (const Shape& shape : Shapes()) {
    files.push_back({shape.name, Generate(shape, kKiB * shape.kib, Unit::kBytes)});
  }
  return files;
}

std::vector<StockInf> RealSizeInfFiles() {
  std::vector<StockInf> files = StockInfFiles();
  files[1].bytes = RealSizeMachine(Shapes()[1]);
  return files;
}

std::vector<StockInf> ScaledInfFiles(std::size_t lines) {
  std::size_t allKib = 0;
  for (const Shape& shape : Shapes()) allKib += shape.kib;
  std::vector<StockInf> files;
  for (const Shape& shape : Shapes()) {
    files.push_back({shape.name, Generate(shape, lines * shape.kib / allKib, Unit::kLines)});
  }
  return files;
}

std::size_t LineCount(const std::vector<StockInf>& files) {
  std::size_t lines = 0;
  for (const StockInf& file : files) {
    std::size_t at = 0;
    ++lines;
    while ((at = file.bytes.find(kLineEnd, at)) != std::string::npos) {
      ++lines;
      at += 2;
    }
  }
  return lines;
}
