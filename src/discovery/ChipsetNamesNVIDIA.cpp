// SPDX-License-Identifier: GPL-2.0-or-later
// nVidia system platform processors (host bridges) and media and communications processors
// (LPC bridges) by device id.
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetModel s_North[] = {
    {0x01A4, "nForce"},
    {0x01E0, "nForce2"},
    {0x00D1, "nForce3 150"},
    {0x00E1, "nForce3 250"},
    {0x005E, "nForce4"},
    {0x0070, "nForce4 SLI Intel Edition"},
    {0x0071, "nForce4 SLI Intel Edition"},
    {0x02F0, "GeForce 6150"},
    {0x02F1, "GeForce 6100"},
    {0x02F5, "SPP190 (C51XE)"},
    {0x0369, "MCP55"},
    {0x03A1, "nForce 680i SLI SPP"},
    {0x03A2, "nForce 650i Ultra SPP"},
    {0x03A3, "650i SLI SPP"},
};

const CChipsetModel s_South[] = {
    {0x01B2, "nForce MCP"},
    {0x0060, "nForce2 MCP"},
    {0x0080, "nForce2 MCP-T"},
    {0x00D0, "nForce3 MCP"},
    {0x00E0, "nForce3 MCP"},
    {0x0050, "nForce4 MCP"},
    {0x0051, "nForce4 MCP"},
    {0x0260, "nForce 410/430 MCP"},
    {0x0261, "nForce 410/430 MCP"},
    {0x0262, "nForce 410/430 MCP"},
    {0x0360, "nForce 590 SLI"},
    {0x0361, "nForce 570 Ultra"},
    {0x0362, "nForce 570 Ultra"},
    {0x0363, "nForce 550"},
    {0x0364, "nForce 550"},
    {0x0365, "nForce Pro 3600"},
    {0x0366, "IO55"},
    {0x0367, "nForce Pro 3050"},
};

}  // namespace

const CChipsetModelTable NVIDIANorthBridges = CHIPSET_TABLE(s_North);
const CChipsetModelTable NVIDIASouthBridges = CHIPSET_TABLE(s_South);

}  // namespace chipset
