// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PLLs of the nForce4 (K8) and the MCP55 (nForce5): reached through the two port windows.
// B[0x08] is the FSB PLL (M in bits 0-9, N in bits 10-19; reference 387.5 MHz, halved),
// B[0x38] synthesises the PCI-E PLL's reference from 25 MHz, B[0x3C] is the PCI-E PLL (M2 in
// bits 0-7, N2 in bits 8-17), bit 27 of B[0x1C] selects the PCI clock's source. A new FSB
// setting takes effect through the update handshake on A[0xA4].
#include "pll/chipset/NVChipsetPLL.h"

class NV_NForce4_ClockGenerator : public CNVChipsetPLL {
public:
    NV_NForce4_ClockGenerator();

    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;
    uint32_t bPreviewClocks(CFrequencySet& set) override;
    uint32_t bReadClocks(CFrequencySet& set) override;

    // Working values.
    PLL_SETTING m_FSB = {0, 0};
    PLL_SETTING m_PCIE = {0, 0};
    float m_fFSBReference = NV_FSB_REFERENCE_K8;
    float m_fPCIEReference = -1.0f;  // from B[0x38] at each read
    uint32_t m_nPCISource = 0;
    CNVPortWindows m_Windows;

protected:
    NV_NForce4_ClockGenerator(uint32_t dwID, float fFSBMax);
    // Creates the windows when they are not there yet.
    virtual bool bOpenWindows();
    void vDecode(CFrequencySet& set) const;
};

// The MCP55 publishes its windows in the function 10DE:0368, wherever it sits.
class NV_NForce5_ClockGenerator : public NV_NForce4_ClockGenerator {
public:
    NV_NForce5_ClockGenerator();

protected:
    bool bOpenWindows() override;
};
