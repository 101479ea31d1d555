// SPDX-License-Identifier: GPL-2.0-or-later
#include "discovery/DMIStructure.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "discovery/DMIConnectorStructures.h"
#include "discovery/DMIMemoryStructures.h"
#include "discovery/DMISystemStructures.h"

void CDMIStructure::vTitle(FILE* pFile, const char* pszTitle)
{
    std::fputs(pszTitle, pFile);
    size_t nLength = std::strlen(pszTitle);
    if (nLength && pszTitle[nLength - 1] == '\n') --nLength;
    for (size_t i = 0; i < nLength; ++i) std::fputc('-', pFile);
    std::fputc('\n', pFile);
}

void CDMIStructure::vEnd(FILE* pFile) { std::fputs("\n\n", pFile); }

namespace dmi {

void vCopyString(const CDMIRawStructure& structure, uint32_t nIndex, char (&szField)[DMI_STRING_BYTES])
{
    szField[0] = 0;
    const std::string_view text = structure.String(nIndex);
    if (text.size() >= DMI_STRING_REFUSED) return;
    std::string strKept;
    for (char c : text) {
        if (c == '"' || c == '\'') continue;
        const unsigned char u = static_cast<unsigned char>(c);
        strKept += (u < 0x20 || u >= 0x7F) ? '.' : c;
    }
    const size_t nFirst = strKept.find_first_not_of(' ');
    if (nFirst == std::string::npos) return;
    const size_t nLength = std::min<size_t>(strKept.find_last_not_of(' ') - nFirst + 1, DMI_STRING_BYTES - 1);
    std::memcpy(szField, strKept.data() + nFirst, nLength);
    szField[nLength] = 0;
}

namespace {

using PFN_CREATE = CDMIStructure* (*)(const CDMIRawStructure&);

template <typename T>
CDMIStructure* Create(const CDMIRawStructure& structure)
{
    return new T(structure);
}

struct StructureClass {
    uint8_t bType;
    PFN_CREATE pfnCreate;
};

const StructureClass s_Classes[] = {
    {0, Create<CDMI_Bios>},
    {1, Create<CDMI_System>},
    {2, Create<CDMI_Baseboard>},
    {3, Create<CDMI_SystemEnclosure>},
    {4, Create<CDMI_Processor>},
    {5, Create<CDMI_MemoryController>},
    {6, Create<CDMI_MemoryModule>},
    {8, Create<CDMI_PortConnector>},
    {9, Create<CDMI_ExtensionSlot>},
    {16, Create<CDMI_PhysicalMemoryArray>},
    {17, Create<CDMI_MemoryDevice>},
};

}  // namespace

CDMIStructure* CreateStructure(const CDMIRawStructure& structure)
{
    for (const StructureClass& c : s_Classes)
        if (c.bType == structure.bType()) return c.pfnCreate(structure);
    return nullptr;
}

}  // namespace dmi
