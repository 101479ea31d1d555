// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/DMIConnectorStructures.h"

#include <cstdlib>

#include "discovery/DMINames.h"

using dmi::CDMIRawStructure;
using dmi::vCopyStringAt;

namespace {

constexpr uint32_t CONNECTOR_NONE = 0x00;

uint32_t dwByteField(const CDMIRawStructure& structure, uint32_t nOffset)
{
    return structure.bHas(nOffset, 1) ? structure.bByte(nOffset) : 0xFFFFFFFF;
}

}  // namespace

CDMI_PortConnector::CDMI_PortConnector(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szInternal);
    m_dwInternalType = dwByteField(structure, 0x05);
    vCopyStringAt(structure, 0x06, m_szExternal);
    m_dwExternalType = dwByteField(structure, 0x07);
    m_dwPortType = dwByteField(structure, 0x08);
}

void CDMI_PortConnector::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Port Connector\n");
    if (m_szInternal[0]) std::fprintf(pFile, "\tdesignation\t%s (internal)\n", m_szInternal);
    if (m_szExternal[0]) std::fprintf(pFile, "\tdesignation\t%s (external)\n", m_szExternal);
    if (!m_szInternal[0] && !m_szExternal[0]) std::fprintf(pFile, "\tdesignation\t%s\n", pszText(m_szInternal));
    if (m_dwPortType != 0xFFFFFFFF)
        std::fprintf(pFile, "\tport type\t%s\n", dmi::pszName(dmi::PortTypes, m_dwPortType));
    // The connector a user plugs into: the external one when there is one.
    const uint32_t dwConnector =
        (m_dwExternalType != 0xFFFFFFFF && m_dwExternalType != CONNECTOR_NONE) ? m_dwExternalType : m_dwInternalType;
    if (dwConnector != 0xFFFFFFFF)
        std::fprintf(pFile, "\tconnector\t%s\n", dmi::pszName(dmi::ConnectorTypes, dwConnector));
    vEnd(pFile);
}

CDMI_ExtensionSlot::CDMI_ExtensionSlot(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szDesignation);
    m_dwSlotType = dwByteField(structure, 0x05);
    if (structure.bHas(0x06, 1))
        if (const char* pszBits = dmi::pszLookup(dmi::SlotWidths, structure.bByte(0x06))) m_nWidth = std::atoi(pszBits);
    m_dwUsage = dwByteField(structure, 0x07);
}

void CDMI_ExtensionSlot::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Extension Slot\n");
    std::fprintf(pFile, "\tdesignation\t%s\n", pszText(m_szDesignation));
    if (m_dwSlotType != 0xFFFFFFFF) std::fprintf(pFile, "\ttype\t\t%s\n", dmi::pszName(dmi::SlotTypes, m_dwSlotType));
    if (m_nWidth > 0) std::fprintf(pFile, "\twidth\t\t%d bits\n", m_nWidth);
    if (m_dwUsage != 0xFFFFFFFF) std::fprintf(pFile, "\tpopulated\t%s\n", dmi::pszName(dmi::SlotUsages, m_dwUsage));
    vEnd(pFile);
}
