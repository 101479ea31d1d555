// SPDX-License-Identifier: GPL-2.0-or-later
// ALi (later ULi) north and south bridges by device id; Acer Labs' parts answer under both of
// the company's vendor ids.
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetModel s_North[] = {
    {0x1541, "Aladdin 5"},
    {0x1621, "Aladdin Pro II"},
    {0x1631, "Aladdin Pro III"},
    {0x1641, "Aladdin Pro IV"},
    {0x1651, "Aladdin Pro 5"},
    {0x1647, "AliMagiK1"},
    {0x1644, "CyberAladdin-T (M1644)"},
    {0x1649, "CyberMagiK"},
    {0x1561, "M1561"},
    {0x1671, "M1671"},
    {0x1681, "M1681"},
    {0x1683, "M1683"},
    {0x1687, "M1687"},
    {0x1695, "M1695"},
    {0x1697, "M1697"},
};

const CChipsetModel s_South[] = {
    {0x1533, "M1533"},
    {0x1563, "M1563"},
    {0x1573, "M1573"},
    {0x1575, "M1575"},
    {0x1689, "M1689"},
};

}  // namespace

const CChipsetModelTable ALiNorthBridges = CHIPSET_TABLE(s_North);
const CChipsetModelTable ALiSouthBridges = CHIPSET_TABLE(s_South);

}  // namespace chipset
