// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/DMITable.h"

#include <algorithm>
#include <cstring>

namespace dmi {

namespace {
constexpr uint32_t HEADER_BYTES = 4;
constexpr uint8_t TYPE_MEMORY_CONTROLLER = 5;
}  // namespace

bool bValidEntryPoint(const uint8_t* pBytes)
{
    if (std::memcmp(pBytes, "_DMI_", 5) != 0) return false;
    uint8_t bSum = 0;
    for (uint32_t i = 0; i < DMI_ENTRY_BYTES; ++i) bSum = uint8_t(bSum + pBytes[i]);
    return bSum == 0;
}

uint8_t CDMIRawStructure::bByte(uint32_t nOffset, uint8_t bDefault) const
{
    return bHas(nOffset, 1) ? m_pFormatted[nOffset] : bDefault;
}

uint16_t CDMIRawStructure::wWord(uint32_t nOffset, uint16_t wDefault) const
{
    if (!bHas(nOffset, 2)) return wDefault;
    return uint16_t(m_pFormatted[nOffset] | m_pFormatted[nOffset + 1] << 8);
}

uint32_t CDMIRawStructure::dwDword(uint32_t nOffset, uint32_t dwDefault) const
{
    if (!bHas(nOffset, 4)) return dwDefault;
    return uint32_t(wWord(nOffset)) | uint32_t(wWord(nOffset + 2)) << 16;
}

uint64_t CDMIRawStructure::qwQword(uint32_t nOffset, uint64_t qwDefault) const
{
    if (!bHas(nOffset, 8)) return qwDefault;
    return uint64_t(dwDword(nOffset)) | uint64_t(dwDword(nOffset + 4)) << 32;
}

std::string_view CDMIRawStructure::String(uint32_t nIndex) const
{
    if (nIndex == 0) return {};
    uint32_t nAt = 0;
    for (uint32_t n = 1; nAt < m_nStrings; ++n) {
        const uint8_t* pStart = m_pStrings + nAt;
        const void* pZero = std::memchr(pStart, 0, m_nStrings - nAt);
        if (!pZero) return {};  // unterminated: not a string
        const uint32_t nLength = uint32_t(static_cast<const uint8_t*>(pZero) - pStart);
        if (nLength == 0) return {};  // the double zero: no more strings
        if (n == nIndex) return {reinterpret_cast<const char*>(pStart), nLength};
        nAt += nLength + 1;
    }
    return {};
}

DMIWalkResult WalkTable(const uint8_t* pTable, uint32_t nLength, IDMIVisitor& visitor)
{
    DMIWalkResult result;
    const uint32_t nEnd = std::min(nLength, DMI_TABLE_BYTES);
    uint32_t nAt = 0;
    while (nAt < nEnd) {
        const uint32_t nLeft = nEnd - nAt;
        const uint8_t* pStructure = pTable + nAt;
        if (nLeft < HEADER_BYTES || pStructure[1] < HEADER_BYTES || pStructure[1] > nLeft) {
            result.bCut = true;
            break;
        }
        const uint32_t nFormatted = pStructure[1];
        const uint8_t* pStrings = pStructure + nFormatted;
        const uint32_t nStringRoom = nLeft - nFormatted;
        uint32_t nSize = 0;
        bool bTerminated = false;
        if (pStructure[0] == TYPE_MEMORY_CONTROLLER && !(nStringRoom >= 2 && pStrings[0] == 0 && pStrings[1] == 0)) {
            nSize = nFormatted;
            bTerminated = true;
        } else {
            for (uint32_t i = 0; i + 1 < nStringRoom; ++i) {
                if (pStrings[i] == 0 && pStrings[i + 1] == 0) {
                    nSize = nFormatted + i + 2;
                    bTerminated = true;
                    break;
                }
            }
        }
        if (!bTerminated) nSize = nLeft;
        visitor.vVisit(CDMIRawStructure(pStructure, nFormatted, pStrings, nSize - nFormatted));
        ++result.nStructures;
        nAt += nSize;
        if (!bTerminated) {
            result.bCut = true;
            break;
        }
        if (pStructure[0] == DMI_TYPE_END) break;
    }
    result.nBytes = nAt;
    return result;
}

}  // namespace dmi
