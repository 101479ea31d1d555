// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/DMISystemStructures.h"

#include <cstring>

#include "discovery/DMINames.h"

using dmi::CDMIRawStructure;
using dmi::vCopyStringAt;

namespace {

// A speed word in MHz; 0 means unknown.
float fSpeed(const CDMIRawStructure& structure, uint32_t nOffset)
{
    const uint16_t wSpeed = structure.wWord(nOffset, 0);
    return (wSpeed == 0 || wSpeed == 0xFFFF) ? -1.0f : float(wSpeed);
}

}  // namespace

CDMI_Bios::CDMI_Bios(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szVendor);
    vCopyStringAt(structure, 0x05, m_szVersion);
    vCopyStringAt(structure, 0x08, m_szDate);
}

void CDMI_Bios::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI BIOS\n");
    std::fprintf(pFile, "\tvendor\t\t%s\n", pszText(m_szVendor));
    std::fprintf(pFile, "\tversion\t\t%s\n", pszText(m_szVersion));
    std::fprintf(pFile, "\tdate\t\t%s\n", pszText(m_szDate));
    vEnd(pFile);
}

CDMI_System::CDMI_System(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szManufacturer);
    vCopyStringAt(structure, 0x05, m_szProduct);
    vCopyStringAt(structure, 0x06, m_szVersion);
    vCopyStringAt(structure, 0x07, m_szSerial);
    std::memset(m_abUUID, 0xFF, sizeof m_abUUID);
    m_bUUID = structure.bHas(0x08, sizeof m_abUUID);
    for (uint32_t i = 0; m_bUUID && i < sizeof m_abUUID; ++i) m_abUUID[i] = structure.bByte(0x08 + i);
}

void CDMI_System::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI System Information\n");
    std::fprintf(pFile, "\tmanufacturer\t%s\n", pszText(m_szManufacturer));
    std::fprintf(pFile, "\tproduct\t\t%s\n", pszText(m_szProduct));
    std::fprintf(pFile, "\tserial\t\t%s\n", pszText(m_szSerial));
    if (m_bUUID) {
        const uint8_t* u = m_abUUID;
        std::fprintf(pFile, "\tUUID\t\t%02X%02X%02X%02X-%02X%02X%02X%02X-%02X%02X%02X%02X-%02X%02X%02X%02X\n", u[0],
                     u[1], u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9], u[10], u[11], u[12], u[13], u[14], u[15]);
    }
    vEnd(pFile);
}

CDMI_Baseboard::CDMI_Baseboard(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szManufacturer);
    vCopyStringAt(structure, 0x05, m_szModel);
    vCopyStringAt(structure, 0x06, m_szRevision);
    vCopyStringAt(structure, 0x07, m_szSerial);
}

void CDMI_Baseboard::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Baseboard\n");
    std::fprintf(pFile, "\tmanufacturer\t%s\n", pszText(m_szManufacturer));
    std::fprintf(pFile, "\tmodel\t\t%s\n", pszText(m_szModel));
    std::fprintf(pFile, "\trevision\t%s\n", pszText(m_szRevision));
    vEnd(pFile);
}

CDMI_SystemEnclosure::CDMI_SystemEnclosure(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szManufacturer);
    // Bit 7 of the type byte tells whether the chassis has a lock; it is no part of the type.
    if (structure.bHas(0x05, 1)) m_dwChassisType = structure.bByte(0x05) & 0x7F;
    vCopyStringAt(structure, 0x07, m_szSerial);
}

void CDMI_SystemEnclosure::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI System Enclosure\n");
    if (m_dwChassisType != 0xFFFFFFFF) {
        if (const char* pszType = dmi::pszLookup(dmi::ChassisTypes, m_dwChassisType))
            std::fprintf(pFile, "\ttype\t\t%s\n", pszType);
        else
            std::fprintf(pFile, "\ttype\t\t0x%X\n", m_dwChassisType);
    }
    std::fprintf(pFile, "\tserial\t\t%s\n", pszText(m_szSerial));
    vEnd(pFile);
}

CDMI_Processor::CDMI_Processor(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szSocket);
    vCopyStringAt(structure, 0x07, m_szManufacturer);
    vCopyStringAt(structure, 0x10, m_szModel);
    m_fFSB = fSpeed(structure, 0x12);
    m_fMaxClock = fSpeed(structure, 0x14);
    m_fClock = fSpeed(structure, 0x16);
}

void CDMI_Processor::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Processor\n");
    std::fprintf(pFile, "\tmanufacturer\t%s\n", pszText(m_szManufacturer));
    std::fprintf(pFile, "\tmodel\t\t%s\n", pszText(m_szModel));
    if (m_fClock > 0) std::fprintf(pFile, "\tclock speed\t%.1fMHz\n", m_fClock);
    if (m_fFSB > 0) std::fprintf(pFile, "\tFSB speed\t%.1fMHz\n", m_fFSB);
    if (m_fClock > 0 && m_fFSB > 0) std::fprintf(pFile, "\tmultiplier\t%.1fx\n", m_fClock / m_fFSB);
    vEnd(pFile);
}
