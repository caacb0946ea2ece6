// The lines of the stored update script, spelled out byte for byte.
#pragma once

#include <string>
#include <vector>

namespace script {

inline const std::string k12 =
    R"(%PCI\VEN_8086&DEV_7010.DeviceDesc%=DUAL_GOOD_IDE, ,PCI\VEN_8086&DEV_7010)";
inline const std::string k13 =
    R"(%PCI\VEN_8086&DEV_7111.DeviceDesc%=DUAL_GOOD_IDE, ,PCI\VEN_8086&DEV_7111)";
inline const std::string k32 = R"(CopyFilesOnly=PCI\VEN_8086&DEV_7010)";
inline const std::string k33 = R"(CopyFilesOnly=PCI\VEN_8086&DEV_7111)";
inline const std::string k52 =
    R"(PCI\VEN_8086&DEV_7010.DeviceDesc="Intel 82371SB PCI Bus Master IDE Controller")";
inline const std::string k53 =
    R"(PCI\VEN_8086&DEV_7111.DeviceDesc="Intel 82371AB PCI Bus Master IDE Controller")";
inline const std::string k102 =
    R"(%PCI\VEN_8086&DEV_7000.DeviceDesc%=ISA_DRV,PCI\VEN_8086&DEV_7000)";
inline const std::string k103 =
    R"(%PCI\VEN_8086&DEV_7110.DeviceDesc%=ISA_DRV,PCI\VEN_8086&DEV_7110)";
inline const std::string k104 =
    R"(%PCI\VEN_8086&DEV_7113.DeviceDesc%=NO_DRV,PCI\VEN_8086&DEV_7113)";
inline const std::string k105 =
    R"(%PCI\VEN_8086&DEV_7100.DeviceDesc%=NO_DRV,PCI\VEN_8086&DEV_7100)";
inline const std::string k132 = R"(;Devices specific settings(value name is DevID cat with VenID))";
inline const std::string k133 = R"(;Bit 0:Devices video wanting no IRQ)";
inline const std::string k134 = R"(;Bit 1:Devices PCMCIA wanting IRQ)";
inline const std::string k135 =
    R"(;Bit 2:Devices Dual PCI IDE without programming code with bit 3 set)";
inline const std::string k136 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI,70108086,1,04,00,00,00)";
inline const std::string k137 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI,71118086,1,04,00,00,00)";
inline const std::string k152 = R"(ExcludeFromSelect=PCI\VEN_8086&DEV_7000)";
inline const std::string k153 = R"(ExcludeFromSelect=PCI\VEN_8086&DEV_7110)";
inline const std::string k154 = R"(ExcludeFromSelect=PCI\VEN_8086&DEV_7113)";
inline const std::string k155 = R"(ExcludeFromSelect=PCI\VEN_8086&DEV_7100)";
inline const std::string k172 =
    R"(PCI\VEN_8086&DEV_7000.DeviceDesc="Intel 82371SB PCI to ISA bridge")";
inline const std::string k173 =
    R"(PCI\VEN_8086&DEV_7110.DeviceDesc="Intel 82371AB PCI to ISA bridge")";
inline const std::string k174 =
    R"(PCI\VEN_8086&DEV_7113.DeviceDesc="Intel 82371AB Power Management Controller")";
inline const std::string k175 =
    R"(PCI\VEN_8086&DEV_7100.DeviceDesc="Intel 82439TX Pentium processor to PCI bridge")";
inline const std::string k232 = R"(;IRQ Miniport Data for Intel Tx ChipSet)";
inline const std::string k233 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IRQMiniports\70008086,Name,,"Intel 82371SB")";
inline const std::string k234 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IRQMiniports\70008086,Path,,"PCIMP.PCI")";
inline const std::string k235 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IRQMiniports\70008086,Instance,1,01,00,00,00)";
inline const std::string k236 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IRQMiniports\71108086,Name,,"Intel 82371AB")";
inline const std::string k237 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IRQMiniports\71108086,Path,,"PCIMP.PCI")";
inline const std::string k238 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IRQMiniports\71108086,Instance,1,01,00,00,00)";
inline const std::string k239 = R"(;IDE Miniport data for Intel Tx ChipSet)";
inline const std::string k240 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IDEMiniports\70108086,Name,,"Intel 82371SB")";
inline const std::string k241 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IDEMiniports\70108086,Path,,"PCIMP.PCI")";
inline const std::string k242 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IDEMiniports\70108086,Instance,1,00,00,00,00)";
inline const std::string k243 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IDEMiniports\71118086,Name,,"Intel 82371AB")";
inline const std::string k244 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IDEMiniports\71118086,Path,,"PCIMP.PCI")";
inline const std::string k245 =
    R"(HKLM,System\CurrentControlSet\Services\VxD\PCI\IDEMiniports\71118086,Instance,1,00,00,00,00)";
inline const std::string k302 =
    R"(%PCI\VEN_8086&DEV_7020.DeviceDesc%=UniversalHDC.Dev,PCI\VEN_8086&DEV_7020)";
inline const std::string k303 =
    R"(%PCI\VEN_8086&DEV_7112.DeviceDesc%=UniversalHDC.Dev,PCI\VEN_8086&DEV_7112)";
inline const std::string k332 =
    R"(PCI\VEN_8086&DEV_7020.DeviceDesc="Intel 82371SB PCI to USB Universal Host Controller")";
inline const std::string k333 =
    R"(PCI\VEN_8086&DEV_7112.DeviceDesc="Intel 82371AB PCI to USB Universal Host Controller")";

// The fourteen lines of block 230, in order.
inline std::vector<std::string> Block230() {
  return {k232, k233, k234, k235, k236, k237, k238, k239, k240, k241, k242, k243, k244, k245};
}

}  // namespace script
