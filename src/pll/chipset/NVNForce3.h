// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PLLs of the nForce3 150 and 250, reached through the two port windows: B[0x08] the FSB
// PLL and B[0x10] the AGP PLL (M in bits 0-9, N in bits 10-19 each), B[0x1C] the AGP
// reference source and the PCI clock source. The FSB PLL's reference is synthesised from the
// 14.31818 MHz crystal (150: B[0x04]; 250: B[0x00]).
#include "pll/chipset/NVChipsetPLL.h"

class NV_NForce3_150_ClockGenerator : public CNVChipsetPLL {
public:
    NV_NForce3_150_ClockGenerator();

    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;
    uint32_t bPreviewClocks(CFrequencySet& set) override;
    uint32_t bReadClocks(CFrequencySet& set) override;

    // Working values.
    PLL_SETTING m_FSB = {0, 0};
    PLL_SETTING m_AGP = {0, 0};
    float m_fFSBReference = -1.0f;
    float m_fAGPReference = -1.0f;
    uint32_t m_nPCISource = 0;
    CNVPortWindows m_Windows;

protected:
    NV_NForce3_150_ClockGenerator(uint32_t dwID, float fFSBCeiling);
    // The FSB PLL's reference from the synthesis register.
    virtual float fReadFSBReference();
    // The AGP PLL's reference from B[0x1C].
    virtual float fAGPReference(uint32_t dwSource);
    virtual float fPCI(float fFSB) const;
    // The update handshake after a new FSB setting.
    virtual bool bUpdate();
    void vDecode(CFrequencySet& set) const;

    float m_fFSBCeiling;
};

class NV_NForce3_250_ClockGenerator : public NV_NForce3_150_ClockGenerator {
public:
    NV_NForce3_250_ClockGenerator();

protected:
    float fReadFSBReference() override;
    float fAGPReference(uint32_t dwSource) override;
    float fPCI(float fFSB) const override;
    bool bUpdate() override;
};
