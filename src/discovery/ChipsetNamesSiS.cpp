// SPDX-License-Identifier: GPL-2.0-or-later
// SiS host bridges and LPC bridges by device id.
#include "discovery/ChipsetNames.h"

namespace chipset {

namespace {

const CChipsetModel s_North[] = {
    {0x0496, "85C496"},
    {0x0646, "645DX"},
    {0x0648, "648FX"},
    {0x0655, "655FX"},
    {0x0661, "661FX"},
    {0x0741, "741GX"},
    {0x0755, "755/755FX"},
    {0x0760, "760GX"},
    {0x0761, "761GX"},
    {0x0658, "R658"},
    {0x0659, "R659"},
};

const CChipsetModel s_South[] = {
    {0x0496, "85C496"},
    {0x0008, "85C503"},
    {0x0018, "LPC Bridge"},
    {0x0961, "961"},
    {0x0962, "962"},
    {0x0963, "963"},
    {0x0964, "964"},
    {0x0965, "965"},
    {0x0966, "966"},
};

}  // namespace

const CChipsetModelTable SiSNorthBridges = CHIPSET_TABLE(s_North);
const CChipsetModelTable SiSSouthBridges = CHIPSET_TABLE(s_South);

}  // namespace chipset
