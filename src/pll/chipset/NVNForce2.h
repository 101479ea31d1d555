// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PLLs of the nForce2 in the configuration space of the host bridge: the FSB PLL at
// (0,0,0) 0xA4 (M in bits 0-7, N in bits 8-15, from 25.06067 MHz) with its control register
// 0xA0 and enable register 0xA8, and the AGP PLL in function 3 (0x78 from revision C0 on,
// else 0x6C; M2 in bits 0-7, N2 in bits 8-15, bit 20 doubles the AGP base) beside a sanity
// register (0x7C, else 0x70) whose low byte repeats one nibble.
//
// The FSB PLL's setting cannot be read back reliably, so the first read takes the PLL over
// by programming it to the bus clock the CPU interface measured; from then on the driver
// only decodes its own working values.
#include "pll/chipset/NVChipsetPLL.h"

class NV_NForce2_ClockGenerator : public CNVChipsetPLL {
public:
    NV_NForce2_ClockGenerator();

    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;
    uint32_t bPreviewClocks(CFrequencySet& set) override;
    uint32_t bReadClocks(CFrequencySet& set) override;
    std::string strWritesOnRead() const override;

    // Working values.
    PLL_SETTING m_FSB = {0, 0};
    PLL_SETTING m_AGP = {0, 0};
    float m_fAGPMultiplier = 1.0f;
    bool m_bTakenOver = false;

private:
    // The first read: takes the FSB PLL over and reads the AGP PLL.
    bool bTakeOver();
    uint32_t dwAGPRegister() const;
    // The clocks of an FSB and an AGP setting (the working values, or a preview's own).
    void vDecode(const PLL_SETTING& fsb, const PLL_SETTING& agp, CFrequencySet& set) const;
};
