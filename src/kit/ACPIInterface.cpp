// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/ACPIInterface.h"

#include <cstring>
#include <memory>
#include <new>

#include "kit/ACPITimer.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"

namespace {

constexpr uint32_t LOW_SEARCH_BASE = 0;
constexpr uint32_t LOW_SEARCH_BYTES = 1024;
constexpr uint32_t BIOS_SEARCH_BASE = 0xE0000;
constexpr uint32_t BIOS_SEARCH_BYTES = 0x20000;
constexpr uint32_t RSDP_ALIGNMENT = 16;

constexpr uint32_t FADT_PM_TIMER_OFFSET = 76;
constexpr uint32_t FADT_LONG_LENGTH = 304;  // with revision 3 or later: no timer is taken from it
constexpr uint8_t FADT_LONG_REVISION = 3;
constexpr uint32_t HIGHEST_TIMER_PORT = 0x10000 - 4;

// The signatures this system knows. Only the FADT is used; the others are recognised and
// passed over, as unknown ones are.
struct TableSignature {
    const char* pszSignature;  // "OEM" matches every signature that starts with it
    const char* pszName;
};
const TableSignature s_Signatures[] = {
    {"FACP", "Fixed ACPI Description Table"},
    {"APIC", "Multiple APIC Description Table"},
    {"BOOT", "Simple Boot Flag Table"},
    {"DBGP", "Debug Port Table"},
    {"DSDT", "Differentiated System Description Table"},
    {"ECDT", "Embedded Controller Boot Resources Table"},
    {"ETDT", "Event Timer Description Table"},
    {"FACS", "Firmware ACPI Control Structure"},
    {"OEM", "OEM Specific Information Table"},
    {"PSDT", "Persistent System Description Table"},
    {"SBST", "Smart Battery Table"},
    {"SLIT", "System Locality Information Table"},
    {"SPCR", "Serial Port Console Redirection Table"},
    {"SRAT", "System Resource Affinity Table"},
    {"SSDT", "Secondary System Description Table"},
    {"SPMI", "Server Platform Management Interface Table"},
    {"XSDT", "Extended System Description Table"},
};

uint32_t dwAt(const uint8_t* p, uint32_t nOffset)
{
    return uint32_t(p[nOffset]) | uint32_t(p[nOffset + 1]) << 8 | uint32_t(p[nOffset + 2]) << 16 |
           uint32_t(p[nOffset + 3]) << 24;
}

// A printable copy of nCount bytes: other bytes become '?'.
void vPrintable(const uint8_t* p, uint32_t nCount, char* pszOut)
{
    for (uint32_t i = 0; i < nCount; ++i) pszOut[i] = (p[i] >= 0x20 && p[i] < 0x7F) ? char(p[i]) : '?';
    pszOut[nCount] = '\0';
}

bool bReadMemory(uint32_t dwAddress, uint32_t nCount, void* pBuffer)
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    return pDriver && pDriver->bReadPhysicalMemory(dwAddress, nCount, pBuffer);
}

}  // namespace

CACPIInterface::CACPIInterface()
    : CInterface(INTERFACE_ACPI),
      m_pRSDP(new uint8_t[RSDP_BYTES]()),
      m_pRSDT(new uint8_t[RSDT_BYTES]()),
      m_pTimer(nullptr),
      m_dwRSDPAddress(0),
      m_dwRSDTAddress(0),
      m_dwRSDTLength(0),
      m_nRSDTEntries(0),
      m_nExamined(0),
      m_dwFADTAddress(0),
      m_dwFADTLength(0),
      m_bFADTRevision(0),
      m_dwPMTimerBlock(0)
{
}

CACPIInterface::~CACPIInterface()
{
    delete[] m_pRSDP;
    delete[] m_pRSDT;
}

bool CACPIInterface::bSearchRSDP(uint32_t dwBase, uint32_t nBytes)
{
    std::unique_ptr<uint8_t[]> pArea(new (std::nothrow) uint8_t[nBytes]);
    if (!pArea || !bReadMemory(dwBase, nBytes, pArea.get())) return false;
    for (uint32_t nOffset = 0; nOffset + RSDP_BYTES <= nBytes; nOffset += RSDP_ALIGNMENT) {
        const uint8_t* p = pArea.get() + nOffset;
        if (std::memcmp(p, "RSD PTR ", 8) != 0) continue;
        uint8_t bSum = 0;
        for (uint32_t i = 0; i < RSDP_BYTES; ++i) bSum = uint8_t(bSum + p[i]);
        if (bSum != 0) continue;
        std::memcpy(m_pRSDP, p, RSDP_BYTES);
        m_dwRSDPAddress = dwBase + nOffset;
        return true;
    }
    return false;
}

uint32_t CACPIInterface::Probe()
{
    // What an earlier probe found is forgotten; a timer it made stays with the kit.
    m_dwRSDPAddress = m_dwRSDTAddress = m_dwRSDTLength = 0;
    m_nRSDTEntries = 0;
    m_nExamined = 0;
    m_dwFADTAddress = m_dwFADTLength = m_dwPMTimerBlock = 0;
    m_bFADTRevision = 0;
    if (!bSearchRSDP(LOW_SEARCH_BASE, LOW_SEARCH_BYTES) && !bSearchRSDP(BIOS_SEARCH_BASE, BIOS_SEARCH_BYTES))
        return 0;

    m_dwRSDTAddress = dwAt(m_pRSDP, 16);
    if (!bReadMemory(m_dwRSDTAddress, RSDT_BYTES, m_pRSDT)) return 0;

    // The length is the firmware's word: the count may be 0 or below, or far more than the
    // 17 entries that lie inside the bytes read.
    m_dwRSDTLength = dwAt(m_pRSDT, 4);
    const int64_t nCount = (int64_t(m_dwRSDTLength) - int64_t(HEADER_BYTES)) / 4;
    m_nRSDTEntries = nCount > INT32_MAX ? INT32_MAX : int32_t(nCount);
    if (nCount < 1) return 1;
    const uint32_t nExamine = nCount > MAX_ENTRIES ? MAX_ENTRIES : uint32_t(nCount);

    std::unique_ptr<uint8_t[]> pTable(new (std::nothrow) uint8_t[MAX_TABLE_BYTES]);
    if (!pTable) return 1;
    for (uint32_t i = 0; i < nExamine; ++i) {
        m_nExamined = i + 1;
        vExamineEntry(i, dwAt(m_pRSDT, HEADER_BYTES + 4 * i), pTable.get());
    }
    return 1;
}

void CACPIInterface::vExamineEntry(uint32_t nIndex, uint32_t dwAddress, uint8_t* pTable)
{
    ACPIEntryInfo& entry = m_Entries[nIndex];
    entry = ACPIEntryInfo{};
    entry.dwAddress = dwAddress;
    if (!bReadMemory(dwAddress, HEADER_BYTES, pTable)) return;
    vPrintable(pTable, 4, entry.szSignature);
    vPrintable(pTable + 10, 6, entry.szOEMID);
    vPrintable(pTable + 16, 8, entry.szOEMTableID);
    entry.dwLength = dwAt(pTable, 4);
    entry.bRevision = pTable[8];
    if (entry.dwLength > MAX_TABLE_BYTES) {
        entry.eState = ACPIEntryState::TooLong;
        return;
    }
    if (entry.dwLength < HEADER_BYTES) {
        entry.eState = ACPIEntryState::TooShort;
        return;
    }
    if (!bReadMemory(dwAddress, entry.dwLength, pTable)) return;
    entry.eState = ACPIEntryState::Read;
    // From here on the length read with the header bounds every look into the table.
    // Only one timer is made: a second FADT would register a second port space for nothing.
    if (std::memcmp(entry.szSignature, "FACP", 4) != 0 || m_pTimer) return;
    m_dwFADTAddress = dwAddress;
    m_dwFADTLength = entry.dwLength;
    m_bFADTRevision = entry.bRevision;
    // A table too short to hold the PM timer block gives none.
    m_dwPMTimerBlock = entry.dwLength >= FADT_PM_TIMER_OFFSET + 4 ? dwAt(pTable, FADT_PM_TIMER_OFFSET) : 0;
    if (entry.bRevision >= FADT_LONG_REVISION && entry.dwLength >= FADT_LONG_LENGTH) return;
    // I/O ports are 16 bits: a block beyond them is not a port.
    if (m_dwPMTimerBlock == 0 || m_dwPMTimerBlock > HIGHEST_TIMER_PORT) return;
    m_pTimer = new CACPITimer(static_cast<uint16_t>(m_dwPMTimerBlock));
    ORVEXSDK::Instance()->AddTimer(m_pTimer);
}

void CACPIInterface::vRSDPOEMID(char (&sz)[7]) const { vPrintable(m_pRSDP + 9, 6, sz); }
void CACPIInterface::vRSDTSignature(char (&sz)[5]) const { vPrintable(m_pRSDT, 4, sz); }
void CACPIInterface::vRSDTOEMID(char (&sz)[7]) const { vPrintable(m_pRSDT + 10, 6, sz); }
void CACPIInterface::vRSDTOEMTableID(char (&sz)[9]) const { vPrintable(m_pRSDT + 16, 8, sz); }

const char* CACPIInterface::pszTableName(const char* pszSignature)
{
    if (!pszSignature) return nullptr;
    for (const TableSignature& s : s_Signatures)
        if (std::strncmp(pszSignature, s.pszSignature, std::strlen(s.pszSignature)) == 0) return s.pszName;
    return nullptr;
}
