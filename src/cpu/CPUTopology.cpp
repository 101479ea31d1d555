// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/CPUTopology.h"

uint32_t nBitsFor(uint32_t nCount)
{
    uint32_t nBits = 0;
    while (nBits < 32 && (uint64_t(1) << nBits) < nCount) ++nBits;
    return nBits;
}

CAPICIDParts DecomposeAPICID(uint32_t nAPICID, uint32_t nLogicalPerPackage, uint32_t nCoresPerPackage)
{
    if (nLogicalPerPackage == 0) nLogicalPerPackage = 1;
    if (nCoresPerPackage == 0) nCoresPerPackage = 1;
    const uint32_t nPackageBits = nBitsFor(nLogicalPerPackage);
    const uint32_t nSMTBits = nBitsFor(nLogicalPerPackage / nCoresPerPackage);
    const uint64_t qwID = nAPICID;
    const uint64_t qwInPackage = qwID & ((uint64_t(1) << nPackageBits) - 1);
    CAPICIDParts parts;
    parts.m_nPackageID = uint32_t(qwID >> nPackageBits);
    parts.m_nCoreID = uint32_t(qwInPackage >> nSMTBits);
    parts.m_nSMTID = uint32_t(qwInPackage & ((uint64_t(1) << nSMTBits) - 1));
    return parts;
}
