// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/PCIConfig.h"

namespace sim {

uint32_t CPCIFunction::dwRead(unsigned nOffset, const AccessContext&)
{
    return dwPeek(nOffset);
}

void CPCIFunction::vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext&)
{
    for (unsigned i = 0; i < 4; ++i)
        if ((nByteEnables >> i & 1) && !bReadOnlyByte(nOffset + i))
            m_Config[nOffset + i] = uint8_t(dwValue >> (8 * i));
}

uint32_t CPCIFunction::dwPeek(unsigned nOffset) const
{
    nOffset &= 0xFFC;
    return uint32_t(m_Config[nOffset]) | uint32_t(m_Config[nOffset + 1]) << 8 | uint32_t(m_Config[nOffset + 2]) << 16 |
           uint32_t(m_Config[nOffset + 3]) << 24;
}

bool CPCIFunction::bReadOnlyByte(unsigned nOffset)
{
    return nOffset <= 0x03 || (nOffset >= 0x08 && nOffset <= 0x0B) || nOffset == 0x0E;
}

bool CPCIFunctions::bAdd(unsigned nBus, unsigned nDevice, unsigned nFunction, std::unique_ptr<CPCIFunction> pFunction)
{
    return m_Functions.emplace(nKey(nBus, nDevice, nFunction), std::move(pFunction)).second;
}

std::unique_ptr<CPCIFunction> CPCIFunctions::pTake(unsigned nBus, unsigned nDevice, unsigned nFunction)
{
    if (nBus > 0xFF || nDevice > 0x1F || nFunction > 7)
        return nullptr;
    auto node = m_Functions.extract(nKey(nBus, nDevice, nFunction));
    return node.empty() ? nullptr : std::move(node.mapped());
}

CPCIFunction* CPCIFunctions::pFind(unsigned nBus, unsigned nDevice, unsigned nFunction) const
{
    if (nBus > 0xFF || nDevice > 0x1F || nFunction > 7)
        return nullptr;
    auto it = m_Functions.find(nKey(nBus, nDevice, nFunction));
    return it == m_Functions.end() ? nullptr : it->second.get();
}

uint32_t CPCIFunctions::dwRead(uint32_t nKey, unsigned nOffset, const AccessContext& context)
{
    auto it = m_Functions.find(nKey);
    return it == m_Functions.end() ? 0xFFFFFFFF : it->second->dwRead(nOffset & 0xFFC, context);
}

void CPCIFunctions::vWrite(uint32_t nKey, unsigned nOffset, uint32_t dwValue, unsigned nByteEnables,
                           const AccessContext& context)
{
    auto it = m_Functions.find(nKey);
    if (it != m_Functions.end())
        it->second->vWrite(nOffset & 0xFFC, dwValue, nByteEnables & 0xF, context);
}

namespace {

// The function and register a latch value selects, or false while the latch is disabled.
bool bLatchTarget(uint32_t dwLatch, uint32_t& nKey, unsigned& nOffset)
{
    if (!(dwLatch & 0x80000000))
        return false;
    nKey = CPCIFunctions::nKey(dwLatch >> 16 & 0xFF, dwLatch >> 11 & 0x1F, dwLatch >> 8 & 7);
    nOffset = dwLatch & 0xFC;
    return true;
}

uint32_t dwWidthMask(unsigned nWidth)
{
    return nWidth >= 4 ? 0xFFFFFFFF : (uint32_t(1) << (8 * nWidth)) - 1;
}

}  // namespace

uint32_t CConfigMechanism1::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    if (wPort == ADDRESS_PORT && nWidth == 4)
        return m_dwLatch;
    uint32_t nKey = 0;
    unsigned nOffset = 0;
    if (wPort < DATA_PORT || !bLatchTarget(m_dwLatch, nKey, nOffset))
        return dwWidthMask(nWidth);
    unsigned nShift = 8 * (wPort - DATA_PORT);
    return (m_Functions.dwRead(nKey, nOffset, context) >> nShift) & dwWidthMask(nWidth);
}

void CConfigMechanism1::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context)
{
    if (wPort == ADDRESS_PORT && nWidth == 4) {
        m_dwLatch = dwValue;
        return;
    }
    uint32_t nKey = 0;
    unsigned nOffset = 0;
    if (wPort < DATA_PORT || !bLatchTarget(m_dwLatch, nKey, nOffset))
        return;
    unsigned nByte = wPort - DATA_PORT;
    unsigned nEnables = ((1u << nWidth) - 1) << nByte;
    m_Functions.vWrite(nKey, nOffset, (dwValue & dwWidthMask(nWidth)) << (8 * nByte), nEnables, context);
}

void CEnhancedConfigWindow::vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context)
{
    // Dword by dword: each configuration dword touched is read once.
    uint32_t nDone = 0;
    while (nDone < nCount) {
        uint64_t qwAt = qwOffset + nDone;
        uint32_t nKey = uint32_t(qwAt >> 12);  // bus, device and function, as the window is laid out
        unsigned nRegister = unsigned(qwAt & 0xFFC), nByte = unsigned(qwAt & 3);
        uint32_t dwValue = m_Functions.dwRead(nKey, nRegister, context);
        for (; nByte < 4 && nDone < nCount; ++nByte, ++nDone)
            pBuffer[nDone] = uint8_t(dwValue >> (8 * nByte));
    }
}

void CEnhancedConfigWindow::vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext& context)
{
    uint32_t nDone = 0;
    while (nDone < nCount) {
        uint64_t qwAt = qwOffset + nDone;
        uint32_t nKey = uint32_t(qwAt >> 12);
        unsigned nRegister = unsigned(qwAt & 0xFFC), nByte = unsigned(qwAt & 3);
        uint32_t dwValue = 0;
        unsigned nEnables = 0;
        for (; nByte < 4 && nDone < nCount; ++nByte, ++nDone) {
            dwValue |= uint32_t(pData[nDone]) << (8 * nByte);
            nEnables |= 1u << nByte;
        }
        m_Functions.vWrite(nKey, nRegister, dwValue, nEnables, context);
    }
}

}  // namespace sim
