// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"

namespace {

constexpr uint32_t PCI_ADDRESS_PORT = 0xCF8;
constexpr uint32_t PCI_DATA_PORT = 0xCFC;

CDeviceDriver* pDriver() { return ORVEXSDK::Instance()->m_pDriver; }

}  // namespace

uint8_t CPortIOSpace::ReadByte(uint32_t dwOffset)
{
    uint8_t b;
    CDeviceDriver* p = pDriver();
    return p && p->bReadPortByte(m_dwBase + dwOffset, b) ? b : 0xFF;
}

uint16_t CPortIOSpace::ReadWord(uint32_t dwOffset)
{
    uint16_t w;
    CDeviceDriver* p = pDriver();
    return p && p->bReadPortWord(m_dwBase + dwOffset, w) ? w : 0xFFFF;
}

uint32_t CPortIOSpace::ReadDword(uint32_t dwOffset)
{
    uint32_t dw;
    CDeviceDriver* p = pDriver();
    return p && p->bReadPortDword(m_dwBase + dwOffset, dw) ? dw : 0xFFFFFFFF;
}

uint32_t CPortIOSpace::WriteByte(uint32_t dwOffset, uint8_t bValue)
{
    CDeviceDriver* p = pDriver();
    return p ? p->bWritePortByte(m_dwBase + dwOffset, bValue) : 0;
}

uint32_t CPortIOSpace::WriteWord(uint32_t dwOffset, uint16_t wValue)
{
    CDeviceDriver* p = pDriver();
    return p ? p->bWritePortWord(m_dwBase + dwOffset, wValue) : 0;
}

uint32_t CPortIOSpace::WriteDword(uint32_t dwOffset, uint32_t dwValue)
{
    CDeviceDriver* p = pDriver();
    return p ? p->bWritePortDword(m_dwBase + dwOffset, dwValue) : 0;
}

uint32_t CPortIOSpace::Execute(CIORequest*) { return 1; }

CPCIIOSpace::CPCIIOSpace() : CPortIOSpace(PCI_ADDRESS_PORT, 8) { m_dwType = IOSPACE_PCI_PORTS; }

uint32_t CPCIIOSpace::dwConfigAddress(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    return 0x80000000u | (dwBus & 0xFF) << 16 | (dwDevice & 31) << 11 | (dwFunction & 7) << 8 | (dwOffset & 0xFC);
}

uint32_t CPCIIOSpace::ReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    // The address port is put back afterwards, so firmware or other software that had set it
    // finds it as it left it.
    const uint32_t dwKept = ReadDword(0);
    if (!WriteDword(0, dwConfigAddress(dwBus, dwDevice, dwFunction, dwOffset))) return 0xFFFFFFFF;
    const uint32_t dwValue = ReadDword(PCI_DATA_PORT - PCI_ADDRESS_PORT);
    if (!WriteDword(0, dwKept)) return 0xFFFFFFFF;
    return dwValue >> (8 * (dwOffset & 3));
}

uint32_t CPCIIOSpace::WriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                                  uint32_t dwValue)
{
    if (dwOffset & 3) return 0;
    const uint32_t dwKept = ReadDword(0);
    if (!WriteDword(0, dwConfigAddress(dwBus, dwDevice, dwFunction, dwOffset))) return 0;
    if (!WriteDword(PCI_DATA_PORT - PCI_ADDRESS_PORT, dwValue)) return 0;
    if (!WriteDword(0, dwKept)) return 0;
    return 1;
}

uint32_t CPCIIOSpace::WriteConfigPart(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                                      uint32_t dwValue, unsigned nWidth)
{
    if (nWidth == 4) return WriteConfig(dwBus, dwDevice, dwFunction, dwOffset, dwValue);
    if ((nWidth != 1 && nWidth != 2) || (dwOffset & 3) + nWidth > 4 || dwOffset > 0xFF) return 0;
    const uint32_t dwKept = ReadDword(0);
    if (!WriteDword(0, dwConfigAddress(dwBus, dwDevice, dwFunction, dwOffset))) return 0;
    const uint32_t dwData = PCI_DATA_PORT - PCI_ADDRESS_PORT + (dwOffset & 3);
    const uint32_t bOk = nWidth == 1 ? WriteByte(dwData, static_cast<uint8_t>(dwValue))
                                     : WriteWord(dwData, static_cast<uint16_t>(dwValue));
    if (!WriteDword(0, dwKept)) return 0;
    return bOk ? 1 : 0;
}

uint32_t CPCIIOSpace::Execute(CIORequest* pRequest)
{
    if (!pRequest) return 0;
    auto* pPCI = static_cast<CPCIRequest*>(pRequest);
    switch (pRequest->m_dwOperation & 0xF) {
    case IOREQUEST_READ_DWORD:
        pPCI->m_dwValue = ReadConfig(pPCI->m_dwBus, pPCI->m_dwDevice, pPCI->m_dwFunction, pPCI->m_dwOffset);
        return 1;
    case IOREQUEST_WRITE_DWORD:
        return WriteConfig(pPCI->m_dwBus, pPCI->m_dwDevice, pPCI->m_dwFunction, pPCI->m_dwOffset, pPCI->m_dwValue);
    default:
        return 0;
    }
}
