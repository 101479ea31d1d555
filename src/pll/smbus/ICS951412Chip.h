// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// ICS 951412: no continuous FSB, only the 30 frequency-select patterns of its register 0.
#include "pll/ClockGenerator.h"

class ICS_951412_ClockGenerator : public CClockGenerator {
public:
    ICS_951412_ClockGenerator();

    uint32_t bPreviewClocks(CFrequencySet& set) override;
    uint32_t bReadClocks(CFrequencySet& set) override;
    // Writes the target's preset code into register 0 at once (no walk); 0 for a preset
    // outside the table.
    uint32_t bApplyClocks(const CFrequencySet& target, PLL_PROGRESS pfnProgress) override;

    // The row with this select code, or -1.
    int32_t nPresetOfCode(uint32_t dwCode) const;
    // The row with the highest FSB not above f (the first of equals), or -1.
    int32_t nPresetBelow(float fFSB) const;

private:
    void vFillPreset(int32_t nPreset, CFrequencySet& set) const;
};

// The select patterns and the clocks each gives.
extern const FREQUENCY_PRESET g_ICS951412Presets[30];
