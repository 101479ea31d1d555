// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Cypress clock chips: FSB = reference × N / M, the reference chosen by register bits.
#include "pll/smbus/SMBusChip.h"

class CY28346_ClockGenerator : public CSMBusChipGenerator {
public:
    CY28346_ClockGenerator();
    // Two writes: the new M and N, then the same with the load bit (bit 0 of register 9).
    uint32_t bSetFSB(float fFSB) override;

    int32_t m_nM = -1;
    int32_t m_nN = -1;
    float m_fReference = 32.005333f;
    float m_fAGPDivider = 1.0f;

protected:
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    void vEncodeFSB() override;
};

class CY28551_ClockGenerator : public CSMBusChipGenerator {
public:
    CY28551_ClockGenerator();

    int32_t m_nM = -1;
    int32_t m_nN = -1;
    float m_fReference = 60.0f;
    int32_t m_nGSBN = -1;  // PCI-E = N2 × 30 / 60
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
