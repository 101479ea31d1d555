// SPDX-License-Identifier: GPL-2.0-or-later
// The memory readers, each on a board of its family, with values worked out by hand from the
// registers the board sets.
#include <gtest/gtest.h>

#include "ChipsetTestKit.h"
#include "discovery/MemoryReaders.h"

namespace {

using chipsettest::CChipsetKit;
using chipsettest::json;
using chipsettest::PciEntry;

// Replaces the bytes of the board's memory region at strBase.
void vSetRegion(json& board, const std::string& strBase, const std::string& strHex)
{
    for (json& region : board["memory"])
        if (region["base"] == strBase) {
            region["hex"] = strHex;
            return;
        }
    ADD_FAILURE() << "the board has no memory region at " << strBase;
}

void vExpectTimings(const CMemoryInfo& info, float fCAS, int nRCD, int nRP, int nRAS, int nRC)
{
    EXPECT_EQ(info.m_fCAS, fCAS);
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_RCD], nRCD);
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_RP], nRP);
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_RAS], nRAS);
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_RC], nRC);
}

// P965: FSB select 0, DRAM select 2 in the clock configuration (MCHBAR + 0xC00).
TEST(ChipsetReaders, I965OnTheDemoBoard)
{
    CChipsetKit kit("demo");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "P965/G965");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szRevision, "C1");  // bit 3 of byte 0xE4 clear
    EXPECT_EQ(info.m_nMemoryType, 7);
    EXPECT_FLOAT_EQ(info.m_fRatio, 1.25f);
    EXPECT_STREQ(info.m_szRatio, "4:5");
    EXPECT_FLOAT_EQ(info.m_fNominal, 533.34f);
    EXPECT_EQ(info.m_nChannels, 2);
    // CAS: (0x00040000 >> 17 & 7) + 3; RCD: 0x00050000 >> 16; RP: 0xA000 >> 13; RAS: 0x7800 >> 11.
    vExpectTimings(info, 5.0f, 5, 5, 15, -1);
    EXPECT_NEAR(pChipset->GetMemoryClock(266.67f, -1.0f), 333.34f, 0.01f);
    EXPECT_EQ(info.m_fMemoryClock, -1.0f);  // no CPU interface: no bus clock
}

TEST(ChipsetReaders, I965EnablesTheWindowOnlyWhileReading)
{
    CChipsetKit kit("demo", [](json& board) {
        PciEntry(board, "00:00.0")["regs"]["0x48.l"] = "0xfed14000";
        PciEntry(board, "00:00.0")["regs"]["0xe4.b"] = "0x08";
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szRevision, "C2");
    EXPECT_STREQ(pChipset->m_pMemoryInfo->m_szRatio, "4:5");
    EXPECT_EQ(pChipset->m_pMemoryInfo->m_fCAS, 5.0f);
    EXPECT_EQ(kit.dwConfig(0, 0, 0, 0x48), 0xFED14000u);
}

TEST(ChipsetReaders, RefreshReadsTheControllerAgain)
{
    CChipsetKit kit("demo");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    // FSB select 2, DRAM select 3: 1:2 at a nominal 400.
    ASSERT_TRUE(kit.Kit().m_pDriver->bWritePhysicalMemoryDword(0xFED14C00, 0x00000032));
    pChipset->Refresh();
    EXPECT_STREQ(pChipset->m_pMemoryInfo->m_szRatio, "1:2");
    EXPECT_FLOAT_EQ(pChipset->m_pMemoryInfo->m_fRatio, 2.0f);
    EXPECT_FLOAT_EQ(pChipset->m_pMemoryInfo->m_fNominal, 400.0f);
    EXPECT_EQ(pChipset->m_pMemoryInfo->m_fCAS, 5.0f);
    // FSB select 3 sets nothing: the ratio of the earlier read must not linger.
    ASSERT_TRUE(kit.Kit().m_pDriver->bWritePhysicalMemoryDword(0xFED14C00, 0x00000023));
    pChipset->Refresh();
    EXPECT_EQ(pChipset->m_pMemoryInfo->m_fRatio, -1.0f);
    EXPECT_EQ(pChipset->m_pMemoryInfo->m_szRatio[0], '\0');
    EXPECT_EQ(pChipset->GetMemoryClock(266.67f, -1.0f), -1.0f);
}

// i865PE: word 0xC6 = 0x0001 (FSB select 1, DRAM select 0); device 6 DRT 0x105, DRC 0x20200001.
TEST(ChipsetReaders, I865ThroughDevice6)
{
    CChipsetKit kit("i865pe-ich5");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_EQ(pChipset->m_pNorthBridge->m_nFSBSelect, 1);
    EXPECT_EQ(info.m_nMemoryType, 6);
    EXPECT_STREQ(info.m_szRatio, "1:1");
    EXPECT_FLOAT_EQ(info.m_fNominal, 200.0f);
    vExpectTimings(info, 2.5f, 3, 3, 8, -1);
    EXPECT_EQ(info.m_nChannels, 2);
    EXPECT_STREQ(info.m_szECC, "No-ECC");
    EXPECT_EQ(info.m_bECCEnabled, 0);
}

TEST(ChipsetReaders, I865RatiosAndECC)
{
    CChipsetKit kit("i865pe-ich5", [](json& board) {
        PciEntry(board, "00:00.0")["regs"]["0xc6.w"] = "0x0400";  // FSB select 0, DRAM select 1
        // DRT: CAS 3 (2), RCD 2 (2), RP 4 (0), RAS 5 (5); DRC: ECC, single channel.
        vSetRegion(board, "0xfecf0060", "c8 02 00 00 00 00 00 00 01 00 04 20 00 00 00 00");
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_STREQ(info.m_szRatio, "3:4");
    EXPECT_FLOAT_EQ(info.m_fRatio, 1.3333334f);
    EXPECT_FLOAT_EQ(info.m_fNominal, 133.34f);
    vExpectTimings(info, 3.0f, 2, 4, 5, -1);
    EXPECT_STREQ(info.m_szECC, "ECC");
    EXPECT_EQ(info.m_bECCEnabled, 1);
    EXPECT_EQ(info.m_nChannels, 1);
}

// i975X: timing 0x58780033 on both channels, clock configuration 0x40 (FSB 0, DRAM 4).
TEST(ChipsetReaders, I975XDualChannel)
{
    CChipsetKit kit("i975x-ich7");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "i975X");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szRevision, "C0");
    EXPECT_EQ(info.m_nMemoryType, 7);
    EXPECT_STREQ(info.m_szRatio, "2:3");
    EXPECT_FLOAT_EQ(info.m_fRatio, 1.5f);
    vExpectTimings(info, 5.0f, 5, 5, 15, 22);
    EXPECT_EQ(info.m_nChannels, 2);
    EXPECT_NEAR(pChipset->GetMemoryClock(266.67f, -1.0f), 400.0f, 0.01f);
}

TEST(ChipsetReaders, I945MobileNamesRowsAndWindow)
{
    CChipsetKit kit("i975x-ich7", [](json& board) {
        json& host = PciEntry(board, "00:00.0");
        host["id"] = "8086:27a0";
        host["regs"]["0x44.l"] = "0xfed14000";  // window off
        host["regs"]["0xe4.l"] = "0x30000000";  // bits 28-30: 3
        // Channel A only; its row cycle field is 0 (precharge + active instead).
        vSetRegion(board, "0xfed14108", "11 00 00 00 00 00 00 00 00 00 00 00 33 00 78 00");
        vSetRegion(board, "0xfed14188", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
        vSetRegion(board, "0xfed14c00", "33 00 00 00");  // FSB 3, DRAM 3: a mobile-only row
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "i945PM");
    EXPECT_STREQ(info.m_szRatio, "5:8");
    EXPECT_FLOAT_EQ(info.m_fRatio, 1.6f);
    EXPECT_EQ(info.m_nChannels, 1);
    vExpectTimings(info, 5.0f, 5, 5, 15, 20);
    EXPECT_EQ(kit.dwConfig(0, 0, 0, 0x44), 0xFED14000u);  // switched off again
}

TEST(ChipsetReaders, I945DesktopSteppingAndRows)
{
    CChipsetKit kit("i975x-ich7", [](json& board) {
        PciEntry(board, "00:00.0")["id"] = "8086:2770";
        PciEntry(board, "00:00.0")["rev"] = "0x81";
        vSetRegion(board, "0xfed14c00", "01 00 00 00");  // FSB 1, DRAM 0
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "i945P");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szRevision, "A1");
    EXPECT_STREQ(pChipset->m_pMemoryInfo->m_szRatio, "4:5");

    // The same select on the mobile bridge has no ratio.
    CChipsetKit mobile("i975x-ich7", [](json& board) {
        PciEntry(board, "00:00.0")["id"] = "8086:27a0";
        vSetRegion(board, "0xfed14c00", "01 00 00 00");
    });
    CChipsetInterface* pMobile = mobile.pProbe();
    ASSERT_NE(pMobile, nullptr);
    EXPECT_EQ(pMobile->m_pMemoryInfo->m_fRatio, -1.0f);
    EXPECT_STREQ(pMobile->m_pNorthBridge->m_szModel, "i945PM/GM/GT/i940GML");  // bits 28-30 are 0
}

// nForce 680i: 0:0.2 0x74 = 0x32 (a 2, b 3); timings in 0:1.0 and 0:1.1. Its host bridge
// announces class 0x05 0x00, yet it is the main north bridge.
TEST(ChipsetReaders, NForce680iAndTheBridgeOfAnotherClass)
{
    CChipsetKit kit("nforce680i");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    ASSERT_NE(pChipset->m_pNorthBridge, nullptr);
    EXPECT_EQ(pChipset->m_pNorthBridges->m_nCount, 1u);
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "nForce 680i SLI SPP");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szRevision, "A2");
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_EQ(info.m_nMemoryType, 7);
    EXPECT_FLOAT_EQ(info.m_fNominal, 400.0f);
    EXPECT_STREQ(info.m_szRatio, "2:3");
    EXPECT_FLOAT_EQ(info.m_fRatio, 1.5f);
    vExpectTimings(info, 5.0f, 5, 5, 18, 24);
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_COMMAND_RATE], 2);
    EXPECT_EQ(info.m_nChannels, 2);
}

TEST(ChipsetReaders, NForceDividers)
{
    struct Case {
        const char* pszRegister;
        const char* pszValue;
        const char* pszRatio;
        float fRatio;
    };
    const Case cases[] = {
        {"0x60.l", "0x00400010", "1:1", 1.0f},  // synchronous
        {"0x4c.l", "0x4000a510", "2:6", 3.0f},  // b doubled
        {"0x4c.l", "0x8000a510", "2:12", 6.0f},  // b times 4
        {"0x74.l", "0x00000000", "1:1", 1.0f},  // 0 stands for 16 on both sides
        {"0x74.l", "0x00000004", "4:16", 4.0f},
    };
    for (const Case& c : cases) {
        CChipsetKit kit("nforce680i",
                        [&](json& board) { PciEntry(board, "00:00.2")["regs"][c.pszRegister] = c.pszValue; });
        CChipsetInterface* pChipset = kit.pProbe();
        ASSERT_NE(pChipset, nullptr);
        EXPECT_STREQ(pChipset->m_pMemoryInfo->m_szRatio, c.pszRatio) << c.pszRegister << " " << c.pszValue;
        EXPECT_FLOAT_EQ(pChipset->m_pMemoryInfo->m_fRatio, c.fRatio) << c.pszRegister << " " << c.pszValue;
    }
}

TEST(ChipsetReaders, NForce4IntelEdition)
{
    CChipsetKit kit("nforce680i", [](json& board) {
        PciEntry(board, "00:00.0")["id"] = "10de:0071";
        PciEntry(board, "00:01.0")["regs"]["0x8c.l"] = "0x0512001a";
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "nForce4 SLI Intel Edition");
    EXPECT_FLOAT_EQ(info.m_fNominal, 333.34f);
    EXPECT_EQ(info.m_nChannels, 1);  // from 0:1.1 0x80
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_RC], 26);  // bits 0-5 of 0:1.0 0x8C
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_RAS], 18);
}

TEST(ChipsetReaders, I5000FullyBufferedMemory)
{
    CChipsetKit kit("i5000x-esb2");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "5000X");
    EXPECT_EQ(pChipset->m_pMemoryInfo->m_nMemoryType, 8);
    EXPECT_STREQ(pChipset->m_pMemoryInfo->m_szECC, "ECC");
    EXPECT_GT(pChipset->m_pNorthBridges->m_nCount, 1u);  // the MCH's other host bridge functions
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szVendor, "Intel");
}

// Without a processor 0 the K8 DRAM controller is not read at all.
TEST(ChipsetReaders, K8StopsWithoutAProcessor)
{
    CChipsetKit kit("k8-mcp55");
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    ASSERT_EQ(kit.Kit().m_pCPUInterface, nullptr);
    chipset::K8Processor processor;
    EXPECT_FALSE(chipset::bFindK8Processor(processor));
    CNorthBridge* pDram = kit.pNorthBridge(0, 0x18, 2);
    ASSERT_NE(pDram, nullptr);
    EXPECT_STREQ(pDram->m_szModel, "K8 Bridge");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "MCP55");  // 0:0.0, a memory controller by class
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;
    EXPECT_EQ(info.m_nMemoryType, -1);
    EXPECT_EQ(info.m_nDivider, -1);
    EXPECT_EQ(info.m_fCAS, -1.0f);
    EXPECT_EQ(info.m_fMemoryClock, -1.0f);
}

// Revision F: 0x88 = 0x000BC224, 0x90 bit 11, 0x94 = 0x0F48000B (code 11: factor 0.5).
TEST(ChipsetReaders, K8RevisionFWithAProcessor)
{
    CChipsetKit kit("k8-mcp55");
    ASSERT_NE(kit.pProbe(), nullptr);
    CNorthBridge* pDram = kit.pNorthBridge(0, 0x18, 2);
    ASSERT_NE(pDram, nullptr);
    struct Case {
        float fMultiplier;
        int nDivider;
        float fClock;
        const char* pszRatio;
    };
    const Case cases[] = {{10.0f, 5, 400.0f, "CPU/5"}, {9.0f, 5, 360.0f, "CPU/5"}, {13.0f, 7, 371.43f, "CPU/7"},
                          {6.0f, 5, 240.0f, "CPU/5"}};
    for (const Case& c : cases) {
        CMemoryInfo info;
        chipset::K8Processor processor;
        processor.fMultiplier = c.fMultiplier;
        processor.nModel = 0x4B;
        processor.fBusClock = 200.0f;
        chipset::vReadK8RevFMemory(*pDram, info, processor);
        EXPECT_EQ(info.m_nDivider, c.nDivider) << c.fMultiplier;
        EXPECT_STREQ(info.m_szRatio, c.pszRatio);
        EXPECT_NEAR(info.m_fMemoryClock, c.fClock, 0.01f);
        EXPECT_NEAR(info.GetMemoryClock(200.0f, c.fMultiplier), c.fClock, 0.01f);
        EXPECT_EQ(info.m_nMemoryType, 7);
        EXPECT_FLOAT_EQ(info.m_fNominal, 400.0f);
        vExpectTimings(info, 5.0f, 5, 5, 15, 22);
        EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_COMMAND_RATE], 1);
        EXPECT_EQ(info.m_nChannels, 2);
    }
    CMemoryInfo info;
    chipset::K8Processor unknown;  // multiplier not known: no divider, the rest is read
    chipset::vReadK8RevFMemory(*pDram, info, unknown);
    EXPECT_EQ(info.m_nDivider, -1);
    EXPECT_EQ(info.m_szRatio[0], '\0');
    EXPECT_EQ(info.m_fCAS, 5.0f);
}

// The other memory clock codes, where the 0.81 added before truncating decides.
TEST(ChipsetReaders, K8RevisionFRoundsTheDividerUp)
{
    struct Case {
        const char* pszConfigHigh;
        float fMultiplier;
        int nDivider;
    };
    const Case cases[] = {
        {"0x0f480009", 11.0f, 9},   // 8.25 + 0.81
        {"0x0f48000a", 12.0f, 8},   // 7.2 + 0.81
        {"0x0f480008", 11.0f, 11},  // 11 + 0.81
        {"0x0f500008", 9.0f, 9},    // bit 20: 2T
    };
    for (const Case& c : cases) {
        CChipsetKit kit("k8-mcp55", [&](json& board) { PciEntry(board, "00:18.2")["regs"]["0x94.l"] = c.pszConfigHigh; });
        ASSERT_NE(kit.pProbe(), nullptr);
        CNorthBridge* pDram = kit.pNorthBridge(0, 0x18, 2);
        ASSERT_NE(pDram, nullptr);
        chipset::K8Processor processor;
        processor.fMultiplier = c.fMultiplier;
        processor.nModel = 0x4B;
        processor.fBusClock = 200.0f;
        CMemoryInfo info;
        chipset::vReadK8RevFMemory(*pDram, info, processor);
        EXPECT_EQ(info.m_nDivider, c.nDivider) << c.pszConfigHigh;
        EXPECT_NEAR(info.m_fMemoryClock, 200.0f * c.fMultiplier / float(c.nDivider), 0.01f) << c.pszConfigHigh;
        EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_COMMAND_RATE], c.pszConfigHigh[4] == '5' ? 2 : 1) << c.pszConfigHigh;
    }
}

// Older K8: 0x88 = 0x03703045, 0x90 = 0x10030000, 0x94 = 0x80200000 (code 2: factor 3/2).
TEST(ChipsetReaders, K8OlderRevisions)
{
    CChipsetKit kit("k8-mcp55", [](json& board) {
        json& regs = PciEntry(board, "00:18.2")["regs"];
        regs["0x88.l"] = "0x03703045";
        regs["0x90.l"] = "0x10030000";
        regs["0x94.l"] = "0x80200000";
    });
    ASSERT_NE(kit.pProbe(), nullptr);
    CNorthBridge* pDram = kit.pNorthBridge(0, 0x18, 2);
    ASSERT_NE(pDram, nullptr);
    chipset::K8Processor processor;
    processor.fMultiplier = 11.0f;
    processor.nModel = 0x2F;
    processor.nRevision = 5;
    processor.fBusClock = 200.0f;
    CMemoryInfo info;
    chipset::vReadK8OldMemory(*pDram, info, processor);
    EXPECT_EQ(info.m_nMemoryType, 6);
    EXPECT_FLOAT_EQ(info.m_fNominal, 200.0f);
    vExpectTimings(info, 2.5f, 3, 3, 7, 11);
    EXPECT_EQ(info.m_nTiming[MEMORY_TIMING_COMMAND_RATE], 2);
    EXPECT_EQ(info.m_nChannels, 2);
    EXPECT_STREQ(info.m_szECC, "ECC");
    EXPECT_EQ(info.m_bECCEnabled, 1);
    // truncate(11 x 1.5 + 0.81) = 17, odd, raised to 18 on revision 5 with bit 31 set.
    EXPECT_EQ(info.m_nDivider, 18);
    EXPECT_STREQ(info.m_szRatio, "CPU/18");
    EXPECT_NEAR(info.m_fMemoryClock, 200.0f * 11.0f / 18.0f, 0.01f);

    processor.nRevision = 2;
    CMemoryInfo older;
    chipset::vReadK8OldMemory(*pDram, older, processor);
    EXPECT_EQ(older.m_nDivider, 17);
    EXPECT_EQ(older.m_nTiming[MEMORY_TIMING_COMMAND_RATE], -1);
}

TEST(ChipsetReaders, K8OlderReaderSkipsAnEmptyTimingRegister)
{
    CChipsetKit kit("k8-mcp55", [](json& board) { PciEntry(board, "00:18.2")["regs"]["0x88.l"] = "0x00000000"; });
    ASSERT_NE(kit.pProbe(), nullptr);
    CNorthBridge* pDram = kit.pNorthBridge(0, 0x18, 2);
    ASSERT_NE(pDram, nullptr);
    chipset::K8Processor processor;
    processor.fMultiplier = 11.0f;
    processor.fBusClock = 200.0f;
    CMemoryInfo info;
    chipset::vReadK8OldMemory(*pDram, info, processor);
    EXPECT_EQ(info.m_nMemoryType, -1);
    EXPECT_EQ(info.m_nDivider, -1);
}

}  // namespace
