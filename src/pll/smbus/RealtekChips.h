// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Realtek clock chips. All four are read and written one register at a time with word
// transfers. The 360-408 and 560-266 are first switched from block to word access by a
// block write, and bracket every FSB change with the unlock bits of register 31; the 862-410
// and 865-461 take word transfers with the register OR 0x80 as command from the start.
#include "pll/smbus/SMBusChip.h"

// What sets the two block-then-word parts apart in reading, searching and their limits.
struct REALTEK_WORD_PART {
    int32_t nRegisters;    // registers read one by one
    int32_t nMinimumGood;  // fewer good registers fail the read
    PLL_SEARCH Search;     // D = M + nMOffset, N = NA + NB; FSB = reference / 2 × (N + offset) / D
    int32_t nMOffset;
    int32_t nMaxHalf;      // the largest NA and NB the registers hold
    CLOCK_LIMITS Limits;
};

// The two block-then-word parts.
class CRealtekBlockWordChip : public CSMBusChipGenerator {
public:
    uint32_t bReadClocks(CFrequencySet& set) override;
    uint32_t bSetFSB(float fFSB) override;

    int32_t m_nM = -1;
    int32_t m_nNA = -1;
    int32_t m_nNB = -1;
    float m_fReference = 24.0f;

protected:
    CRealtekBlockWordChip(uint32_t dwID, const REALTEK_WORD_PART& part);
    // The block as read, changed so that writing it back switches the chip to word access.
    virtual void vPrepareSwitch(uint8_t* pImage) = 0;
    bool bSearchFSB(float fFSB) override;
    float fFSB() const;

    const REALTEK_WORD_PART& m_Part;
};

class RTM_360_408_ClockGenerator : public CRealtekBlockWordChip {
public:
    RTM_360_408_ClockGenerator();
protected:
    void vPrepareSwitch(uint8_t* pImage) override;
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    void vEncodeFSB() override;
};

class RTM_560_266_ClockGenerator : public CRealtekBlockWordChip {
public:
    RTM_560_266_ClockGenerator();
    int32_t m_nPCIDivider = -1;
protected:
    void vPrepareSwitch(uint8_t* pImage) override;
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    void vEncodeFSB() override;
};

// The two parts with word access from the start.
class CRealtekWordChip : public CSMBusChipGenerator {
public:
    uint32_t bReadClocks(CFrequencySet& set) override;

    int32_t m_nCPUDivider = -1;
    float m_fVCO = -1.0f;
    float m_fVCO2 = -1.0f;

protected:
    CRealtekWordChip(uint32_t dwID, int32_t nRegisters, int32_t nMinimumGood, bool bClearFirst,
                     const CLOCK_LIMITS& limits);
    // Writes the listed registers of the image, each with one word transfer.
    bool bWriteWords(const uint8_t* pRegisters, int nCount);
    void vEncodeFSB() override {}

    int32_t m_nWordRegisters;
    int32_t m_nMinimumGood;
    bool m_bClearFirst;
};

class RTM_862_410_ClockGenerator : public CRealtekWordChip {
public:
    RTM_862_410_ClockGenerator();
    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;

    int32_t m_nM = -1;
    int32_t m_nN = -1;
    int32_t m_nM2 = -1;
    int32_t m_nN2 = -1;
    float m_fVCO3 = -1.0f;
protected:
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    bool bSearchGSB(float fGSB) override;
private:
    // Sets bit 0 of register 31 (read back first) so the chip takes the new dividers.
    bool bLoad();
};

class RTM_865_461_ClockGenerator : public CRealtekWordChip {
public:
    RTM_865_461_ClockGenerator();
    uint32_t bSetFSB(float fFSB) override;
    uint32_t bSetGSB(float fGSB) override;

    int32_t m_nGSBDivider = -1;
protected:
    void vDecode() override;
    void vFill(CFrequencySet& set) override;
    bool bSearchFSB(float fFSB) override;
    bool bSearchGSB(float fGSB) override;
private:
    bool bCommit(const uint8_t* pRegisters, int nCount);
};
