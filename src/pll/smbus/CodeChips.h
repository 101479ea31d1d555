// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock chips programmed with a frequency code rather than PLL dividers: the Silego part
// (the FSB in whole MHz) and the two IDT parts (a code times a step).
#include "pll/smbus/SMBusChip.h"

class SLG505YC56D_ClockGenerator : public CSMBusChipGenerator {
public:
    SLG505YC56D_ClockGenerator();

    int32_t m_nFSBCode = -1;   // MHz
    int32_t m_nGSBCode = -1;   // MHz
    uint32_t m_bFSBEnabled = 0;
    uint32_t m_bGSBEnabledBit = 0;

protected:
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    bool bSearchGSB(float fGSB) override;
    void vEncodeFSB() override;
    void vEncodeGSB() override;
};

class IDT_CV107_ClockGenerator : public CSMBusChipGenerator {
public:
    IDT_CV107_ClockGenerator();

    int32_t m_nFSBCode = -1;
    float m_fCodeStep = 0.4474432f;  // MHz per FSB code
    int32_t m_nGSBCode = -1;
    uint32_t m_bFSBEnabled = 0;
    uint32_t m_bGSBEnabledBit = 0;

protected:
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    bool bSearchGSB(float fGSB) override;
    void vEncodeFSB() override;
    void vEncodeGSB() override;
};

class IDT_CV174C_ClockGenerator : public CSMBusChipGenerator {
public:
    IDT_CV174C_ClockGenerator();

    int32_t m_nFSBCode = -1;
    float m_fOffset = 0.0f;
    float m_fMultiplier = 1.0f;
    int32_t m_nGSBCode = -1;     // register 18: twice the PCI-E clock
    uint32_t m_bGSBOwnCode = 0;  // bit 2 of register 0: PCI-E follows register 18
    uint32_t m_bFSBEnabled = 0;

protected:
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    bool bSearchGSB(float fGSB) override;
    void vEncodeFSB() override;
    void vEncodeGSB() override;
};
