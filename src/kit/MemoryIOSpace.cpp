// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"

namespace {

CDeviceDriver* pDriver() { return ORVEXSDK::Instance()->m_pDriver; }

}  // namespace

uint8_t CMemoryIOSpace::ReadByte(uint32_t dwOffset)
{
    // The driver reads memory in whole dwords: the byte is the lowest of the four.
    uint32_t dw = 0;
    CDeviceDriver* p = pDriver();
    return p && p->bReadPhysicalMemory(m_dwBase + dwOffset, 4, &dw) ? static_cast<uint8_t>(dw) : 0xFF;
}

uint16_t CMemoryIOSpace::ReadWord(uint32_t) { return 0; }

uint32_t CMemoryIOSpace::ReadDword(uint32_t dwOffset)
{
    uint32_t dw = 0;
    CDeviceDriver* p = pDriver();
    return p && p->bReadPhysicalMemory(m_dwBase + dwOffset, 4, &dw) ? dw : 0xFFFFFFFF;
}

uint32_t CMemoryIOSpace::WriteByte(uint32_t dwOffset, uint8_t bValue)
{
    // Only dword writes reach memory: the three bytes above are written back as just read.
    CDeviceDriver* p = pDriver();
    if (!p) return 1;
    uint32_t dw = 0;
    p->bReadPhysicalMemory(m_dwBase + dwOffset, 4, &dw);
    dw = (dw & 0xFFFFFF00u) | bValue;
    p->bWritePhysicalMemoryDword(m_dwBase + dwOffset, dw);
    return 1;
}

uint32_t CMemoryIOSpace::WriteWord(uint32_t, uint16_t) { return 1; }

uint32_t CMemoryIOSpace::WriteDword(uint32_t dwOffset, uint32_t dwValue)
{
    CDeviceDriver* p = pDriver();
    if (p) p->bWritePhysicalMemoryDword(m_dwBase + dwOffset, dwValue);
    return 1;
}

uint32_t CMemoryIOSpace::Execute(CIORequest* pRequest)
{
    if (!pRequest) return 0;
    switch (pRequest->m_dwOperation & 0xF) {
    case IOREQUEST_READ_DWORD:
        pRequest->m_dwValue = ReadDword(pRequest->m_dwOffset);
        return 1;
    case IOREQUEST_WRITE_DWORD:
        return WriteDword(pRequest->m_dwOffset, pRequest->m_dwValue);
    default:
        return 0;
    }
}

CPCIExpressIOSpace::CPCIExpressIOSpace(uint32_t dwConfigBase) : CMemoryIOSpace(dwConfigBase, 4096)
{
    m_dwType = IOSPACE_PCI_EXPRESS;
}

uint32_t CPCIExpressIOSpace::dwConfigOffset(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    return (dwBus & 0xFF) << 20 | (dwDevice & 31) << 15 | (dwFunction & 7) << 12 | (dwOffset & 0xFFC);
}

uint32_t CPCIExpressIOSpace::ReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    return ReadDword(dwConfigOffset(dwBus, dwDevice, dwFunction, dwOffset)) >> (8 * (dwOffset & 3));
}

uint32_t CPCIExpressIOSpace::WriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                                         uint32_t dwValue)
{
    if (dwOffset & 3) return 0;
    return WriteDword(dwConfigOffset(dwBus, dwDevice, dwFunction, dwOffset), dwValue);
}

uint32_t CPCIExpressIOSpace::Execute(CIORequest*) { return 0; }
