// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ClocksPanel.h"

#include "pll/ClockGenerator.h"

namespace ui {

const char* pszGSBTitle(int32_t nGSBType)
{
    switch (nGSBType) {
    case GSB_AGP:
        return "AGP";
    case GSB_PCIE:
        return "PCIE";
    default:
        return "";
    }
}
}  // namespace ui
