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

app::WindowPlacement FitClocksFrame(const app::WindowPlacement& placement, int32_t nPanelWidth,
                                    int32_t nPanelHeight, int32_t nCaptionHeight)
{
    app::WindowPlacement fitted = placement;
    fitted.nRight = fitted.nLeft + nPanelWidth + 8;
    fitted.nBottom = fitted.nTop + nCaptionHeight + nPanelHeight + 7;
    return fitted;
}

}  // namespace ui
