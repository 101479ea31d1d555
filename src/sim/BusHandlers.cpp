// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/BusHandlers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim {

bool CPortMap::bAdd(std::unique_ptr<CPortHandler> pHandler, std::string& strError)
{
    uint32_t nFirst = pHandler->wFirst(), nEnd = nFirst + pHandler->nCount();
    if (pHandler->nCount() == 0 || nEnd > 0x10000) {
        strError = "port range outside the I/O space";
        return false;
    }
    for (const auto& pOther : m_Handlers) {
        if (nFirst < uint32_t(pOther->wFirst()) + pOther->nCount() && pOther->wFirst() < nEnd) {
            char szText[96];
            std::snprintf(szText, sizeof szText, "ports 0x%X to 0x%X overlap ports 0x%X to 0x%X", nFirst, nEnd - 1,
                          unsigned(pOther->wFirst()), unsigned(pOther->wFirst() + pOther->nCount() - 1));
            strError = szText;
            return false;
        }
    }
    m_Handlers.push_back(std::move(pHandler));
    return true;
}

CPortHandler* CPortMap::pClaimer(uint32_t nPort, unsigned nWidth) const
{
    for (const auto& pHandler : m_Handlers)
        if (pHandler->bClaims(nPort, nWidth))
            return pHandler.get();
    return nullptr;
}

uint32_t CPortMap::dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context)
{
    if (CPortHandler* pHandler = pClaimer(wPort, nWidth))
        return pHandler->dwIn(wPort, nWidth, context);
    uint32_t dwValue = 0;
    for (unsigned i = 0; i < nWidth; ++i) {
        uint16_t wBytePort = uint16_t(wPort + i);
        CPortHandler* pHandler = pClaimer(wBytePort, 1);
        uint32_t dwByte = pHandler ? pHandler->dwIn(wBytePort, 1, context) & 0xFF : 0xFF;
        dwValue |= dwByte << (8 * i);
    }
    return dwValue;
}

void CPortMap::vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context)
{
    if (CPortHandler* pHandler = pClaimer(wPort, nWidth)) {
        pHandler->vOut(wPort, nWidth, dwValue, context);
        return;
    }
    for (unsigned i = 0; i < nWidth; ++i) {
        uint16_t wBytePort = uint16_t(wPort + i);
        if (CPortHandler* pHandler = pClaimer(wBytePort, 1))
            pHandler->vOut(wBytePort, 1, (dwValue >> (8 * i)) & 0xFF, context);
    }
}

bool CMemoryMap::bAdd(std::unique_ptr<CMemoryHandler> pHandler, std::string& strError)
{
    if (pHandler->qwSize() == 0 || pHandler->qwBase() > UINT64_MAX - (pHandler->qwSize() - 1)) {
        strError = "memory range outside the physical address space";
        return false;
    }
    for (const auto& pOther : m_Handlers) {
        if (pHandler->qwBase() <= pOther->qwLast() && pOther->qwBase() <= pHandler->qwLast()) {
            char szText[128];
            std::snprintf(szText, sizeof szText, "memory 0x%llX to 0x%llX overlaps 0x%llX to 0x%llX",
                          (unsigned long long)pHandler->qwBase(), (unsigned long long)pHandler->qwLast(),
                          (unsigned long long)pOther->qwBase(), (unsigned long long)pOther->qwLast());
            strError = szText;
            return false;
        }
    }
    auto itWhere = std::find_if(m_Handlers.begin(), m_Handlers.end(),
                                [&](const auto& pOther) { return pOther->qwBase() > pHandler->qwBase(); });
    m_Handlers.insert(itWhere, std::move(pHandler));
    return true;
}

CMemoryHandler* CMemoryMap::pPiece(uint64_t qwAt, uint64_t qwLeft, uint64_t& qwPiece) const
{
    for (const auto& pHandler : m_Handlers) {
        if (pHandler->qwBase() <= qwAt && qwAt <= pHandler->qwLast()) {
            qwPiece = std::min<uint64_t>(qwLeft, pHandler->qwLast() - qwAt + 1);
            return pHandler.get();
        }
        if (pHandler->qwBase() > qwAt) {  // a hole up to the next handler
            qwPiece = std::min<uint64_t>(qwLeft, pHandler->qwBase() - qwAt);
            return nullptr;
        }
    }
    qwPiece = qwLeft;
    return nullptr;
}

void CMemoryMap::vRead(uint64_t qwAddress, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context)
{
    uint64_t qwDone = 0;
    while (qwDone < nCount) {
        uint64_t qwAt = qwAddress + qwDone;
        uint64_t qwLeft = nCount - qwDone;
        if (qwAt < qwAddress) {  // past the top of the address space nothing answers
            std::memset(pBuffer + qwDone, 0xFF, size_t(qwLeft));
            return;
        }
        uint64_t qwPiece = 0;
        if (CMemoryHandler* pHandler = pPiece(qwAt, qwLeft, qwPiece))
            pHandler->vRead(qwAt - pHandler->qwBase(), uint32_t(qwPiece), pBuffer + qwDone, context);
        else
            std::memset(pBuffer + qwDone, 0xFF, size_t(qwPiece));
        qwDone += qwPiece;
    }
}

void CMemoryMap::vWrite(uint64_t qwAddress, uint32_t nCount, const uint8_t* pData, const AccessContext& context)
{
    uint64_t qwDone = 0;
    while (qwDone < nCount) {
        uint64_t qwAt = qwAddress + qwDone;
        if (qwAt < qwAddress)
            return;
        uint64_t qwPiece = 0;
        if (CMemoryHandler* pHandler = pPiece(qwAt, nCount - qwDone, qwPiece))
            pHandler->vWrite(qwAt - pHandler->qwBase(), uint32_t(qwPiece), pData + qwDone, context);
        qwDone += qwPiece;
    }
}

}  // namespace sim
