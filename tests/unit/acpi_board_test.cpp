// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated board's ACPI tables: laid out as the published layouts say (checked here
// byte by byte, not through the probe), found by the probe, and broken on request.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

#include "KitFixture.h"
#include "app/InterfaceCreation.h"
#include "kit/ACPIInterface.h"
#include "kit/ACPITimer.h"
#include "sim/SimBoard.h"

namespace {

uint32_t dwAt(const std::vector<uint8_t>& t, size_t n)
{
    return uint32_t(t[n]) | uint32_t(t[n + 1]) << 8 | uint32_t(t[n + 2]) << 16 | uint32_t(t[n + 3]) << 24;
}

uint64_t qwAt(const std::vector<uint8_t>& t, size_t n) { return dwAt(t, n) | uint64_t(dwAt(t, n + 4)) << 32; }

uint8_t bSum(const std::vector<uint8_t>& t, size_t nCount)
{
    uint8_t b = 0;
    for (size_t i = 0; i < nCount && i < t.size(); ++i) b = uint8_t(b + t[i]);
    return b;
}

std::vector<uint8_t> Read(CSimKit& kit, uint64_t qwAddress, uint32_t nCount)
{
    std::vector<uint8_t> bytes(nCount, 0);
    EXPECT_TRUE(kit.Driver().bReadPhysicalMemory(uint32_t(qwAddress), nCount, bytes.data()));
    return bytes;
}

// A whole table: its header's length, then that many bytes.
std::vector<uint8_t> ReadTable(CSimKit& kit, uint64_t qwAddress)
{
    const uint32_t dwLength = dwAt(Read(kit, qwAddress, 36), 4);
    EXPECT_GE(dwLength, 36u);
    EXPECT_LE(dwLength, 4096u);
    return Read(kit, qwAddress, std::min<uint32_t>(std::max<uint32_t>(dwLength, 36), 4096));
}

std::string strSignature(const std::vector<uint8_t>& t) { return std::string(t.begin(), t.begin() + 4); }

// A board file in a temporary directory, removed with the object.
class CBoardFile {
public:
    explicit CBoardFile(const std::string& strAcpi, const std::string& strPMTimer = R"("pm_timer": {"port": "0x808"},)")
    {
        char szDir[] = "/tmp/pendulon-acpi-XXXXXX";
        m_strDir = mkdtemp(szDir) ? szDir : "/tmp";
        m_strPath = m_strDir + "/board.json";
        std::ofstream file(m_strPath);
        file << R"({"name": "acpi-test", "clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 2},
                    "memory": [{"base": "0x0", "size": "0xa0000"}, {"base": "0xe0000", "size": "0x20000"}],)"
             << strPMTimer << R"("acpi": )" << strAcpi << "}";
    }
    ~CBoardFile()
    {
        std::remove(m_strPath.c_str());
        rmdir(m_strDir.c_str());
    }
    const std::string& strPath() const { return m_strPath; }

private:
    std::string m_strDir, m_strPath;
};

std::string strLoadError(const std::string& strAcpi)
{
    CBoardFile file(strAcpi);
    std::string strError;
    auto pBoard = sim::CSimBoard::Load(file.strPath(), strError);
    EXPECT_EQ(pBoard, nullptr);
    return strError;
}

TEST(AcpiBoard, DemoTablesFollowThePublishedLayoutsWithGoodChecksums)
{
    CSimKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    const std::vector<uint8_t> rsdp = Read(kit, 0xF6A40, 36);
    ASSERT_EQ(std::string(rsdp.begin(), rsdp.begin() + 8), "RSD PTR ");
    EXPECT_EQ(bSum(rsdp, 20), 0);
    EXPECT_EQ(bSum(rsdp, 36), 0);
    EXPECT_EQ(rsdp[15], 2);
    EXPECT_EQ(dwAt(rsdp, 20), 36u);
    EXPECT_EQ(std::string(rsdp.begin() + 9, rsdp.begin() + 15), "ASUS  ");

    const std::vector<uint8_t> rsdt = ReadTable(kit, dwAt(rsdp, 16));
    const std::vector<uint8_t> xsdt = ReadTable(kit, qwAt(rsdp, 24));
    ASSERT_EQ(strSignature(rsdt), "RSDT");
    ASSERT_EQ(strSignature(xsdt), "XSDT");
    EXPECT_EQ(bSum(rsdt, rsdt.size()), 0);
    EXPECT_EQ(bSum(xsdt, xsdt.size()), 0);
    EXPECT_EQ(std::string(rsdt.begin() + 16, rsdt.begin() + 24), "P5B-DLX ");
    const size_t nEntries = (rsdt.size() - 36) / 4;
    ASSERT_EQ((xsdt.size() - 36) / 8, nEntries);
    std::map<std::string, std::vector<uint8_t>> tables;
    for (size_t i = 0; i < nEntries; ++i) {
        EXPECT_EQ(qwAt(xsdt, 36 + 8 * i), dwAt(rsdt, 36 + 4 * i));
        std::vector<uint8_t> table = ReadTable(kit, dwAt(rsdt, 36 + 4 * i));
        EXPECT_EQ(bSum(table, table.size()), 0) << strSignature(table);
        tables[strSignature(table)] = table;
    }
    ASSERT_EQ(tables.size(), 3u);

    const std::vector<uint8_t>& fadt = tables["FACP"];
    ASSERT_EQ(fadt.size(), 244u);  // revision 3, the ACPI 2.0 layout
    EXPECT_EQ(fadt[8], 3);
    EXPECT_EQ(dwAt(fadt, 76), kit.Board().wPMTimerPort());
    EXPECT_EQ(fadt[91], 4);                           // PM_TMR_LEN
    EXPECT_EQ(fadt[208], 1);                          // X_PM_TMR_BLK: system I/O,
    EXPECT_EQ(fadt[209], 32);                         // 32 bits wide,
    EXPECT_EQ(qwAt(fadt, 212), 0x808u);               // at the timer port
    EXPECT_EQ(qwAt(fadt, 140), dwAt(fadt, 40));       // X_DSDT = DSDT
    const std::vector<uint8_t> facs = Read(kit, dwAt(fadt, 36), 64);
    EXPECT_EQ(strSignature(facs), "FACS");
    EXPECT_EQ(dwAt(fadt, 36) % 64, 0u);
    const std::vector<uint8_t> dsdt = ReadTable(kit, dwAt(fadt, 40));
    EXPECT_EQ(strSignature(dsdt), "DSDT");
    EXPECT_EQ(bSum(dsdt, dsdt.size()), 0);

    const std::vector<uint8_t>& madt = tables["APIC"];
    EXPECT_EQ(dwAt(madt, 36), 0xFEE00000u);
    // Two processors (type 0, length 8) with APIC ids 0 and 1, then the I/O APIC.
    EXPECT_EQ(madt[44], 0);
    EXPECT_EQ(madt[45], 8);
    EXPECT_EQ(madt[47], 0);
    EXPECT_EQ(madt[52], 0);
    EXPECT_EQ(madt[55], 1);
    EXPECT_EQ(madt[60], 1);
    EXPECT_EQ(dwAt(madt, 64), 0xFEC00000u);

    const std::vector<uint8_t>& mcfg = tables["MCFG"];
    EXPECT_EQ(qwAt(mcfg, 44), kit.Board().qwEnhancedConfigBase());
    EXPECT_EQ(mcfg[55], 63);  // 64 buses
}

TEST(AcpiBoard, TheProbeFindsTheDemoTimerAndItRunsAtThePMTimerRate)
{
    CSimKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ASSERT_EQ(app::CreateACPIInterface(pKit), 1u);
    CACPIInterface* pACPI = pKit->m_pACPIInterface;
    ASSERT_NE(pACPI, nullptr);
    EXPECT_EQ(pACPI->m_dwRSDPAddress, 0xF6A40u);
    EXPECT_EQ(pACPI->bRSDPRevision(), 2);
    char szOEM[7];
    pACPI->vRSDPOEMID(szOEM);
    EXPECT_STREQ(szOEM, "ASUS  ");
    EXPECT_EQ(pACPI->m_nExamined, 3u);
    ASSERT_NE(pACPI->m_pTimer, nullptr);
    EXPECT_EQ(pACPI->m_pTimer->wPort(), kit.Board().wPMTimerPort());
    ASSERT_EQ(pACPI->m_pTimer->Calibrate(nullptr), 1);
    EXPECT_NEAR(pACPI->m_pTimer->m_dFrequency, 3579545.0, 3579545.0 * 0.005);
    for (int i = 0; i < 20; ++i) {
        const double d = pACPI->m_pTimer->Read();
        EXPECT_GE(d, 0.0);
        EXPECT_LE(d, 16777215.0);
    }
}

TEST(AcpiBoard, TheDamagedBoardIsWalkedWithoutFault)
{
    CSimKit kit("damaged-tables");
    ASSERT_TRUE(kit.bReady());
    // The broken copy lies 16 bytes below the good one.
    const std::vector<uint8_t> bad = Read(kit, 0xF6F00, 20);
    EXPECT_EQ(std::string(bad.begin(), bad.begin() + 8), "RSD PTR ");
    EXPECT_NE(bSum(bad, 20), 0);

    kit.Board().Log().vClear();
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ASSERT_EQ(app::CreateACPIInterface(pKit), 1u);
    CACPIInterface* pACPI = pKit->m_pACPIInterface;
    ASSERT_NE(pACPI, nullptr);
    EXPECT_EQ(pACPI->m_dwRSDPAddress, 0xF6F10u);
    EXPECT_EQ(pACPI->m_dwRSDTLength, 0xFFFFFFF0u);
    EXPECT_EQ(pACPI->m_nExamined, 17u);
    // The FADT of revision 3 and length 304 gives no timer, though it names a port.
    EXPECT_EQ(pACPI->m_pTimer, nullptr);
    EXPECT_EQ(pACPI->m_bFADTRevision, 3);
    EXPECT_EQ(pACPI->m_dwFADTLength, 304u);
    EXPECT_EQ(pACPI->m_dwPMTimerBlock, 0x408u);
    EXPECT_EQ(pKit->m_pTimerList->m_nCount, 0u);

    bool bSawUnmapped = false, bSawHuge = false;
    for (uint32_t i = 0; i < pACPI->m_nExamined; ++i) {
        const ACPIEntryInfo& e = pACPI->m_Entries[i];
        if (e.dwAddress == 0xDEAD0000) bSawUnmapped = e.eState == ACPIEntryState::TooLong;
        if (std::string(e.szSignature) == "SSDT") bSawHuge = e.eState == ACPIEntryState::TooLong && e.dwLength == 0x10000;
    }
    EXPECT_TRUE(bSawUnmapped);
    EXPECT_TRUE(bSawHuge);
    // Beyond the two search areas no read was longer than a table may be.
    for (const sim::AccessRecord& r : kit.Board().Log().Records()) {
        if (r.eKind != sim::AccessKind::MemoryRead || r.qwAddress == 0 || r.qwAddress == 0xE0000) continue;
        EXPECT_LE(r.nWidth, 4096u) << std::hex << r.qwAddress;
    }
}

TEST(AcpiBoard, EachDamageShowsInTheProbe)
{
    struct Case {
        const char* pszAcpi;
        uint32_t dwProbe;
        uint32_t nExamined;
        bool bTimer;
    };
    const Case cases[] = {
        {R"({})", 1, 2, true},  // FADT and MADT; no MCFG without an enhanced window
        {R"({"rsdp": "0x200", "tables": "0x10000"})", 1, 2, true},
        {R"({"damage": ["rsdp_bad_checksum"]})", 0, 0, false},
        {R"({"damage": ["rsdt_length_short"]})", 1, 0, false},
        {R"({"damage": ["rsdt_20_entries"]})", 1, 17, false},
        {R"({"damage": ["table_length_short", "rsdt_entry_unmapped"]})", 1, 4, true},
        {R"({"fadt_revision": 5, "fadt_length": 304})", 1, 2, false},
        {R"({"fadt_revision": 2, "fadt_length": 304})", 1, 2, true},
        {R"({"revision": 2})", 1, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszAcpi);
        CBoardFile file(c.pszAcpi);
        CSimKit kit(file.strPath());
        ASSERT_TRUE(kit.bReady());
        ORVEXSDK* pKit = ORVEXSDK::Instance();
        EXPECT_EQ(app::CreateACPIInterface(pKit), c.dwProbe);
        if (!c.dwProbe) continue;
        ASSERT_NE(pKit->m_pACPIInterface, nullptr);
        EXPECT_EQ(pKit->m_pACPIInterface->m_nExamined, c.nExamined);
        EXPECT_EQ(pKit->m_pACPIInterface->m_pTimer != nullptr, c.bTimer);
    }
}

TEST(AcpiBoard, WithoutAPMTimerTheFADTNamesNone)
{
    CBoardFile file(R"({})", "");
    CSimKit kit(file.strPath());
    ASSERT_TRUE(kit.bReady());
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    ASSERT_EQ(app::CreateACPIInterface(pKit), 1u);
    EXPECT_EQ(pKit->m_pACPIInterface->m_dwPMTimerBlock, 0u);
    EXPECT_EQ(pKit->m_pACPIInterface->m_pTimer, nullptr);
}

TEST(AcpiBoard, ABadSectionIsRefusedWithTheFieldNamed)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({"oem": "X"})", "acpi"},
        {R"({"damage": ["rsdt_melted"]})", "acpi.damage[0]"},
        {R"({"rsdp": "0xf6a48"})", "acpi.rsdp"},
        {R"({"tables": "0x9fff0"})", "acpi.tables"},  // runs across the end of the low memory region
        {R"({"revision": 1})", "acpi.revision"},
        {R"({"fadt_revision": 7})", "acpi.fadt_revision"},
        {R"({"oem_id": "TOOLONG"})", "acpi.oem_id"},
        {R"({"rsdp": "0x0", "damage": ["rsdp_bad_checksum_first"]})", "acpi.damage"},
        {R"("yes")", "acpi"},
    };
    for (const auto& [pszAcpi, pszField] : cases) {
        const std::string strError = strLoadError(pszAcpi);
        EXPECT_NE(strError.find(std::string(pszField) + ":"), std::string::npos) << pszAcpi << " → " << strError;
    }
}

}  // namespace
