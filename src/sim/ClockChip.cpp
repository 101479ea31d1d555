// SPDX-License-Identifier: GPL-2.0-or-later
// The register file, transfers and output tracking shared by the simulated clock chips.
#include "sim/ClockChip.h"

#include <cmath>

#include "sim/BoardClock.h"
#include "sim/BoardProcessors.h"
#include "sim/SMBusBus.h"

namespace sim {

CClockChip::CClockChip(const ClockChipTraits& traits, const std::array<uint8_t, 256>& initial)
    : m_Traits(traits), m_Registers(initial)
{
    if (m_Traits.nCountRegister >= 0 && m_Traits.nCountRegister < 256)
        m_Registers[size_t(m_Traits.nCountRegister)] = m_Traits.nCountReset;
}

bool CClockChip::bReadByteData(uint8_t bCommand, uint8_t& bValue)
{
    bValue = m_Registers[bCommand];
    return true;
}

bool CClockChip::bWriteByteData(uint8_t bCommand, uint8_t bValue)
{
    double dBefore = dFSBMHz();
    vStore(bCommand, bValue);
    vWritten(dBefore);
    return true;
}

bool CClockChip::bReadWordData(uint8_t bCommand, uint8_t& bData0, uint8_t& bData1)
{
    if (!m_Traits.bWordAccess)
        return CSMBusTarget::bReadWordData(bCommand, bData0, bData1);
    bData0 = m_Traits.bWordHighByte;
    bData1 = m_Registers[bCommand & m_Traits.bWordCommandMask];
    return true;
}

bool CClockChip::bWriteWordData(uint8_t bCommand, uint8_t bData0, uint8_t bData1)
{
    if (!m_Traits.bWordAccess)
        return CSMBusTarget::bWriteWordData(bCommand, bData0, bData1);
    // The first byte is the high byte of the word; these parts keep only the low one.
    double dBefore = dFSBMHz();
    vStore(uint8_t(bCommand & m_Traits.bWordCommandMask), bData1);
    vWritten(dBefore);
    return true;
}

bool CClockChip::bBlockRead(uint8_t bCommand, uint8_t& nCount, std::vector<uint8_t>& data)
{
    nCount = m_Traits.nCountRegister >= 0 ? m_Registers[size_t(m_Traits.nCountRegister) & 0xFF]
                                          : m_Traits.nFixedCount;
    data.clear();
    for (unsigned i = 0; i < nCount; ++i)
        data.push_back(m_Registers[uint8_t(bCommand + i)]);
    return true;
}

bool CClockChip::bBlockWrite(uint8_t bCommand, const uint8_t* pData, uint8_t nCount)
{
    // The bytes land one after the other, so an enable bit set by an earlier byte of the
    // block already opens the registers after it.
    double dBefore = dFSBMHz();
    for (unsigned i = 0; i < nCount && pData; ++i)
        vStore(uint8_t(bCommand + i), pData[i]);
    vWritten(dBefore);
    return true;
}

void CClockChip::vConnect(const ClockChipBoardLink& link)
{
    m_Link = link;
    if (link.pProcessors) vPowerOn(double(link.pProcessors->qwBusHzLocked()) / 1e6);
}

unsigned CClockChip::nNearestDivider(double dVCO, double dClock, unsigned nDefault)
{
    if (!(dVCO > 0) || !(dClock > 0) || !std::isfinite(dVCO) || !std::isfinite(dClock)) return nDefault;
    const double dDivider = std::round(dVCO / dClock);
    return dDivider < 1 ? 1 : dDivider > 4096 ? 4096 : unsigned(dDivider);
}

void CClockChip::vStore(uint8_t nRegister, uint8_t bValue)
{
    if (!bWritable(nRegister)) {
        ++m_nIgnoredWrites;
        return;
    }
    m_Registers[nRegister] = bValue;
}

void CClockChip::vWritten(double dFSBBefore)
{
    double dAfter = dFSBMHz();
    if (!m_Link.pProcessors || !m_Link.pClock || !(dAfter > 0) || !std::isfinite(dAfter) || dAfter == dFSBBefore)
        return;
    // Transactions run inside a port or configuration access, with the board lock held.
    m_Link.pProcessors->vSetClockLocked(uint64_t(std::llround(dAfter * 1e6)), m_Link.qwMultiplierNum,
                                        m_Link.qwMultiplierDen, m_Link.pClock->qwNow());
}

std::unique_ptr<CClockChip> pCreateClockChip(const std::string& strModel, const std::array<uint8_t, 256>& initial)
{
    for (const ClockChipModel& model : ClockChipModels())
        if (strModel == model.pszModel)
            return model.pfnCreate(initial);
    return nullptr;
}

std::string strClockChipModelList()
{
    std::string strList;
    for (const ClockChipModel& model : ClockChipModels())
        strList += std::string(strList.empty() ? "" : ", ") + model.pszModel;
    return strList;
}

void vConnectClockChips(const std::vector<std::shared_ptr<CSMBusBus>>& buses, const ClockChipBoardLink& link)
{
    for (const std::shared_ptr<CSMBusBus>& pBus : buses)
        for (unsigned nChannel = 0; nChannel < pBus->nChannels(); ++nChannel)
            for (unsigned nAddress = 0; nAddress < 0x80; ++nAddress)
                if (auto* pChip = dynamic_cast<CClockChip*>(pBus->pTarget(nChannel, uint8_t(nAddress))))
                    pChip->vConnect(link);
}

}  // namespace sim
