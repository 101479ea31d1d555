// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The base of the objects kept for the SMBIOS structures the kit knows, and the factory that
// makes one from a structure of the table.
#include <cstdint>
#include <cstdio>

#include "discovery/DMITable.h"

constexpr uint32_t DMI_STRING_BYTES = 256;
constexpr uint32_t DMI_STRING_REFUSED = 512;  // a firmware string this long is not taken

class CDMIStructure {
public:
    explicit CDMIStructure(uint32_t dwType) : m_dwType(dwType) {}
    virtual ~CDMIStructure() {}
    // Writes the structure's report to the stream: a title underlined with dashes, one line
    // per field ("unknown" for an empty string; a number that was never filled gives no
    // line), then "\n\n".
    virtual void Dump(FILE* pFile) = 0;

    uint32_t m_dwType;

protected:
    static void vTitle(FILE* pFile, const char* pszTitle);
    static void vEnd(FILE* pFile);
    static const char* pszText(const char* szField) { return szField[0] ? szField : "unknown"; }
};

namespace dmi {

// Copies the string at nIndex into a field: spaces before and after are removed, single and
// double quotes dropped, anything but printable ASCII shown as '.'; a string of DMI_STRING_REFUSED or
// more characters gives an empty field, a longer one than the field holds is cut.
void vCopyString(const CDMIRawStructure& structure, uint32_t nIndex, char (&szField)[DMI_STRING_BYTES]);
// The same for the string whose index is the byte at nOffset.
inline void vCopyStringAt(const CDMIRawStructure& structure, uint32_t nOffset, char (&szField)[DMI_STRING_BYTES])
{
    vCopyString(structure, structure.bByte(nOffset, 0), szField);
}

// The object for a structure of a known type; null for the other types.
CDMIStructure* CreateStructure(const CDMIRawStructure& structure);

}  // namespace dmi
