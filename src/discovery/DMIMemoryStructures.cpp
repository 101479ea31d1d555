// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/DMIMemoryStructures.h"

#include <string>

#include "discovery/DMINames.h"

using dmi::CDMIRawStructure;
using dmi::vCopyStringAt;

namespace {

constexpr uint8_t LARGEST_POWER = 30;  // 2^30 MB still fits the fields

// 2^n MB, or -1 when n is beyond what a field holds.
int32_t nPowerOfTwo(uint32_t n) { return n <= LARGEST_POWER ? int32_t(1) << n : -1; }

// A byte of the formatted area, or all ones when the structure is too short for it.
uint32_t dwByteField(const CDMIRawStructure& structure, uint32_t nOffset)
{
    return structure.bHas(nOffset, 1) ? structure.bByte(nOffset) : 0xFFFFFFFF;
}

// A width in bits; 0xFFFF means unknown.
int32_t nWidth(const CDMIRawStructure& structure, uint32_t nOffset)
{
    const uint16_t w = structure.wWord(nOffset);
    return w == 0xFFFF ? -1 : w;
}

}  // namespace

CDMI_MemoryController::CDMI_MemoryController(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    m_dwCorrection = dwByteField(structure, 0x05);
    if (structure.bHas(0x08, 1)) m_nMaxModuleSize = nPowerOfTwo(structure.bByte(0x08));
}

void CDMI_MemoryController::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Memory Controller\n");
    if (m_dwCorrection != 0xFFFFFFFF) {
        std::string strNames;
        for (uint32_t nBit = 0; nBit < 8; ++nBit) {
            if (!(m_dwCorrection & (1u << nBit))) continue;
            if (const char* pszBit = dmi::pszLookup(dmi::ErrorCorrectingBits, nBit)) {
                if (!strNames.empty()) strNames += ", ";
                strNames += pszBit;
            }
        }
        std::fprintf(pFile, "\tcorrection\t%s\n", strNames.empty() ? "unknown" : strNames.c_str());
    }
    if (m_nMaxModuleSize >= 0) std::fprintf(pFile, "\tMax module size\t%dMBytes\n", m_nMaxModuleSize);
    vEnd(pFile);
}

CDMI_MemoryModule::CDMI_MemoryModule(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    vCopyStringAt(structure, 0x04, m_szSocket);
    if (structure.bHas(0x09, 1)) {
        const uint8_t bSize = structure.bByte(0x09);
        const uint8_t bPower = bSize & 0x7F;
        // 0x7D: not determinable, 0x7E: installed but not enabled, 0x7F: not installed.
        if (bPower < 0x7D) m_nSize = nPowerOfTwo(bPower);
        m_bDoubleBank = (bSize & 0x80) ? 1 : 0;
    }
}

void CDMI_MemoryModule::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Memory Module\n");
    std::fprintf(pFile, "\tsocket\t\t%s\n", pszText(m_szSocket));
    if (m_nSize >= 0)
        std::fprintf(pFile, "\tsize\t\t%dMBytes (%s)\n", m_nSize, m_bDoubleBank ? "double bank" : "single bank");
    vEnd(pFile);
}

CDMI_PhysicalMemoryArray::CDMI_PhysicalMemoryArray(const CDMIRawStructure& structure)
    : CDMIStructure(structure.bType())
{
    m_dwLocation = dwByteField(structure, 0x04);
    m_dwUse = dwByteField(structure, 0x05);
    const uint32_t dwKB = structure.dwDword(0x07);
    if (dwKB == 0x80000000) {
        // The capacity is in the extended field, in bytes.
        const uint64_t qwBytes = structure.qwQword(0x0F, 0);
        if (qwBytes && (qwBytes >> 20) <= 0x7FFFFFFF) m_nMaxCapacity = int32_t(qwBytes >> 20);
    } else if (structure.bHas(0x07, 4)) {
        m_nMaxCapacity = int32_t(dwKB >> 10);
    }
    if (structure.bHas(0x0D, 2)) m_nDevices = structure.wWord(0x0D);
}

void CDMI_PhysicalMemoryArray::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Physical Memory Array\n");
    if (m_dwLocation != 0xFFFFFFFF)
        std::fprintf(pFile, "\tlocation\t%s\n", dmi::pszName(dmi::MemoryArrayLocations, m_dwLocation));
    if (m_dwUse != 0xFFFFFFFF) std::fprintf(pFile, "\tuse\t\t%s\n", dmi::pszName(dmi::MemoryArrayUses, m_dwUse));
    if (m_nMaxCapacity >= 0) std::fprintf(pFile, "\tmax capacity\t%dMBytes\n", m_nMaxCapacity);
    if (m_nDevices >= 0) std::fprintf(pFile, "\tmax# of devices\t%d\n", m_nDevices);
    vEnd(pFile);
}

CDMI_MemoryDevice::CDMI_MemoryDevice(const CDMIRawStructure& structure) : CDMIStructure(structure.bType())
{
    m_nTotalWidth = nWidth(structure, 0x08);
    m_nDataWidth = nWidth(structure, 0x0A);
    if (structure.bHas(0x0C, 2)) {
        const uint16_t wSize = structure.wWord(0x0C);
        if (wSize == 0x7FFF) {
            // The size is in the extended field, in MB.
            const uint32_t dwExtended = structure.dwDword(0x1C);
            if (structure.bHas(0x1C, 4)) m_nSize = int32_t(dwExtended & 0x7FFFFFFF);
        } else if (wSize != 0xFFFF) {
            m_nSize = (wSize & 0x8000) ? int32_t(wSize & 0x7FFF) / 1024 : int32_t(wSize);
        }
    }
    m_dwFormFactor = dwByteField(structure, 0x0E);
    vCopyStringAt(structure, 0x10, m_szLocator);
    vCopyStringAt(structure, 0x11, m_szBank);
    m_dwMemoryType = dwByteField(structure, 0x12);
    const uint16_t wSpeed = structure.wWord(0x15, 0);
    if (wSpeed != 0 && wSpeed != 0xFFFF) m_nSpeed = wSpeed;
    vCopyStringAt(structure, 0x17, m_szManufacturer);
    vCopyStringAt(structure, 0x18, m_szSerial);
    vCopyStringAt(structure, 0x1A, m_szPart);
}

void CDMI_MemoryDevice::Dump(FILE* pFile)
{
    vTitle(pFile, "DMI Memory Device\n");
    if (m_dwFormFactor != 0xFFFFFFFF)
        std::fprintf(pFile, "\tformat\t\t%s\n", dmi::pszName(dmi::MemoryFormFactors, m_dwFormFactor));
    if (m_nTotalWidth >= 0) std::fprintf(pFile, "\ttotal width\t%dbits\n", m_nTotalWidth);
    if (m_nDataWidth >= 0) std::fprintf(pFile, "\tdata width\t%dbits\n", m_nDataWidth);
    if (m_nSize >= 0) std::fprintf(pFile, "\tsize\t\t%dMBytes\n", m_nSize);
    if (m_nSpeed >= 0) std::fprintf(pFile, "\tspeed\t\t%dMHz\n", m_nSpeed);
    if (m_dwMemoryType != 0xFFFFFFFF)
        std::fprintf(pFile, "\ttype\t\t%s\n", dmi::pszName(dmi::MemoryTypes, m_dwMemoryType));
    vEnd(pFile);
}
