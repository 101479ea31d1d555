// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/PCIConfig.h"

#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"

namespace kit {

namespace {
CIOSpace* pFindByFlags(uint32_t dwFlags)
{
    return ORVEXSDK::Instance()->m_pIOSpaceList->Find(
        [dwFlags](CIOSpace* p) { return (p->m_dwType & dwFlags) == dwFlags; });
}
}  // namespace

CPCIIOSpace* FindPCIConfigSpace() { return static_cast<CPCIIOSpace*>(pFindByFlags(IOSPACE_PCI_PORTS)); }

CPCIExpressIOSpace* FindPCIExpressSpace()
{
    return static_cast<CPCIExpressIOSpace*>(pFindByFlags(IOSPACE_PCI_EXPRESS));
}

uint32_t dwReadPCIConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset)
{
    if (dwOffset < 256) {
        CPCIIOSpace* pSpace = FindPCIConfigSpace();
        return pSpace ? pSpace->ReadConfig(dwBus, dwDevice, dwFunction, dwOffset) : 0xFFFFFFFF;
    }
    CPCIExpressIOSpace* pSpace = FindPCIExpressSpace();
    return pSpace ? pSpace->ReadConfig(dwBus, dwDevice, dwFunction, dwOffset) : 0xFFFFFFFF;
}

uint32_t bWritePCIConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue)
{
    if (dwOffset < 256) {
        CPCIIOSpace* pSpace = FindPCIConfigSpace();
        return pSpace ? pSpace->WriteConfig(dwBus, dwDevice, dwFunction, dwOffset, dwValue) : 0;
    }
    CPCIExpressIOSpace* pSpace = FindPCIExpressSpace();
    return pSpace ? pSpace->WriteConfig(dwBus, dwDevice, dwFunction, dwOffset, dwValue) : 0;
}

}  // namespace kit
