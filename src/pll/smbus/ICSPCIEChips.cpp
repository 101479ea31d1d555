// SPDX-License-Identifier: GPL-2.0-or-later
// The ICS M/N PLL chips of the PCI-Express era: 951416, 951422, 951446, 951462, 954119,
// 954123, 954148, 954519, 9PLRS509 and 9PLRS587.
#include "kit/MachineFacts.h"
#include "pll/smbus/ICSChips.h"
#include "pll/smbus/ICSRecords.h"

using namespace ics;

namespace {

// Most PCI-Express parts set both clocks: FSB 100 to 600 MHz, PCI-E 50 to 200 MHz.
constexpr CLOCK_LIMITS FSB_600_PCIE_200 = {.fFSBMin = 100.0f,
                                           .fFSBMax = 600.0f,
                                           .fGSBMin = 50.0f,
                                           .fGSBMax = 200.0f,
                                           .nGSBType = GSB_PCIE,
                                           .bFSBAdjustable = true,
                                           .bGSBAdjustable = true};

const MN_CHIP_MODEL g_ICS951416 = {
    .Read = {.nMinimum = 9, .nLength = 21, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = {.nTable = DIV_TABLE_A, .nRegister = 19, .nShift = 4},
    .Enable = ENABLE_REG10_BIT7,
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(15, 16),
    .Limits = {.fFSBMin = 100.0f,
               .fFSBMax = 500.0f,
               .fGSBMin = 50.0f,
               .fGSBMax = 200.0f,
               .nGSBType = GSB_PCIE,
               .bFSBAdjustable = true,
               .bGSBAdjustable = true},
};

const MN_CHIP_MODEL g_ICS951422 = {
    .Read = {.nMinimum = 9, .nLength = 21, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = {.nTable = DIV_TABLE_A, .nRegister = 19, .nShift = 4},
    .Enable = ENABLE_REG10_BIT7,
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(17, 18),
    .Limits = {.fFSBMin = 100.0f,
               .fFSBMax = 500.0f,
               .fGSBMin = 50.0f,
               .fGSBMax = 200.0f,
               .nGSBType = GSB_PCIE,
               .bFSBAdjustable = true,
               .bGSBAdjustable = true},
};

const MN_CHIP_MODEL g_ICS951446 = {
    .Read = {.nMinimum = 9, .nLength = 21, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = {.nTable = DIV_TABLE_A, .nRegister = 19, .nShift = 4},
    .Enable = ENABLE_REG10_BIT7,
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(15, 16),
    .Limits = FSB_600_PCIE_200,
};

const MN_CHIP_MODEL g_ICS951462 = {
    .Read = {.nMinimum = 9, .nLength = 21, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = {.nTable = DIV_TABLE_A, .nRegister = 19, .nShift = 4},
    .Enable = ENABLE_REG10_BIT7,
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(15, 16),
    .Limits = FSB_600_PCIE_200,
};

const MN_CHIP_MODEL g_ICS954119 = {
    .Read = {.nMinimum = 9, .nLength = 21, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = MEASURED,
    .Enable = ENABLE_REG10_BIT7,
    .Limits = {.fFSBMin = 100.0f, .fFSBMax = 500.0f, .nGSBType = GSB_PCIE, .bFSBAdjustable = true},
};

// The 954123 and 954519 keep a divider code in register 19, one past their 19-byte block:
// the byte count is repaired to 20 so that the chip sends it.
const MN_CHIP_MODEL g_ICS954123 = {
    .Read = {.nMinimum = 9, .nLength = 20, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = MEASURED,
    .Enable = ENABLE_REG10_BIT7,
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(17, 18),
    .Limits = FSB_600_PCIE_200,
};

const MN_CHIP_MODEL g_ICS954148 = {
    .Read = {.nMinimum = 9, .nLength = 19, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = MEASURED,
    .Enable = ENABLE_REG10_BIT7,
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(17, 18),
    .Limits = FSB_600_PCIE_200,
};

const MN_CHIP_MODEL g_ICS954519 = {
    .Read = {.nMinimum = 9, .nLength = 20, .nCountRegister = 8},
    .CPUPLL = CPU_M6_N10,
    .CPUDivider = OWN,
    .Enable = {.nStateRegister = 1, .bStateMask = 0x04, .nSetRegister = 1, .bSetMask = 0x04},
    .bSecondPLL = true,
    .SecondPLL = GSBPLL(17, 18),
    .Limits = FSB_600_PCIE_200,
};

// VCO = reference × N / M; M in bits 5..0 of register 11, N = 4 × register 12 + bits 7..6 of
// register 11; searched from M = 32.
constexpr MN_PLL PLRS_PLL(uint8_t nMRegister, uint8_t nNRegister, float fCeiling)
{
    return {
        .Fields = {.nMRegister = nMRegister, .nNRegister = nNRegister, .eLayout = MN_M6_NLOW},
        .nMOffset = 0,
        .Search = {.nStartDivisor = 32, .nMinDivisor = 1, .fOffset = 0.0f, .fCeiling = fCeiling},
    };
}

const MN_CHIP_MODEL g_ICS9PLRS509 = {
    .Read = {.nMinimum = 9, .nLength = 31, .nCountRegister = 8},
    .CPUPLL = PLRS_PLL(11, 12, 1000.0f),
    .CPUDivider = MEASURED,
    .Enable = {.nStateRegister = 1, .bStateMask = 0x10, .nSetRegister = 1, .bSetMask = 0x10},
    .bSecondPLL = true,
    .SecondPLL = PLRS_PLL(15, 16, 509.0f),
    .Limits = FSB_600_PCIE_200,
};

const MN_CHIP_MODEL g_ICS9PLRS587 = {
    .Read = {.nMinimum = 9, .nLength = 32, .nCountRegister = 8},
    .CPUPLL = PLRS_PLL(11, 12, 1000.0f),
    .CPUDivider = MEASURED,
    .Enable = {.nStateRegister = 1, .bStateMask = 0x10, .nSetRegister = 1, .bSetMask = 0x10},
    .bSecondPLL = true,
    .SecondPLL = PLRS_PLL(15, 16, 509.0f),
    .Limits = FSB_600_PCIE_200,
};

const float PLRS_DEFAULT_REFERENCE = 47.727264f;

// An ATI south bridge feeds the PCI clock itself.
bool bATISouthBridge()
{
    IMachineFacts& facts = kit::MachineFacts();
    return facts.bHasPCIDevice(0x1002, 0x434C) || facts.bHasPCIDevice(0x1002, 0x4377);
}

// A divider code that the chip only sends when its block is long enough: -1 otherwise.
int32_t nDividerIfRead(const CClockGenerator& chip, int32_t nTable, int nRegister, int nShift)
{
    if (chip.m_nRegisterCount <= nRegister) return -1;
    return nTableDivider(nTable, (chip.m_abRegisters[nRegister] >> nShift) & 15);
}

}  // namespace

// ICS 951416: PCI-E from the second PLL, PCI a third of it.
ICS_951416_ClockGenerator::ICS_951416_ClockGenerator() : CMNPLLClockGenerator(0x01951416, g_ICS951416) {}

void ICS_951416_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, m_abRegisters[20] >> 4);
}

void ICS_951416_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    set.m_fPCI = fDivideClock(set.m_fGSB, 3.0f);
}

// ICS 951422: the second PLL on registers 17 and 18.
ICS_951422_ClockGenerator::ICS_951422_ClockGenerator() : CMNPLLClockGenerator(0x01951422, g_ICS951422) {}

void ICS_951422_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_A, m_abRegisters[19] & 15);
}

void ICS_951422_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    set.m_fPCI = fDivideClock(set.m_fGSB, 3.0f);
}

// ICS 951446: PCI from the CPU VCO, or fixed behind an ATI south bridge.
ICS_951446_ClockGenerator::ICS_951446_ClockGenerator() : CMNPLLClockGenerator(0x01951446, g_ICS951446) {}

void ICS_951446_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, m_abRegisters[20] >> 4);
    m_nPCIDivider = nTableDivider(DIV_TABLE_K, m_abRegisters[19] & 15);
    m_bATISouthBridge = bATISouthBridge() ? 1 : 0;
}

void ICS_951446_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    set.m_fPCI = m_bATISouthBridge ? 33.34f : fDivideClock(fHalf(m_fCPUVCO), float(m_nPCIDivider));
}

// ICS 951462: PCI-E and PCI both from the PCI-E PLL.
ICS_951462_ClockGenerator::ICS_951462_ClockGenerator() : CMNPLLClockGenerator(0x01951462, g_ICS951462) {}

void ICS_951462_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, m_abRegisters[19] & 15);
    m_nPCIDivider = nTableDivider(DIV_TABLE_K, m_abRegisters[20] & 15);
}

void ICS_951462_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    set.m_fPCI = fDivideClock(fHalf(m_fGSBVCO), float(m_nPCIDivider));
}

// ICS 954119: one PLL; PCI-E and PCI are dividers of the CPU VCO.
ICS_954119_ClockGenerator::ICS_954119_ClockGenerator() : CMNPLLClockGenerator(0x01954119, g_ICS954119) {}

void ICS_954119_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_B, m_abRegisters[19] & 15);
    m_nPCIDivider = nTableDivider(DIV_TABLE_A, m_abRegisters[20] >> 4);
}

void ICS_954119_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fCPUVCO, float(m_nGSBDivider));
    set.m_fPCI = fDivideClock(m_fCPUVCO, float(m_nPCIDivider));
}

// ICS 954123: PCI-E from either PLL by bit 4 of register 7; PCI by bits 7..6.
ICS_954123_ClockGenerator::ICS_954123_ClockGenerator() : CMNPLLClockGenerator(0x01954123, g_ICS954123) {}

void ICS_954123_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nDividerIfRead(*this, DIV_TABLE_B, 19, 0);
    m_nPCIDivider = m_nGSBDivider > 0 ? 3 * m_nGSBDivider : -1;
}

// With bit 4 of register 7 set the PCI-E clock comes from the CPU PLL: the second PLL is not
// set then.
int32_t ICS_954123_ClockGenerator::nGSBSearchDivider()
{
    return bBit(m_abRegisters, 7, 4) ? -1 : m_nGSBDivider;
}

void ICS_954123_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    const uint8_t* r = m_abRegisters;
    set.m_fGSB = fDivideClock(bBit(r, 7, 4) ? m_fCPUVCO : m_fGSBVCO, float(m_nGSBDivider));
    switch (r[7] >> 6) {
    case 0: set.m_fPCI = fDivideClock(m_fCPUVCO, float(m_nPCIDivider)); break;
    case 1: set.m_fPCI = fDivideClock(m_fGSBVCO, float(m_nPCIDivider)); break;
    default: set.m_fPCI = 33.34f; break;
    }
}

// ICS 954148: PCI from the CPU VCO or fixed, by bits 4..3 of register 5.
ICS_954148_ClockGenerator::ICS_954148_ClockGenerator() : ICS_954148_ClockGenerator(0x01954148, g_ICS954148) {}

ICS_954148_ClockGenerator::ICS_954148_ClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model)
    : CMNPLLClockGenerator(dwID, model)
{
}

void ICS_954148_ClockGenerator::vDecodeModel()
{
    m_nGSBDivider = nTableDivider(DIV_TABLE_E, m_abRegisters[4] >> 4);
    m_nPCIDivider = nTableDivider(DIV_TABLE_E, m_abRegisters[6] >> 4);
}

void ICS_954148_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    static const float afPCI[4] = {-1.0f, 37.5f, 40.0f, 33.34f};
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    int nSource = (m_abRegisters[5] >> 3) & 3;
    set.m_fPCI = nSource ? afPCI[nSource] : fDivideClock(m_fCPUVCO, 24.0f);
}

// ICS 954519: the CPU divider when the block reaches register 19, else learned; PCI from the
// second PLL or fixed, by bits 5..4 of register 6.
ICS_954519_ClockGenerator::ICS_954519_ClockGenerator() : ICS_954148_ClockGenerator(0x01954519, g_ICS954519) {}

void ICS_954519_ClockGenerator::vDecodeModel()
{
    ICS_954148_ClockGenerator::vDecodeModel();
    int32_t nDivider = nDividerIfRead(*this, DIV_TABLE_B, 19, 4);
    if (nDivider > 0)
        m_nCPUDivider = nDivider;
    else
        vLearnDivider(m_nCPUDivider, m_fCPUVCO);
}

void ICS_954519_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    static const float afPCI[4] = {-1.0f, 32.0f, 36.0f, 38.4f};
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    int nSource = (m_abRegisters[6] >> 4) & 3;
    set.m_fPCI = nSource ? afPCI[nSource] : fDivideClock(m_fGSBVCO, float(m_nPCIDivider));
}

// ICS 9PLRS509 and 9PLRS587.
ICS_9PLRS509_ClockGenerator::ICS_9PLRS509_ClockGenerator()
    : ICS_9PLRS509_ClockGenerator(0x019AB509, g_ICS9PLRS509)
{
}

ICS_9PLRS509_ClockGenerator::ICS_9PLRS509_ClockGenerator(uint32_t dwID, const MN_CHIP_MODEL& model)
    : CMNPLLClockGenerator(dwID, model)
{
    m_fCPUReference = PLRS_DEFAULT_REFERENCE;
    m_fGSBReference = PLRS_DEFAULT_REFERENCE;
}

void ICS_9PLRS509_ClockGenerator::vDecodeReference()
{
    if (m_nRegisterCount <= 29) return;
    switch (m_abRegisters[29] >> 4) {
    case 0: m_fCPUReference = 14.31818f; break;
    case 1: case 4: m_fCPUReference = PLRS_DEFAULT_REFERENCE; break;
    case 8: m_fCPUReference = 48.0f; break;
    default: break;
    }
}

void ICS_9PLRS509_ClockGenerator::vDecodeModel()
{
    // The chip does not show its PCI-E output divider: it is the one that brings the second
    // VCO nearest to 100 MHz as first read. It is kept from then on, or a PCI-E clock set away
    // from 100 MHz would read back through another divider.
    if (m_nGSBDivider > 0 || !(m_fGSBVCO > 0)) return;
    int32_t nDivider = int32_t(m_fGSBVCO / 100.0f + 0.5f);
    if (nDivider >= 1) m_nGSBDivider = nDivider;
}

void ICS_9PLRS509_ClockGenerator::vFillOutputs(CFrequencySet& set)
{
    set.m_fGSB = fDivideClock(m_fGSBVCO, float(m_nGSBDivider));
    set.m_fPCI = fDivideClock(set.m_fGSB, 3.0f);
}

void ICS_9PLRS509_ClockGenerator::vEncodeFSBExtra()
{
    uint8_t bHigh = uint8_t((m_nCPUN >> 2) & 0xFF);
    m_abRegisters[23] = bHigh;
    m_abRegisters[24] = bHigh;
    m_abRegisters[25] = bHigh;
}

ICS_9PLRS587_ClockGenerator::ICS_9PLRS587_ClockGenerator()
    : ICS_9PLRS509_ClockGenerator(0x019AB587, g_ICS9PLRS587)
{
}
