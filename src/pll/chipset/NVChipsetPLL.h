// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the PLLs inside nVidia chipsets have in common: they are found by the chipset's PCI
// device id, never use the SMBus or the register image, reach their registers either in the
// configuration space of bus 0, device 0, or through two I/O port windows that device 1
// publishes, and work out their dividers with the chipset form of the M/N search.
#include <cstdint>

#include "pll/ClockGenerator.h"
#include "pll/PLLSearch.h"

class CPortIOSpace;

// The reference clocks that are fixed in the silicon (MHz).
constexpr float NV_FSB_REFERENCE_K8 = 387.5f;       // nForce4 and MCP55 FSB PLL
constexpr float NV_FSB_REFERENCE_NFORCE2 = 25.06067f;
constexpr float NV_AGP_BASE_NFORCE2 = 100.0f;
constexpr float NV_SYNTHESIS_BASE = 25.0f;           // the reference synthesis registers
constexpr float NV_CRYSTAL = 14.31818f;              // nForce3 reference synthesis
constexpr float NV_PCI_FIXED = 33.34f;

class CNVChipsetPLL : public CClockGenerator {
public:
    CNVChipsetPLL(uint32_t dwID, float fFSBMin, float fFSBMax, int32_t nGSBType);

protected:
    // Configuration access on bus 0 through the kit's PCI interface; all ones (reads) or 0
    // (writes) without one.
    static bool bHavePCI();
    static uint32_t dwReadConfig(uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
    static uint32_t bWriteConfig(uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue);
    // The bus clock the CPU interface measured, -1 when there is none.
    static float fMeasuredBusClock();

    // The divider search: f is clamped to [fMin, fMax], multiplied by 2^nPostShift and
    // searched from nStart down. A divider of 0 is never chosen: the PLL would divide by zero.
    static bool bSearch(float f, float fMin, float fMax, uint32_t nPostShift, float fReference, int32_t nStart,
                        float fCeiling, PLL_SETTING& setting);
    // fReference × N / M, -1 when M is 0 or the reference is unknown.
    static float fClock(float fReference, uint32_t nN, uint32_t nM);

    // The decoded clocks into the set; without m_bGSBEnabled the GSB and PCI clocks stay -1.
    void vFill(CFrequencySet& set, float fFSB, float fGSB, float fPCI) const;
};

// The two I/O port windows of the PLL: A at the base in configuration register 0x60 and B at
// the base in register 0x68 of a chipset function. The port spaces belong to the kit's list.
class CNVPortWindows {
public:
    static constexpr uint32_t WINDOW_SIZE = 256;
    static constexpr uint32_t UPDATE_REGISTER = 0xA4;  // in A: bit 0 starts a PLL update
    static constexpr uint32_t CONTROL_REGISTER = 0xC8;  // in B

    bool bIsOpen() const { return m_pA && m_pB; }
    // Finds or creates the two port spaces from the function's registers. Fails without a PCI
    // interface or when a register does not hold a base.
    bool bOpen(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction);

    uint32_t dwReadA(uint32_t dwOffset);
    uint32_t dwReadB(uint32_t dwOffset);
    uint32_t bWriteA(uint32_t dwOffset, uint32_t dwValue);
    uint32_t bWriteB(uint32_t dwOffset, uint32_t dwValue);

    // Clears bit 0 of B[0xC8] when it is set, and lets the PLL settle for 50 ms.
    void vReleaseControl();
    // Writes a PLL register as (v AND dwKeep) + N × 0x400 + M.
    uint32_t bWritePLL(uint32_t dwOffset, uint32_t dwKeep, const PLL_SETTING& setting);
    // Starts a PLL update with bit 0 of A[0xA4] and polls it, 100 times 10 ms, until it
    // clears. False when it stays set.
    bool bUpdate();

    CPortIOSpace* m_pA = nullptr;
    CPortIOSpace* m_pB = nullptr;
};
