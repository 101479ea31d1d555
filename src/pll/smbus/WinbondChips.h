// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Winbond clock chips: an M/N PLL with VCO = 14.31818 × (N + 4) / M.
#include "pll/smbus/MNPLLChip.h"

class W83194BGSD_ClockGenerator : public CMNPLLClockGenerator {
public:
    W83194BGSD_ClockGenerator();
    // The AGP clock is not programmable: the image is written again as it is.
    uint32_t bSetGSB(float fGSB) override;
protected:
    void vDecodeModel() override;
    void vFillOutputs(CFrequencySet& set) override;
};

class W83195BG101_ClockGenerator : public CMNPLLClockGenerator {
public:
    W83195BG101_ClockGenerator();
protected:
    void vFillOutputs(CFrequencySet& set) override;
};
