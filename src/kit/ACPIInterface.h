// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ACPI interface: finds the firmware's root system description pointer (RSDP), walks the
// root table (RSDT) it points at, and creates the PM timer that the fixed ACPI description
// table (FADT, signature "FACP") names. The firmware's tables are untrusted: every length and
// count in them is bounded by the bytes actually read.
#include <cstdint>

#include "kit/Interface.h"

class CACPITimer;

// What became of one RSDT entry during the probe.
enum class ACPIEntryState : uint8_t {
    Unreadable,  // the header could not be read
    TooLong,     // the header claims more than 4096 bytes: not read
    TooShort,    // the header claims less than a header: not a table
    Read,        // the whole table was read
};

struct ACPIEntryInfo {
    uint32_t dwAddress = 0;
    char szSignature[5] = {};  // printable copies ('?' for other bytes)
    char szOEMID[7] = {};
    char szOEMTableID[9] = {};
    uint32_t dwLength = 0;
    uint8_t bRevision = 0;
    ACPIEntryState eState = ACPIEntryState::Unreadable;
};

class CACPIInterface : public CInterface {
public:
    static constexpr uint32_t RSDP_BYTES = 20;
    static constexpr uint32_t RSDT_BYTES = 104;
    static constexpr uint32_t HEADER_BYTES = 36;
    static constexpr uint32_t MAX_ENTRIES = (RSDT_BYTES - HEADER_BYTES) / 4;  // 17
    static constexpr uint32_t MAX_TABLE_BYTES = 4096;

    CACPIInterface();
    ~CACPIInterface() override;
    CACPIInterface(const CACPIInterface&) = delete;
    CACPIInterface& operator=(const CACPIInterface&) = delete;

    uint32_t Init() override { return 1; }
    void Close() override {}
    void Scan() override {}

    // Non-zero when the RSDP was found and its RSDT could be read.
    uint32_t Probe();

    uint8_t* m_pRSDP;        // 20 bytes, owned
    uint8_t* m_pRSDT;        // 104 bytes, owned
    CACPITimer* m_pTimer;    // owned by the kit's timer list; null without a PM timer

    // Where the probe found things, for reports. Addresses are 0 until found.
    uint32_t m_dwRSDPAddress;
    uint32_t m_dwRSDTAddress;
    uint32_t m_dwRSDTLength;     // as the RSDT claims it
    int32_t m_nRSDTEntries;      // entries the length claims (may be 0 or below)
    uint32_t m_nExamined;        // entries looked at (at most 17)
    ACPIEntryInfo m_Entries[MAX_ENTRIES];
    uint32_t m_dwFADTAddress;    // the FADT the timer came from, else the last one read; 0 without one
    uint32_t m_dwFADTLength;
    uint8_t m_bFADTRevision;
    uint32_t m_dwPMTimerBlock;   // the FADT's PM timer block as given, 0 when absent

    uint8_t bRSDPRevision() const { return m_pRSDP[15]; }
    // The OEM id of the RSDP (6 characters, printable copy).
    void vRSDPOEMID(char (&sz)[7]) const;
    // The RSDT's own signature, OEM id and OEM table id (printable copies).
    void vRSDTSignature(char (&sz)[5]) const;
    void vRSDTOEMID(char (&sz)[7]) const;
    void vRSDTOEMTableID(char (&sz)[9]) const;

    // The name of a table signature, from the table of signatures this system knows; null
    // for an unknown one.
    static const char* pszTableName(const char* pszSignature);

private:
    // Looks for "RSD PTR " with a zero checksum at every 16-byte boundary of the bytes read
    // at dwBase; the whole 20 bytes must lie inside them.
    bool bSearchRSDP(uint32_t dwBase, uint32_t nBytes);
    void vExamineEntry(uint32_t nIndex, uint32_t dwAddress, uint8_t* pTable);
};
