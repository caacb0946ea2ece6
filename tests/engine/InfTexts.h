// Small INF files of the kind the updater meets, before and after the
// script's blocks, built line by line.
#pragma once

#include <string>
#include <vector>

#include "ScriptLines.h"

namespace inf_texts {

using Lines = std::vector<std::string>;

inline void Add(Lines& lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

inline std::string Join(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// mshdc.inf with the lines of blocks 10, 30 and 50 where asked for; every
// save adds one CR LF at the end of a file that ends with CR LF.
inline std::string Mshdc(bool block10, bool block30, bool block50, int saves) {
  Lines lines = {"; MSHDC.INF -- hard disk controllers",
                 "[Version]",
                 "Signature=\"$CHICAGO$\"",
                 "Class=hdc",
                 "Provider=%Msft%",
                 "LayoutFile=layout.inf",
                 "",
                 "[Manufacturer]",
                 "%Intel%=INTEL_HDC",
                 "",
                 "[INTEL_HDC]"};
  if (block10) Add(lines, {script::k12, script::k13});
  Add(lines, {R"(%PCI\VEN_8086&DEV_1230.DeviceDesc%=DUAL_GOOD_IDE, ,PCI\VEN_8086&DEV_1230)", "",
              "[ControlFlags]"});
  if (block30) Add(lines, {script::k32, script::k33});
  Add(lines, {R"(CopyFilesOnly=PCI\VEN_8086&DEV_1230)", "", "[Strings]"});
  if (block50) Add(lines, {script::k52, script::k53});
  Add(lines, {"Msft=\"Microsoft\"", "Intel=\"Intel\"",
              R"(PCI\VEN_8086&DEV_1230.DeviceDesc="Intel 82371FB PCI Bus Master IDE Controller")"});
  for (int i = 0; i < saves; ++i) lines.push_back("");
  return Join(lines);
}

inline std::string MshdcBefore() { return Mshdc(false, false, false, 0); }
inline std::string MshdcAfter() { return Mshdc(true, true, true, 1); }

// machine.inf; `merged`: with the lines of blocks 100, 130, 150 and 170;
// `miniports`: with those of block 230 after line 137.
inline std::string Machine(bool merged, bool miniports, int saves) {
  Lines lines = {"[Version]", "Signature=\"$CHICAGO$\"", "Class=System", "Provider=%Msft%",
                 "",          "[Manufacturer]",          "%MS%=MS_SYS",  "",
                 "[MS_SYS]"};
  if (merged) Add(lines, {script::k102, script::k103, script::k104, script::k105});
  Add(lines, {"%*PNP0A03.DeviceDesc%=PCI_DRV,*PNP0A03",
              R"(%PCI\VEN_8086&DEV_122E.DeviceDesc%=ISA_DRV,PCI\VEN_8086&DEV_122E)", "",
              "[PCI_DRV]", "AddReg=PCI_DRV_AddReg", "", "[PCI_DRV_AddReg]"});
  if (merged)
    Add(lines,
        {script::k132, script::k133, script::k134, script::k135, script::k136, script::k137});
  if (miniports) Add(lines, script::Block230());
  Add(lines, {"HKR,,DevLoader,,*CONFIGMG", "HKR,,PortDriver,,pci.vxd", "", "[ControlFlags]"});
  if (merged) Add(lines, {script::k152, script::k153, script::k154, script::k155});
  Add(lines, {"ExcludeFromSelect=*PNP0A03", "", "[Strings]"});
  if (merged) Add(lines, {script::k172, script::k173, script::k174, script::k175});
  Add(lines,
      {"Msft=\"Microsoft\"", "MS=\"(Standard system devices)\"", "*PNP0A03.DeviceDesc=\"PCI bus\"",
       R"(PCI\VEN_8086&DEV_122E.DeviceDesc="Intel 82371FB PCI to ISA bridge")"});
  for (int i = 0; i < saves; ++i) lines.push_back("");
  return Join(lines);
}

inline std::string MachineBefore() { return Machine(false, false, 0); }

// usb.inf already holding line 302 of block 300, and no final CR LF.
inline std::string UsbBefore() {
  return Join({"[Version]", "Signature=\"$CHICAGO$\"", "Class=USB", "Provider=%Msft%", "",
               "[Manufacturer]", "%Intel.Mfg%=Intel.Section", "", "[Intel.Section]", script::k302,
               "", "[Strings]", "Msft=\"Microsoft\""}) +
         "Intel.Mfg=\"Intel\"";
}

inline std::string UsbAfter() {
  return Join({"[Version]", "Signature=\"$CHICAGO$\"", "Class=USB", "Provider=%Msft%", "",
               "[Manufacturer]", "%Intel.Mfg%=Intel.Section", "", "[Intel.Section]", script::k303,
               script::k302, "", "[Strings]", script::k332, script::k333, "Msft=\"Microsoft\"",
               "Intel.Mfg=\"Intel\""});
}

}  // namespace inf_texts
