// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMBIOS structure table as the firmware leaves it in memory: the "_DMI_" entry point that
// locates it, and the walk over its structures. Everything here reads a buffer of a known
// size and never looks past it: the table comes from the firmware and is not trusted.
#include <cstdint>
#include <string_view>

namespace dmi {

constexpr uint32_t DMI_SEARCH_FIRST = 0xF0000;
constexpr uint32_t DMI_SEARCH_LAST = 0xFFFF0;
constexpr uint32_t DMI_PARAGRAPH = 16;
constexpr uint32_t DMI_ANCHOR = 0x494D445F;  // "_DMI" read as a dword
constexpr uint32_t DMI_ENTRY_BYTES = 15;
constexpr uint32_t DMI_TABLE_BYTES = 16384;
constexpr uint8_t DMI_TYPE_END = 127;

// The 16-byte entry point record: the 15 bytes of the "_DMI_" entry point and one spare.
#pragma pack(push, 1)
struct DMIEntryPoint {
    char szAnchor[4];
    char cAnchor5;
    uint8_t bChecksum;
    uint16_t wTableLength;
    uint32_t dwTableAddress;
    uint16_t wStructures;
    uint8_t bBCDRevision;
    uint8_t bSpare;
};
#pragma pack(pop)
static_assert(sizeof(DMIEntryPoint) == 16);

// "_DMI_" followed by 10 bytes whose 15-byte sum is 0 modulo 256. A "_DMI" that only happens
// to stand at a paragraph (in code or data of the BIOS) fails the sum and is passed over.
bool bValidEntryPoint(const uint8_t* pBytes);

// One structure of the table: its formatted area and its string area, both inside the table.
class CDMIRawStructure {
public:
    CDMIRawStructure(const uint8_t* pFormatted, uint32_t nFormatted, const uint8_t* pStrings, uint32_t nStrings)
        : m_pFormatted(pFormatted), m_nFormatted(nFormatted), m_pStrings(pStrings), m_nStrings(nStrings)
    {
    }

    uint8_t bType() const { return m_pFormatted[0]; }
    uint32_t nFormattedLength() const { return m_nFormatted; }
    uint16_t wHandle() const { return wWord(2, 0xFFFF); }
    // True when the formatted area holds nBytes at nOffset: older structures are shorter and
    // the bytes after their formatted area belong to the strings.
    bool bHas(uint32_t nOffset, uint32_t nBytes) const { return nOffset + nBytes <= m_nFormatted; }
    // Little-endian values of the formatted area; the default when they lie beyond it.
    uint8_t bByte(uint32_t nOffset, uint8_t bDefault = 0xFF) const;
    uint16_t wWord(uint32_t nOffset, uint16_t wDefault = 0xFFFF) const;
    uint32_t dwDword(uint32_t nOffset, uint32_t dwDefault = 0xFFFFFFFF) const;
    uint64_t qwQword(uint32_t nOffset, uint64_t qwDefault = ~0ull) const;
    // The nIndex-th string (from 1) as it stands in the string area. Empty for index 0, an
    // index past the last string, or a string whose terminating zero is not in the table.
    std::string_view String(uint32_t nIndex) const;
    // The string whose index is the byte at nOffset of the formatted area.
    std::string_view StringAt(uint32_t nOffset) const { return String(bByte(nOffset, 0)); }

private:
    const uint8_t* m_pFormatted;
    uint32_t m_nFormatted;
    const uint8_t* m_pStrings;
    uint32_t m_nStrings;  // bytes from the string area's start to the end of the structure or table
};

// What a walk found.
struct DMIWalkResult {
    uint32_t nStructures = 0;  // structures handed to the visitor
    uint32_t nBytes = 0;       // bytes of the table the walk covered
    bool bCut = false;         // it stopped at a damaged structure before the end
};

class IDMIVisitor {
public:
    virtual ~IDMIVisitor() = default;
    virtual void vVisit(const CDMIRawStructure& structure) = 0;
};

// Walks the structures in the first nLength bytes of pTable (at most DMI_TABLE_BYTES). Each
// structure spans its formatted length and its strings up to and including their double
// zero; a memory controller (type 5) whose formatted area is not followed by two zeros has no
// string area. The walk ends at the end-of-table structure (127), at the end of the bytes, or
// at the first structure that cannot be trusted: a length below 4 or a formatted area that
// runs past the end (not visited), or a string area with no double zero before the end
// (visited with the strings that are whole, then the walk ends).
DMIWalkResult WalkTable(const uint8_t* pTable, uint32_t nLength, IDMIVisitor& visitor);

}  // namespace dmi
