// SPDX-License-Identifier: GPL-2.0-or-later
// The ICS M/N PLL chips of the AGP era: 94228, 950403, 950405, 951402, 952505, 952607 and
// 952618.
#include "kit/MachineFacts.h"
#include "pll/smbus/ICSChips.h"
#include "pll/smbus/ICSRecords.h"

using namespace ics;

namespace {

const MN_CHIP_MODEL g_ICS94228 = {
    .Read = {.nMinimum = 9, .nLength = 15, .nCountRegister = 8},
    .CPUPLL = {.Fields = {.nMRegister = 9, .nNRegister = 10, .eLayout = MN_M7_NLOW},
               .nMOffset = 2,
               .Search = {.nStartDivisor = 18, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 500.0f}},
    .CPUDivider = MEASURED,
    .Enable = {.nStateRegister = 4, .bStateMask = 0x40, .nSetRegister = 4, .bSetMask = 0x40},
    .Strobe = {.nRegister = 0, .bMask = 0x40},
    .Limits = {.fFSBMin = 66.67f, .fFSBMax = 300.0f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
};

const MN_CHIP_MODEL g_ICS950403 = {
    .Read = {.nMinimum = 7, .nLength = 25, .nCountRegister = 6},
    .CPUPLL = {.Fields = {.nMRegister = 11, .nNRegister = 12, .eLayout = MN_M7_N9},
               .nMOffset = 2,
               .Search = {.nStartDivisor = 34, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 509.0f}},
    .CPUDivider = {.nTable = DIV_TABLE_B, .nRegister = 15, .nShift = 0},
    .Enable = ENABLE_REG10_BIT7,
    .Limits = {.fFSBMin = 100.0f, .fFSBMax = 400.0f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
    .bOutputsAlways = true,
};

const MN_CHIP_MODEL g_ICS950405 = {
    .Read = {.nMinimum = 1, .nLength = 13, .nCountRegister = 6, .bFillOnes = true},
    .CPUPLL = {.Fields = {.nMRegister = 11, .nNRegister = 12, .eLayout = MN_M6_N10},
               .nMOffset = 2,
               .Search = {.nStartDivisor = 34, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 1000.0f}},
    .CPUDivider = MEASURED,
    .Enable = ENABLE_REG10_BIT7,
    .Limits = {.fFSBMin = 100.0f, .fFSBMax = 400.0f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
};

const MN_CHIP_MODEL g_ICS951402 = {
    .Read = {.nMinimum = 9, .nLength = 20, .nCountRegister = 8},
    .CPUPLL = {.Fields = {.nMRegister = 11, .nNRegister = 12, .eLayout = MN_M7_N9},
               .nMOffset = 2,
               .Search = {.nStartDivisor = 18, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 500.0f}},
    .CPUDivider = {.nTable = DIV_TABLE_B, .nRegister = 15, .nShift = 0},
    .Enable = ENABLE_REG10_BIT7,
    .Limits = {.fFSBMin = 100.0f, .fFSBMax = 500.0f, .nGSBType = GSB_AGP, .bFSBAdjustable = true},
};

// The GSB limits are those of AGP until a read finds a PCI-Express graphics card.
const MN_CHIP_MODEL g_ICS952505 = {
    .Read = {.nMinimum = 9, .nLength = 21, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = {.nTable = DIV_TABLE_B, .nRegister = 19, .nShift = 4},
    .Enable = {.nStateRegister = 1, .bStateMask = 0x80, .nSetRegister = 10, .bSetMask = 0x80},
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(15, 16),
    .Limits = {.fFSBMin = 100.0f,
               .fFSBMax = 500.0f,
               .fGSBMin = 33.34f,
               .fGSBMax = 133.34f,
               .nGSBType = GSB_AGP,
               .bFSBAdjustable = true,
               .bGSBAdjustable = true},
};

// The 952607 and 952618 set their AGP clock through a small PLL of their own (g_AGPPLL).
const MN_CHIP_MODEL g_ICS952607 = {
    .Read = {.nMinimum = 9, .nLength = 25, .nCountRegister = 8},
    .CPUPLL = {.Fields = {.nMRegister = 11, .nNRegister = 12, .eLayout = MN_M7_N9},
               .nMOffset = 2,
               .Search = {.nStartDivisor = 18, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 509.0f}},
    .CPUDivider = {.nTable = DIV_TABLE_B, .nRegister = 15, .nShift = 0},
    .Enable = ENABLE_REG10_BIT7,
    .Limits = {.fFSBMin = 100.0f,
               .fFSBMax = 500.0f,
               .fGSBMin = 33.34f,
               .fGSBMax = 133.34f,
               .nGSBType = GSB_AGP,
               .bFSBAdjustable = true,
               .bGSBAdjustable = true},
};

const MN_CHIP_MODEL g_ICS952618 = {
    .Read = {.nMinimum = 9, .nLength = 25, .nCountRegister = 8},
    .CPUPLL = {.Fields = {.nMRegister = 11, .nNRegister = 12, .eLayout = MN_M7_N9},
               .nMOffset = 2,
               .Search = {.nStartDivisor = 18, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 509.0f}},
    .CPUDivider = {.nTable = DIV_TABLE_F, .nRegister = 15, .nShift = 0},
    .Enable = ENABLE_REG10_BIT7,
    .Limits = {.fFSBMin = 66.67f,
               .fFSBMax = 400.0f,
               .fGSBMin = 33.34f,
               .fGSBMax = 133.34f,
               .nGSBType = GSB_AGP,
               .bFSBAdjustable = true,
               .bGSBAdjustable = true},
};

// The small AGP PLL of the 952607 family: VCO = ref × (N2 + 8) / (M2 + 2), M2 in 4 bits,
// N2 in 7 bits, searched from M2 = 10.
const MN_PLL g_AGPPLL = {.Fields = {.nMRegister = 5, .nNRegister = 6, .eLayout = MN_M7_N9},
                         .nMOffset = 2,
                         .Search = {.nStartDivisor = 12, .nMinDivisor = 2, .fOffset = 8.0f, .fCeiling = 126.0f}};

// The graphics card decides what the 952505's second bus clock is: the first display
// function with an AGP capability makes it AGP, the first with a PCI-Express one PCI-E.
// AGP when there is none, or no PCI interface.
int32_t nGraphicsBusType() { return kit::MachineFacts().bPCIExpressGraphics() ? GSB_PCIE : GSB_AGP; }

}  // namespace

// ICS 94228: the AGP divider follows the CPU divider by the frequency select in register 0.
ICS_94228_ClockGenerator::ICS_94228_ClockGenerator()
    : CMNPLLClockGenerator(0x01094228, g_ICS94228)
{
}

void ICS_94228_ClockGenerator::vDecodeModel()
{
    int32_t d = m_nCPUDivider;
    if (d <= 0) {
        m_nGSBDivider = -1;
        return;
    }
    switch (m_abRegisters[0] & 15) {
    case 4: case 5: case 6: case 13: m_nGSBDivider = int32_t(2.5f * float(d) + 0.5f); break;
    case 7: case 8: case 9: case 10: case 15: m_nGSBDivider = 2 * d; break;
    case 11: m_nGSBDivider = d; break;
    case 14: m_nGSBDivider = int32_t(1.5f * float(d) + 0.5f); break;
    default: m_nGSBDivider = 3 * d; break;
    }
}

void ICS_94228_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nGSBDivider));
    set.m_fPCI = fHalf(set.m_fGSB);
}

// ICS 950403: AGP from the VCO when bit 0 of register 21 is set, else 66 or 75.4 MHz.
ICS_950403_ClockGenerator::ICS_950403_ClockGenerator()
    : CMNPLLClockGenerator(0x01950403, g_ICS950403)
{
}

void ICS_950403_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, m_abRegisters[15] >> 4);
}

void ICS_950403_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    if (bBit(m_abRegisters, 21, 0))
        set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nGSBDivider));
    else
        set.m_fGSB = bBit(m_abRegisters, 21, 1) ? 75.4f : 66.0f;
    set.m_fPCI = fHalf(set.m_fGSB);
}

// ICS 950405: AGP is VCO / 6 when bit 6 of register 9 is set, else 66 or 75.4 MHz.
ICS_950405_ClockGenerator::ICS_950405_ClockGenerator()
    : CMNPLLClockGenerator(0x01950405, g_ICS950405)
{
}

void ICS_950405_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    if (bBit(m_abRegisters, 9, 6))
        set.m_fGSB = fDivideClock(m_fCPUVCO, 6.0f);
    else
        set.m_fGSB = bBit(m_abRegisters, 9, 7) ? 75.4f : 66.0f;
    set.m_fPCI = fHalf(set.m_fGSB);
}

// ICS 951402: AGP and PCI each have their own divider of the CPU VCO.
ICS_951402_ClockGenerator::ICS_951402_ClockGenerator()
    : CMNPLLClockGenerator(0x01951402, g_ICS951402)
{
}

void ICS_951402_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, m_abRegisters[16] >> 4);
    m_nPCIDivider = nTableDivider(DIV_TABLE_D, m_abRegisters[17] & 15);
}

void ICS_951402_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nGSBDivider));
    set.m_fPCI = fDivideClock(m_fCPUVCO, float(m_nPCIDivider));
}

// ICS 952505: AGP or PCI-E as the graphics card is, from either PLL or fixed sources.
ICS_952505_ClockGenerator::ICS_952505_ClockGenerator()
    : CMNPLLClockGenerator(0x01952505, g_ICS952505)
{
}

void ICS_952505_ClockGenerator::vDecodeModel()
{
    const uint8_t* r = m_abRegisters;
    if (m_bGSBEnabled) {
        m_nGSBType = nGraphicsBusType();
        m_Min.m_fGSB = m_nGSBType == GSB_PCIE ? 50.0f : 33.34f;
        m_Max.m_fGSB = m_nGSBType == GSB_PCIE ? 200.0f : 133.34f;
    }
    m_nPCIEDivider = nTableDivider(DIV_TABLE_B, r[20] & 15);
    m_nAGPDivider = nTableDivider(DIV_TABLE_G, r[20] >> 4);
    if (m_nGSBType == GSB_PCIE) {
        m_nGSBDivider = m_nPCIEDivider;
        m_nPCIDivider = m_nPCIEDivider > 0 ? 3 * m_nPCIEDivider : -1;
    } else {
        m_nGSBDivider = m_nAGPDivider;
        m_nPCIDivider = m_nAGPDivider > 0 ? 2 * m_nAGPDivider : -1;
    }
}

// The second PLL is set only when it is what drives the GSB: a success that leaves the clock
// where it was would be a false report.
int32_t ICS_952505_ClockGenerator::nGSBSearchDivider()
{
    const uint8_t* r = m_abRegisters;
    bool bFromSecondPLL = m_nGSBType == GSB_PCIE ? bBit(r, 1, 4) : (bBit(r, 1, 3) && ((r[1] >> 1) & 3) == 0);
    return bFromSecondPLL ? m_nGSBDivider : -1;
}

void ICS_952505_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    const uint8_t* r = m_abRegisters;
    static const float afAGP[4] = {-1.0f, 66.0f, 75.4f, 88.0f};
    static const float afPCI[4] = {-1.0f, 33.0f, 37.7f, 44.0f};
    if (m_nGSBType == GSB_PCIE) {
        set.m_fGSB = fDivideClock(bBit(r, 1, 4) ? m_fGSBVCO : m_fCPUVCO, float(m_nPCIEDivider));
    } else if (bBit(r, 1, 3)) {
        int nSource = (r[1] >> 1) & 3;
        set.m_fGSB = nSource ? afAGP[nSource] : fDivideClock(m_fGSBVCO, float(m_nAGPDivider));
    } else {
        set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nAGPDivider));
    }
    if (bBit(r, 5, 2)) {
        int nSource = r[5] & 3;
        set.m_fPCI = nSource ? afPCI[nSource] : fDivideClock(m_fGSBVCO, float(m_nPCIDivider));
    } else {
        set.m_fPCI = fDivideClock(m_fCPUVCO, float(m_nPCIDivider));
    }
}

// ICS 952607.
ICS_952607_ClockGenerator::ICS_952607_ClockGenerator()
    : ICS_952607_ClockGenerator(0x01952607, g_ICS952607)
{
}

ICS_952607_ClockGenerator::ICS_952607_ClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model)
    : CMNPLLClockGenerator(dwID, model)
{
}

float ICS_952607_ClockGenerator::fSecondReference(int32_t nSelector) const
{
    static const float afReference[4] = {16.0f, 19.2f, 17.46f, -1.0f};
    return afReference[nSelector & 3];
}

void ICS_952607_ClockGenerator::vDecodeModel()
{
    const uint8_t* r = m_abRegisters;
    m_nMode = (r[5] >> 5) & 3;
    m_nGSBM = r[5] & 15;
    m_nGSBN = r[6] & 127;
    // The reference selector: bit 7 of register 6 is its low bit, bit 7 of register 7 its high.
    m_fGSBReference = fSecondReference(((r[6] >> 7) & 1) | (((r[7] >> 7) & 1) << 1));
    m_fGSBVCO = m_fGSBReference > 0 ? fPLLOutput(m_fGSBReference, g_AGPPLL, m_nGSBM, m_nGSBN) : -1.0f;
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, r[16] & 15);
}

void ICS_952607_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    if (m_nMode == 0)
        set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nGSBDivider));
    else if (bSecondPLLMode())
        set.m_fGSB = m_fGSBVCO > 0 ? m_fGSBVCO : -1.0f;
    else
        set.m_fGSB = -1.0f;
    set.m_fPCI = fHalf(set.m_fGSB);
}

bool ICS_952607_ClockGenerator::bSearchGSB(float fGSB)
{
    // Only the second PLL can be set; in the other modes AGP follows the CPU PLL.
    if (!bSecondPLLMode() || !(m_fGSBReference > 0)) return false;
    fGSB = fClampClock(fGSB, m_Min.m_fGSB, m_Max.m_fGSB);
    int32_t nM = 0, nN = 0;
    if (!bFindMN(fGSB, m_fGSBReference, g_AGPPLL, nM, nN) || nM > 15 || nN > 127) return false;
    m_nGSBM = nM;
    m_nGSBN = nN;
    m_fGSBVCO = fPLLOutput(m_fGSBReference, g_AGPPLL, nM, nN);
    return true;
}

void ICS_952607_ClockGenerator::vEncodeGSB()
{
    m_abRegisters[5] = uint8_t((m_abRegisters[5] & 0xF0) | (m_nGSBM & 15));
    m_abRegisters[6] = uint8_t((m_abRegisters[6] & 0x80) | (m_nGSBN & 127));
}

// ICS 952618: as the 952607, with the PCI divider of the CPU VCO in modes 0 and 3.
ICS_952618_ClockGenerator::ICS_952618_ClockGenerator()
    : ICS_952607_ClockGenerator(0x01952618, g_ICS952618)
{
}

float ICS_952618_ClockGenerator::fSecondReference(int32_t nSelector) const
{
    static const float afReference[4] = {16.0f, 19.2f, 17.46f, 16.0f};
    return afReference[nSelector & 3];
}

void ICS_952618_ClockGenerator::vDecodeModel()
{
    ICS_952607_ClockGenerator::vDecodeModel();
    m_nPCIDivider = nTableDivider(DIV_TABLE_F, m_abRegisters[16] >> 4);
}

void ICS_952618_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    if (bSecondPLLMode()) {
        set.m_fGSB = m_fGSBVCO > 0 ? m_fGSBVCO : -1.0f;
        set.m_fPCI = fHalf(set.m_fGSB);
    } else {
        set.m_fPCI = fDivideClock(m_fCPUVCO, float(m_nPCIDivider));
        set.m_fGSB = fTwice(set.m_fPCI);
    }
}
