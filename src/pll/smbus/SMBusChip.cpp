// SPDX-License-Identifier: GPL-2.0-or-later
// The common course of the SMBus clock chip drivers.
#include "pll/smbus/SMBusChip.h"

CSMBusChipGenerator::CSMBusChipGenerator(uint32_t dwID, const CHIP_READ& read, const CLOCK_LIMITS& limits)
    : CClockGenerator(dwID), m_Read(read)
{
    vApplyLimits(*this, limits);
}

uint32_t CSMBusChipGenerator::bReadClocks(CFrequencySet& set)
{
    if (!nReadChipImage(*this, m_Read)) return 0;
    vDecode();
    vFill(set);
    return 1;
}

uint32_t CSMBusChipGenerator::bPreviewClocks(CFrequencySet& set)
{
    if (set.m_fFSB > 0) bSearchFSB(set.m_fFSB);
    if (m_bGSBEnabled && set.m_fGSB > 0) bSearchGSB(set.m_fGSB);
    vFill(set);
    return 1;
}

uint32_t CSMBusChipGenerator::bSetFSB(float fFSB)
{
    if (!bSearchFSB(fFSB)) return 0;
    vEncodeFSB();
    return bWriteRegisters(CHIP_SETTLE_MS);
}

uint32_t CSMBusChipGenerator::bSetGSB(float fGSB)
{
    if (!bSearchGSB(fGSB)) return 0;
    vEncodeGSB();
    return bWriteRegisters(CHIP_SETTLE_MS);
}
