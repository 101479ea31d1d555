// SPDX-License-Identifier: GPL-2.0-or-later
// The ACPI interface's probe on firmware tables laid byte by byte into an in-memory machine.
#include <gtest/gtest.h>

#include "AcpiMemoryDevice.h"
#include "app/InterfaceCreation.h"
#include "kit/ACPIInterface.h"
#include "kit/ACPITimer.h"
#include "kit/IOSpace.h"

using namespace acpitest;

namespace {

constexpr uint32_t RSDT_AT = 0x7FFF0000;
constexpr uint32_t FADT_AT = 0x7FFF0100;
constexpr uint32_t BIOS_RSDP_AT = 0xF5A30;

class AcpiProbe : public ::testing::Test {
protected:
    CMemoryDevice& Memory() { return m_Kit.Device(); }
    // The usual machine: RSDP in the BIOS area, an RSDT with the given entries.
    void vLay(const std::vector<uint32_t>& entries, int64_t nRsdtLength = -1)
    {
        Memory().vPut(BIOS_RSDP_AT, Rsdp(RSDT_AT));
        Memory().vPut(RSDT_AT, Rsdt(entries, nRsdtLength));
    }
    // Probes with a fresh interface, kept in m_pACPI.
    uint32_t dwProbe()
    {
        m_pACPI = std::make_unique<CACPIInterface>();
        return m_pACPI->Probe();
    }
    // The largest read at dwAddress, 0 when there was none.
    uint32_t nLargestReadAt(uint64_t qwAddress)
    {
        uint32_t n = 0;
        for (const CMemoryDevice::Read& r : m_Kit.Device().m_Reads)
            if (r.qwAddress == qwAddress) n = std::max(n, r.nCount);
        return n;
    }

    CMemoryKit m_Kit;
    std::unique_ptr<CACPIInterface> m_pACPI;
};

TEST_F(AcpiProbe, ABadChecksumIsSkippedAndTheSearchGoesOnAtTheNextBoundary)
{
    Memory().vPut(0xE0040, Rsdp(0x11111110, false));
    Memory().vPut(0xE0050, Rsdp(RSDT_AT));
    Memory().vPut(RSDT_AT, Rsdt({}));
    ASSERT_TRUE(dwProbe());
    EXPECT_EQ(m_pACPI->m_dwRSDPAddress, 0xE0050u);
    EXPECT_EQ(m_pACPI->m_dwRSDTAddress, RSDT_AT);
    // The first 20 bytes are kept as found.
    EXPECT_EQ(std::memcmp(m_pACPI->m_pRSDP, Rsdp(RSDT_AT).data(), 20), 0);
}

TEST_F(AcpiProbe, OnlyBadChecksumsMeansNoRSDP)
{
    Memory().vPut(0x100, Rsdp(RSDT_AT, false));
    Memory().vPut(0xF0000, Rsdp(RSDT_AT, false));
    Memory().vPut(0xF0018, Rsdp(RSDT_AT));  // good, but not on a 16-byte boundary
    Memory().vPut(RSDT_AT, Rsdt({}));
    EXPECT_EQ(dwProbe(), 0u);
}

TEST_F(AcpiProbe, TheFirstKiBIsSearchedBeforeTheBiosArea)
{
    Memory().vPut(0x200, Rsdp(0x40000000));
    Memory().vPut(BIOS_RSDP_AT, Rsdp(RSDT_AT));
    Memory().vPut(0x40000000, Rsdt({}));
    ASSERT_TRUE(dwProbe());
    EXPECT_EQ(m_pACPI->m_dwRSDPAddress, 0x200u);
    EXPECT_EQ(m_pACPI->m_dwRSDTAddress, 0x40000000u);
    ASSERT_GE(Memory().m_Reads.size(), 2u);
    EXPECT_EQ(Memory().m_Reads[0].qwAddress, 0u);
    EXPECT_EQ(Memory().m_Reads[0].nCount, 1024u);
    EXPECT_EQ(Memory().m_Reads[1].qwAddress, 0x40000000u);  // the BIOS area was never read

    Memory().vClear();
    Memory().vPut(BIOS_RSDP_AT, Rsdp(RSDT_AT));
    Memory().vPut(RSDT_AT, Rsdt({}));
    Memory().m_Reads.clear();
    ASSERT_TRUE(dwProbe());
    EXPECT_EQ(m_pACPI->m_dwRSDPAddress, BIOS_RSDP_AT);
    ASSERT_GE(Memory().m_Reads.size(), 2u);
    EXPECT_EQ(Memory().m_Reads[1].qwAddress, 0xE0000u);
    EXPECT_EQ(Memory().m_Reads[1].nCount, 0x20000u);
}

TEST_F(AcpiProbe, AnRSDPWhoseBytesRunPastTheSearchedAreaIsNotTaken)
{
    // At 0x3F0 its last four bytes lie beyond the first KiB, at 0xFFFF0 beyond 1 MiB.
    Memory().vPut(0x3F0, Rsdp(RSDT_AT));
    Memory().vPut(0xFFFF0, Rsdp(RSDT_AT));
    Memory().vPut(RSDT_AT, Rsdt({}));
    EXPECT_EQ(dwProbe(), 0u);
    Memory().vPut(0xFFFE0, Rsdp(RSDT_AT));
    ASSERT_TRUE(dwProbe());
    EXPECT_EQ(m_pACPI->m_dwRSDPAddress, 0xFFFE0u);
}

TEST_F(AcpiProbe, FailedReadsFailTheProbe)
{
    vLay({FADT_AT});
    Memory().vPut(FADT_AT, Fadt(1, 116, 0x808));
    Memory().m_qwFailReadAt = 0xE0000;  // the BIOS area cannot be read: not found
    EXPECT_EQ(dwProbe(), 0u);
    Memory().m_qwFailReadAt = RSDT_AT;  // the RSDP is found, its RSDT cannot be read
    EXPECT_EQ(dwProbe(), 0u);
    EXPECT_EQ(m_pACPI->m_pTimer, nullptr);
    Memory().m_qwFailReadAt = FADT_AT;  // a table that cannot be read is passed over
    EXPECT_EQ(dwProbe(), 1u);
    EXPECT_EQ(m_pACPI->m_pTimer, nullptr);
    EXPECT_EQ(m_pACPI->m_Entries[0].eState, ACPIEntryState::Unreadable);
}

TEST_F(AcpiProbe, TheFADTGivesATimerOnItsPortRegisteredWithTheKit)
{
    vLay({0x7FFF0200, FADT_AT});
    Memory().vPut(0x7FFF0200, Table("APIC", 44, 1, 44));
    Memory().vPut(FADT_AT, Fadt(1, 116, 0x4008));
    ASSERT_TRUE(dwProbe());
    ASSERT_NE(m_pACPI->m_pTimer, nullptr);
    EXPECT_EQ(m_pACPI->m_pTimer->wPort(), 0x4008);
    EXPECT_EQ(m_pACPI->m_dwFADTAddress, FADT_AT);
    EXPECT_EQ(m_pACPI->m_nExamined, 2u);
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    EXPECT_EQ(pKit->m_pTimerList->Find([&](CTimer* p) { return p == m_pACPI->m_pTimer; }), m_pACPI->m_pTimer);
    CIOSpace* pSpace = pKit->FindIOSpace(0x4008, IOSPACE_PORT);
    ASSERT_NE(pSpace, nullptr);
    EXPECT_EQ(pSpace, m_pACPI->m_pTimer->m_pPort);
    EXPECT_EQ(pSpace->m_dwSize, 4u);
    // Every table is read whole after its header.
    EXPECT_EQ(nLargestReadAt(FADT_AT), 116u);
    EXPECT_EQ(nLargestReadAt(0x7FFF0200), 44u);
}

TEST_F(AcpiProbe, FADTRevisionAndLengthDecideTheTimer)
{
    struct Case {
        uint8_t bRevision;
        uint32_t dwLength;
        uint32_t dwPort;
        bool bTimer;
    };
    const Case cases[] = {
        {1, 116, 0x808, true},   {2, 129, 0x808, true},  {3, 244, 0x808, true},   {2, 304, 0x808, true},
        {3, 303, 0x808, true},   {3, 304, 0x808, false}, {4, 400, 0x808, false},  {6, 4096, 0x808, false},
        {1, 116, 0, false},      {1, 79, 0x808, false},  {1, 80, 0x808, true},    {1, 116, 0xFFFC, true},
        {1, 116, 0xFFFD, false}, {1, 116, 0x10808, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("revision " + std::to_string(c.bRevision) + " length " + std::to_string(c.dwLength) +
                     " port " + std::to_string(c.dwPort));
        Memory().vClear();
        vLay({FADT_AT});
        Memory().vPut(FADT_AT, Fadt(c.bRevision, c.dwLength, c.dwPort));
        ASSERT_TRUE(dwProbe());
        EXPECT_EQ(m_pACPI->m_pTimer != nullptr, c.bTimer);
        EXPECT_EQ(m_pACPI->m_dwFADTAddress, FADT_AT);
        EXPECT_EQ(m_pACPI->m_bFADTRevision, c.bRevision);
    }
}

TEST_F(AcpiProbe, OfTwentyEntriesOnlyTheFirstSeventeenAreExamined)
{
    std::vector<uint32_t> entries;
    for (uint32_t i = 0; i < 20; ++i) entries.push_back(0x7FFF1000 + 0x100 * i);
    for (uint32_t i = 0; i < 20; ++i) Memory().vPut(entries[i], Table("SSDT", 40, 1, 40));
    // The FADT as the 18th entry is never looked at.
    Memory().vPut(entries[17], Fadt(1, 116, 0x808));
    vLay(entries);
    ASSERT_TRUE(dwProbe());
    EXPECT_EQ(m_pACPI->m_nRSDTEntries, 20);
    EXPECT_EQ(m_pACPI->m_nExamined, 17u);
    EXPECT_EQ(m_pACPI->m_pTimer, nullptr);
    for (uint32_t i = 0; i < 20; ++i) EXPECT_EQ(nLargestReadAt(entries[i]), i < 17 ? 40u : 0u) << "entry " << i;
    // As the 17th it is.
    Memory().vPut(entries[16], Fadt(1, 116, 0x808));
    ASSERT_TRUE(dwProbe());
    EXPECT_NE(m_pACPI->m_pTimer, nullptr);
}

TEST_F(AcpiProbe, TheRSDTLengthIsBoundedBothWays)
{
    Memory().vPut(FADT_AT, Fadt(1, 116, 0x808));
    struct Case {
        uint32_t dwLength;
        int32_t nClaimed;
        uint32_t nExamined;
    };
    // Below a header the count is 0 or negative and nothing is looked at; a huge length
    // is cut to the 17 entries inside the bytes read.
    const Case cases[] = {{0, -9, 0}, {20, -4, 0}, {35, 0, 0}, {36, 0, 0}, {40, 1, 1}, {0xFFFFFFFF, 1073741814, 17}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dwLength);
        vLay({FADT_AT}, c.dwLength);
        Memory().m_Reads.clear();
        ASSERT_EQ(dwProbe(), 1u);
        EXPECT_EQ(m_pACPI->m_nRSDTEntries, c.nClaimed);
        EXPECT_EQ(m_pACPI->m_nExamined, c.nExamined);
        EXPECT_EQ(m_pACPI->m_pTimer != nullptr, c.nExamined > 0);
        EXPECT_EQ(nLargestReadAt(RSDT_AT), 104u);
    }
}

TEST_F(AcpiProbe, TablesOver4096BytesOrUnderAHeaderAreNotRead)
{
    const uint32_t dwHuge = 0x7FFF2000, dwExact = 0x7FFF4000, dwShort = 0x7FFF6000, dwHole = 0x90000000;
    Memory().vPut(dwHuge, Fadt(1, 4097, 0x808));
    Memory().vPut(dwExact, Table("SSDT", 4096, 1, 4096));
    Memory().vPut(dwShort, Fadt(1, 35, 0x808));
    vLay({dwHuge, dwExact, dwShort, dwHole});
    ASSERT_TRUE(dwProbe());
    EXPECT_EQ(nLargestReadAt(dwHuge), 36u);
    EXPECT_EQ(nLargestReadAt(dwExact), 4096u);
    EXPECT_EQ(nLargestReadAt(dwShort), 36u);
    EXPECT_EQ(nLargestReadAt(dwHole), 36u);  // all ones: length 0xFFFFFFFF
    EXPECT_EQ(m_pACPI->m_Entries[0].eState, ACPIEntryState::TooLong);
    EXPECT_EQ(m_pACPI->m_Entries[1].eState, ACPIEntryState::Read);
    EXPECT_EQ(m_pACPI->m_Entries[2].eState, ACPIEntryState::TooShort);
    EXPECT_EQ(m_pACPI->m_Entries[3].eState, ACPIEntryState::TooLong);
    EXPECT_EQ(m_pACPI->m_pTimer, nullptr);
}

TEST_F(AcpiProbe, OneTimerEvenWithTwoFADTs)
{
    const uint32_t dwSecond = 0x7FFF0400;
    Memory().vPut(FADT_AT, Fadt(3, 304, 0x808));  // gives no timer
    Memory().vPut(dwSecond, Fadt(1, 116, 0x1008));
    Memory().vPut(dwSecond + 0x200, Fadt(1, 116, 0x2008));
    vLay({FADT_AT, dwSecond, dwSecond + 0x200});
    ASSERT_TRUE(dwProbe());
    ASSERT_NE(m_pACPI->m_pTimer, nullptr);
    EXPECT_EQ(m_pACPI->m_pTimer->wPort(), 0x1008);
    EXPECT_EQ(m_pACPI->m_dwFADTAddress, dwSecond);
    EXPECT_EQ(ORVEXSDK::Instance()->m_pTimerList->m_nCount, 1u);
    EXPECT_EQ(ORVEXSDK::Instance()->FindIOSpace(0x2008, 0xFFFFFFFF), nullptr);
}

TEST_F(AcpiProbe, TheKitKeepsTheInterfaceOnlyWhenTheProbeSucceeds)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    EXPECT_EQ(app::CreateACPIInterface(pKit), 0u);
    EXPECT_EQ(pKit->m_pACPIInterface, nullptr);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_ACPI), nullptr);

    vLay({FADT_AT});
    Memory().vPut(FADT_AT, Fadt(1, 116, 0x808));
    EXPECT_EQ(app::CreateACPIInterface(pKit), 1u);
    ASSERT_NE(pKit->m_pACPIInterface, nullptr);
    EXPECT_EQ(pKit->FindInterface(INTERFACE_ACPI), pKit->m_pACPIInterface);
    EXPECT_NE(pKit->m_pACPIInterface->m_pTimer, nullptr);
    EXPECT_EQ(pKit->m_pACPIInterface->Init(), 1u);
}

TEST(AcpiSignatures, KnownSignaturesHaveNamesAndOEMTablesGoByPrefix)
{
    for (const char* psz : {"FACP", "APIC", "BOOT", "DBGP", "DSDT", "ECDT", "ETDT", "FACS", "PSDT", "SBST", "SLIT",
                            "SPCR", "SRAT", "SSDT", "SPMI", "XSDT", "OEMB", "OEM1"})
        EXPECT_NE(CACPIInterface::pszTableName(psz), nullptr) << psz;
    EXPECT_STREQ(CACPIInterface::pszTableName("FACP"), "Fixed ACPI Description Table");
    for (const char* psz : {"MCFG", "HPET", "OE M", "FAC", ""}) EXPECT_EQ(CACPIInterface::pszTableName(psz), nullptr) << psz;
}

}  // namespace
