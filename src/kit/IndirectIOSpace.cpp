// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/IOSpace.h"

uint8_t CIndirectIOSpace::ReadByte(uint32_t) { return 0xFF; }
uint16_t CIndirectIOSpace::ReadWord(uint32_t) { return 0xFFFF; }
uint32_t CIndirectIOSpace::ReadDword(uint32_t) { return 0xFFFFFFFF; }
uint32_t CIndirectIOSpace::WriteByte(uint32_t, uint8_t) { return 0; }
uint32_t CIndirectIOSpace::WriteWord(uint32_t, uint16_t) { return 0; }
uint32_t CIndirectIOSpace::WriteDword(uint32_t, uint32_t) { return 0; }
uint32_t CIndirectIOSpace::Execute(CIORequest*) { return 0; }

ATI_MC_IOSpace::ATI_MC_IOSpace(CPCIIOSpace* pPCI, uint32_t dwConfigAddress)
    : CIndirectIOSpace(dwConfigAddress, 0xFFFFFFFF),
      m_pPCI(pPCI),
      m_dwBus((dwConfigAddress >> 16) & 0xFF),
      m_dwDevice((dwConfigAddress >> 11) & 31),
      m_dwFunction((dwConfigAddress >> 8) & 7),
      m_dwIndexRegister(dwConfigAddress & 0xFF),
      m_dwDataRegister((dwConfigAddress & 0xFF) + 4)
{
}

uint32_t ATI_MC_IOSpace::ReadDword(uint32_t dwIndex)
{
    if (!m_pPCI || !m_pPCI->WriteConfig(m_dwBus, m_dwDevice, m_dwFunction, m_dwIndexRegister, dwIndex))
        return 0xFFFFFFFF;
    return m_pPCI->ReadConfig(m_dwBus, m_dwDevice, m_dwFunction, m_dwDataRegister);
}

uint32_t ATI_MC_IOSpace::WriteDword(uint32_t dwIndex, uint32_t dwValue)
{
    // Bit 8 of the index opens the register for writing.
    if (!m_pPCI || !m_pPCI->WriteConfig(m_dwBus, m_dwDevice, m_dwFunction, m_dwIndexRegister, dwIndex | 0x100))
        return 0;
    return m_pPCI->WriteConfig(m_dwBus, m_dwDevice, m_dwFunction, m_dwDataRegister, dwValue);
}
