// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PLLs that nVidia chipsets keep in the configuration space of bus 0, device 0: the FSB
// PLL in function 2 and the PCI-E PLL in function 3, each with a PLL register (M, N and, for
// the FSB, the post-divider exponent in bit 29), a reference synthesis register (multiplier
// in bits 8 and up, divider in the low bits, from 25 MHz) and a control register whose bit 0
// the driver takes back from the firmware. The models differ only in register numbers, field
// widths and constants, which their table rows give.
#include "pll/chipset/NVChipsetPLL.h"

// One PLL of a model.
struct NV_CONFIG_PLL {
    uint32_t dwFunction;   // of bus 0, device 0
    uint32_t dwPLL;        // M, N (and p)
    uint32_t dwReference;  // reference synthesis
    uint32_t dwControl;    // bit 0 handed back at the first read
    int32_t nStart;        // search: first divider
    float fCeiling;        // search: largest N'
    float fFactor;         // the reference × this is what the PLL multiplies
    uint32_t dwKeep;       // a new setting keeps these bits of the PLL register ...
    uint32_t dwSet;        // ... and sets these
    uint32_t dwSettleMs;
};

struct NV_CONFIG_PLL_MODEL {
    uint32_t dwID;
    float fFSBMax;
    uint32_t dwFieldMask;      // M = v AND mask, N = (v >> nShift) AND mask
    uint32_t nShift;
    uint32_t dwReferenceMask;  // multiplier = (v >> 8) AND mask
    uint32_t dwDividerMask;    // divider = v AND mask
    bool bRewriteAtRelease;    // the FSB setting is written again before bit 0 is released
    bool bPrepareFSB;          // bit 30 of the FSB PLL is set 20 ms before a new setting
    NV_CONFIG_PLL FSB;
    NV_CONFIG_PLL PCIE;
};

extern const NV_CONFIG_PLL_MODEL g_NForce4IEPLL;
extern const NV_CONFIG_PLL_MODEL g_GeForce6100PLL;
extern const NV_CONFIG_PLL_MODEL g_NForce680PLL;

class CNVConfigPLL : public CNVChipsetPLL {
public:
    explicit CNVConfigPLL(const NV_CONFIG_PLL_MODEL& model);

    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;
    uint32_t bPreviewClocks(CFrequencySet& set) override;
    uint32_t bReadClocks(CFrequencySet& set) override;

    // Working values.
    PLL_SETTING m_FSB = {0, 0};
    PLL_SETTING m_PCIE = {0, 0};
    uint32_t m_nPostShift = 0;  // the FSB is divided by 2^p
    float m_fFSBReference = -1.0f;
    float m_fPCIEReference = -1.0f;

private:
    uint32_t dwRead(const NV_CONFIG_PLL& pll, uint32_t dwOffset) const;
    uint32_t bWrite(const NV_CONFIG_PLL& pll, uint32_t dwOffset, uint32_t dwValue) const;
    float fReadReference(const NV_CONFIG_PLL& pll) const;
    void vReadSetting(const NV_CONFIG_PLL& pll, PLL_SETTING& setting, uint32_t& dwValue) const;
    // The PLL register with a new setting in it.
    uint32_t dwSetting(const NV_CONFIG_PLL& pll, uint32_t dwValue, const PLL_SETTING& setting) const;
    uint32_t bWriteSetting(const NV_CONFIG_PLL& pll, const PLL_SETTING& setting) const;
    // Hands bit 0 of the control register back: cleared with bit 8 pulsed, 50 ms apart.
    void vRelease(const NV_CONFIG_PLL& pll, bool bRewrite) const;
    bool bSearchFSB(float f, PLL_SETTING& setting) const;
    bool bSearchPCIE(float f, PLL_SETTING& setting) const;
    void vDecode(CFrequencySet& set) const;

    const NV_CONFIG_PLL_MODEL& m_Model;
};

class NV_NForce4_IE_ClockGenerator : public CNVConfigPLL {
public:
    NV_NForce4_IE_ClockGenerator() : CNVConfigPLL(g_NForce4IEPLL) {}
};

class NV_GeForce_6100_ClockGenerator : public CNVConfigPLL {
public:
    NV_GeForce_6100_ClockGenerator() : CNVConfigPLL(g_GeForce6100PLL) {}
};

class NV_NForce680_ClockGenerator : public CNVConfigPLL {
public:
    NV_NForce680_ClockGenerator() : CNVConfigPLL(g_NForce680PLL) {}
};
