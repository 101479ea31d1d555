// SPDX-License-Identifier: GPL-2.0-or-later
// Intel host bridges and LPC/ISA bridges by device id.
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetModel s_North[] = {
    {0x1250, "i430HX"},
    {0x7100, "i430TX"},
    {0x1237, "i440FX"},
    {0x7180, "i440LX"},
    {0x7190, "i440BX/ZX"},
    {0x7192, "i440BX/ZX"},
    {0x71A0, "i440GX"},
    {0x71A2, "i440GX"},
    {0x7194, "i440MX"},
    {0x84CA, "i450NX"},
    {0x7120, "i810"},
    {0x7122, "i810"},
    {0x7124, "i810E"},
    {0x1130, "i815/E/EP"},
    {0x2500, "i820"},
    {0x2501, "i820"},
    {0x3575, "i830MP"},
    {0x1A21, "i840"},
    {0x1A30, "i845"},
    {0x2560, "i845G"},
    {0x2530, "i850/i850E"},
    {0x2531, "i860"},
    {0x358C, "i854"},
    {0x3580, "i852GM/i855GM"},
    {0x3340, "i855PM"},
    {0x2570, "i865P/PE/G/i848P"},
    {0x2578, "i875P"},
    {0x2580, "i915P/i915G"},
    {0x2590, "i915PM/GM"},
    {0x2584, "i925X"},
    {0x2770, "i945P/PL/G/GZ"},
    {0x2774, "i955X"},
    {0x277C, "i975X"},
    {0x27A0, "i945PM/GM/GT/i940GML"},
    {0x2970, "946PL/GZ"},
    {0x2980, "G35"},
    {0x2990, "Q965"},
    {0x29A0, "P965/G965"},
    {0x2A00, "i965M"},
    {0x29B0, "Q35"},
    {0x29C0, "G33/G31/P35/P31"},
    {0x29D0, "Q33"},
    {0x29E0, "X38/X48"},
    {0x255D, "E7205"},
    {0x2540, "E7500"},
    {0x254C, "E7501"},
    {0x2550, "E7505"},
    {0x3590, "E7520"},
    {0x359E, "E7525"},
    {0x2600, "E8500"},
    {0x25D8, "5000P"},
    {0x25D4, "5000V"},
    {0x25C0, "5000X"},
    {0x25D0, "5000Z"},
};

const CChipsetModel s_South[] = {
    {0x7000, "82371 (PIIX3)"},
    {0x7110, "82371 (PIIX4)"},
    {0x7198, "82443MX"},
    {0x2410, "82801AA (ICH)"},
    {0x2420, "82801AB (ICH0)"},
    {0x2440, "82801BA (ICH2)"},
    {0x244C, "82801BA (ICH2-M)"},
    {0x2480, "82801CA (ICH3-S)"},
    {0x248C, "82801CAM (ICH3-M)"},
    {0x24C0, "82801DB (ICH4)"},
    {0x24CC, "82801DB (ICH4-M)"},
    {0x24D0, "82801EB (ICH5)"},
    {0x25A1, "6300ESB (ICH-S)"},
    {0x2640, "82801FB (ICH6)"},
    {0x2641, "82801FBM (ICH6-M)"},
    {0x2670, "6321ESB"},
    {0x27B0, "82801GB (ICH7)"},
    {0x27B8, "82801GB (ICH7)"},
    {0x27B9, "82801GB (ICH7)"},
    {0x27BD, "82801GHM (ICH7-M DH)"},
    {0x2810, "82801HB (ICH8)"},
    {0x2811, "82801HB (ICH8)"},
    {0x2812, "82801HB (ICH8)"},
    {0x2814, "82801HB (ICH8)"},
    {0x2815, "82801HB (ICH8)"},
    {0x2910, "82801IB (ICH9)"},
    {0x2912, "82801IB (ICH9)"},
    {0x2914, "82801IB (ICH9)"},
    {0x2916, "82801IB (ICH9)"},
    {0x2918, "82801IB (ICH9)"},
};

}  // namespace

const CChipsetModelTable IntelNorthBridges = CHIPSET_TABLE(s_North);
const CChipsetModelTable IntelSouthBridges = CHIPSET_TABLE(s_South);

}  // namespace chipset
