// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/ICCommandSet.h"

#include "smbus/SMBusIOSpace.h"

uint8_t CICCommandSet::ReadByte(uint8_t) { return 0xFF; }
uint16_t CICCommandSet::ReadWord(uint8_t) { return 0xFFFF; }
uint32_t CICCommandSet::ReadDword(uint8_t) { return 0xFFFFFFFF; }
int32_t CICCommandSet::ReadBlock(uint8_t, int32_t, uint8_t*) { return -1; }
uint32_t CICCommandSet::WriteByte(uint8_t, uint8_t) { return 0; }
uint32_t CICCommandSet::WriteWord(uint8_t, uint16_t) { return 0; }
uint32_t CICCommandSet::WriteDword(uint8_t, uint32_t) { return 0; }
int32_t CICCommandSet::WriteBlock(uint8_t, int32_t, const uint8_t*) { return -1; }
std::string CICCommandSet::strLastFailure() const { return std::string(); }

CSMBusICCommandSet::CSMBusICCommandSet(CIOSpace* pIOSpace, uint8_t nChannel, uint8_t nAddress)
    : m_pIOSpace(pIOSpace), m_nAddress(nAddress), m_nChannel(nChannel)
{
}

namespace {

// The bound space as the controller it must be; null when it is not one.
CSMBusIOSpace* pController(CIOSpace* pIOSpace)
{
    if (!pIOSpace || (pIOSpace->m_dwType & IOSPACE_SMBUS_PORTS) != IOSPACE_SMBUS_PORTS) return nullptr;
    return static_cast<CSMBusIOSpace*>(pIOSpace);
}

}  // namespace

uint8_t CSMBusICCommandSet::ReadByte(uint8_t bCommand)
{
    CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    uint8_t bValue = 0;
    if (!pSMBus || !pSMBus->SMBusReadByte(m_nChannel, m_nAddress, bCommand, bValue)) return 0xFF;
    return bValue;
}

uint16_t CSMBusICCommandSet::ReadWord(uint8_t bCommand)
{
    CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    uint8_t bData0 = 0, bData1 = 0;
    if (!pSMBus || !pSMBus->SMBusReadWord(m_nChannel, m_nAddress, bCommand, bData0, bData1)) return 0xFFFF;
    return uint16_t((bData0 << 8) + bData1);
}

int32_t CSMBusICCommandSet::ReadBlock(uint8_t bCommand, int32_t, uint8_t* pBuffer)
{
    CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    if (!pSMBus || !pBuffer) return -1;
    return pSMBus->SMBusBlockRead(m_nChannel, m_nAddress, bCommand, pBuffer);
}

uint32_t CSMBusICCommandSet::WriteByte(uint8_t bCommand, uint8_t bValue)
{
    CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    if (!pSMBus) return 0;
    return pSMBus->SMBusWriteByte(m_nChannel, m_nAddress, bCommand, bValue);
}

uint32_t CSMBusICCommandSet::WriteWord(uint8_t bCommand, uint16_t wValue)
{
    CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    if (!pSMBus) return 0;
    return pSMBus->SMBusWriteWord(m_nChannel, m_nAddress, bCommand, uint8_t(wValue >> 8), uint8_t(wValue & 0xFF));
}

int32_t CSMBusICCommandSet::WriteBlock(uint8_t bCommand, int32_t nCount, const uint8_t* pBuffer)
{
    CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    if (!pSMBus || !pBuffer) return -1;
    return pSMBus->SMBusBlockWrite(m_nChannel, m_nAddress, bCommand, pBuffer, nCount);
}

std::string CSMBusICCommandSet::strLastFailure() const
{
    const CSMBusIOSpace* pSMBus = pController(m_pIOSpace);
    if (!pSMBus || pSMBus->eLastFailure() == ESMBusFailure::None) return std::string();
    return pSMBus->strLastFailure(m_nAddress);
}
