// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/DMIInterface.h"

#include <algorithm>
#include <cstring>

#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "kit/Trace.h"

namespace {

class CStructureCollector : public dmi::IDMIVisitor {
public:
    explicit CStructureCollector(CTList<CDMIStructure>& list) : m_List(list) {}
    void vVisit(const dmi::CDMIRawStructure& structure) override
    {
        if (CDMIStructure* pStructure = dmi::CreateStructure(structure)) m_List.Append(pStructure);
    }

private:
    CTList<CDMIStructure>& m_List;
};

}  // namespace

CDMIInterface::CDMIInterface()
    : CInterface(INTERFACE_DMI),
      m_pStructures(new CTList<CDMIStructure>),
      m_pTable(new uint8_t[dmi::DMI_TABLE_BYTES]()),
      m_pEntry(new dmi::DMIEntryPoint())
{
}

CDMIInterface::~CDMIInterface()
{
    m_pStructures->DeleteAll();
    delete m_pStructures;
    delete[] m_pTable;
    delete m_pEntry;
}

void CDMIInterface::vClearStructures()
{
    if (!m_pStructures->m_pHead) return;
    m_pStructures->DeleteAll();
    delete m_pStructures;
    m_pStructures = new CTList<CDMIStructure>;
    m_Walk = dmi::DMIWalkResult();
}

uint32_t CDMIInterface::Probe()
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    return pDriver ? Probe(*pDriver) : 0;
}

uint32_t CDMIInterface::Probe(CDeviceDriver& driver)
{
    uint8_t abEntry[dmi::DMI_ENTRY_BYTES];
    vClearStructures();
    m_dwEntryAddress = 0;
    for (uint32_t dwAt = dmi::DMI_SEARCH_FIRST; dwAt <= dmi::DMI_SEARCH_LAST; dwAt += dmi::DMI_PARAGRAPH) {
        uint32_t dwAnchor = 0;
        if (!driver.bReadPhysicalMemory(dwAt, sizeof dwAnchor, &dwAnchor)) return 0;
        if (dwAnchor != dmi::DMI_ANCHOR) continue;
        if (!driver.bReadPhysicalMemory(dwAt, sizeof abEntry, abEntry)) return 0;
        if (!dmi::bValidEntryPoint(abEntry)) {
            kit::DebugTrace("DMI: anchor at 0x%X fails its checksum, passed over\n", dwAt);
            continue;
        }
        m_dwEntryAddress = dwAt;
        break;
    }
    if (!m_dwEntryAddress) return 0;
    std::memset(m_pEntry, 0, sizeof *m_pEntry);
    std::memcpy(m_pEntry, abEntry, sizeof abEntry);

    // Only the table itself is read: the bytes after it need not be readable memory.
    const uint32_t nRead = std::min<uint32_t>(m_pEntry->wTableLength, dmi::DMI_TABLE_BYTES);
    const uint32_t dwAddress = m_pEntry->dwTableAddress;
    if (nRead && uint64_t(dwAddress) + nRead > 0x100000000ull) return 0;
    std::memset(m_pTable, 0, dmi::DMI_TABLE_BYTES);
    if (nRead && !driver.bReadPhysicalMemory(dwAddress, nRead, m_pTable)) return 0;
    kit::DebugTrace("DMI: entry point at 0x%X, table at 0x%X, %u bytes, %u structures\n", m_dwEntryAddress,
                    dwAddress, m_pEntry->wTableLength, m_pEntry->wStructures);
    CStructureCollector collector(*m_pStructures);
    m_Walk = dmi::WalkTable(m_pTable, nRead, collector);
    if (m_Walk.bCut) kit::DebugTrace("DMI: the table is damaged after %u bytes, the rest is left out\n", m_Walk.nBytes);
    return 1;
}

dmi::DMIWalkResult CDMIInterface::LoadTable(const uint8_t* pBytes, uint32_t nLength)
{
    vClearStructures();
    const uint32_t nTaken = std::min(nLength, dmi::DMI_TABLE_BYTES);
    std::memset(m_pTable, 0, dmi::DMI_TABLE_BYTES);
    if (nTaken) std::memcpy(m_pTable, pBytes, nTaken);
    CStructureCollector collector(*m_pStructures);
    m_Walk = dmi::WalkTable(m_pTable, nTaken, collector);
    return m_Walk;
}

void CDMIInterface::Dump(FILE* pFile)
{
    for (CTListItem<CDMIStructure>* pItem = m_pStructures->m_pHead; pItem; pItem = pItem->m_pNext)
        if (pItem->m_pObject) pItem->m_pObject->Dump(pFile);
}
