// SPDX-License-Identifier: GPL-2.0-or-later
// The CPU interface on simulated boards: the processors it finds, how it groups them, what
// it reads from each and the clocks it measures.
#include <gtest/gtest.h>

#include "CPUTestBoard.h"
#include "app/KitBuilder.h"
#include "cpu/CPUInfos.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/MemoryInfo.h"
#include "discovery/MemoryReaders.h"
#include "kit/IOSpace.h"
#include "kit/Timer.h"
#include "sim/BoardClock.h"
#include "sim/BoardProcessors.h"

using namespace cputest;

// The demo's Core 2 Duo E6600 at 266.666 MHz x 9; then a new bus clock, as a clock generator
// would set it, shows at the next measurement.
TEST(CPUInterface, DemoMeasuresBusAndCoreClocks)
{
    CCPUKit kit(BoardFile("demo"));
    ASSERT_TRUE(kit.bReady());
    CCPUInterface* pCPU = kit.pBuild();
    ASSERT_NE(pCPU, nullptr);
    EXPECT_EQ(pCPU->m_nPackages, 1u);
    CProcessor* pProcessor = pCPU->GetProcessor(0);
    ASSERT_NE(pProcessor, nullptr);
    ASSERT_EQ(pProcessor->m_pCoreList->m_nCount, 2u);
    vExpectNear(pCPU->m_fBusClock, 266.666);
    for (uint32_t nCore = 0; nCore < 2; ++nCore) {
        EXPECT_EQ(pProcessor->GetCoreMultiplier(nCore), 9.0f);
        vExpectNear(pProcessor->GetCoreClock(nCore), 2400.0);
    }
    EXPECT_EQ(pProcessor->GetCoreClock(2), -1.0f);
    // Per-core L1 caches are listed once for each core, the shared L2 once.
    EXPECT_EQ(pProcessor->m_pCacheList->m_nCount, 5u);

    auto* pProcessors = dynamic_cast<sim::CBoardProcessors*>(&kit.Board().Processors());
    auto* pClock = dynamic_cast<sim::CBoardClock*>(&kit.Board().Clock());
    ASSERT_TRUE(pProcessors && pClock);
    {
        std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
        pProcessors->vSetClockLocked(200000000, 9, 1, pClock->qwNow());
    }
    pCPU->UpdateClocks();
    vExpectNear(pCPU->m_fBusClock, 200.0);
    vExpectNear(pProcessor->GetCoreClock(1), 1800.0);
}

// APIC ids 0, 1, 4, 5 with two per package: each processor is read while pinned to it, the
// saved affinity goes back, and measuring leaves it with the last core's first thread.
TEST(CPUInterface, PinsEachProcessorAndGroupsByAPICID)
{
    json board = SmallBoard("NexGenDriven", 4, 2);
    board["cpus"]["per_cpu"] = json::array({{{"apic_id", 0}}, {{"apic_id", 1}}, {{"apic_id", 4}}, {{"apic_id", 5}}});
    CCPUKit kit(board);
    ASSERT_TRUE(kit.bReady());
    CRecordingProcessors recorder;
    const std::vector<unsigned> before = platform::Processors().GetThreadAffinity();
    CCPUInterface* pCPU = kit.pBuild();
    ASSERT_NE(pCPU, nullptr);
    const uint32_t anAPIC[] = {0, 1, 4, 5};
    for (unsigned i = 0; i < 4; ++i) {
        const CCPUThread& t = *pThreadAt(*pCPU, i);
        EXPECT_EQ(t.m_nAPICID, anAPIC[i]);
        EXPECT_EQ(std::vector<uint32_t>({t.m_nPackageID, t.m_nCoreID, t.m_nSMTID}),
                  std::vector<uint32_t>({anAPIC[i] >> 1, 0, i & 1}));
    }
    EXPECT_EQ(pCPU->m_nPackages, 2u);
    CProcessor* pSecond = pCPU->GetProcessorByPackage(2);
    ASSERT_TRUE(pSecond && pSecond == pCPU->GetProcessor(1));
    EXPECT_EQ(pSecond->m_pThreadList->m_nCount, 2u);
    EXPECT_EQ(pSecond->GetFirstThread(), pThreadAt(*pCPU, 2));
    EXPECT_EQ(pCPU->GetProcessorByPackage(1), nullptr);
    ASSERT_GE(recorder.m_Calls.size(), 5u);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(recorder.m_Calls[i], std::vector<unsigned>{i});
    EXPECT_EQ(recorder.m_Calls[4], before);
    EXPECT_EQ(recorder.m_Calls.back(), std::vector<unsigned>{2});

    // Processors that cannot be pinned to keep an empty identification.
    CCPUKit refused(board);
    CRecordingProcessors refusing;
    refusing.m_bRefuse = true;
    pCPU = refused.pBuild();
    ASSERT_NE(pCPU, nullptr);
    EXPECT_STREQ(pThreadAt(*pCPU, 3)->m_szName, "Unknown Processor");
    EXPECT_EQ(pCPU->GetProcessor(0)->GetCoreClock(0), -1.0f);
}

// One processor of a vendor outside the table: one thread, index 0, the affinity never
// touched; no vendor object and so no multiplier: the core clock is the counter's and the bus
// clock stays unknown.
TEST(CPUInterface, SingleUnknownProcessorWithoutMultiplier)
{
    CCPUKit kit(SmallBoard("FooBarBazQux", 1));
    ASSERT_TRUE(kit.bReady());
    CRecordingProcessors recorder;
    CCPUInterface* pCPU = kit.pBuild();
    ASSERT_NE(pCPU, nullptr);
    pCPU->UpdateClocks();
    EXPECT_TRUE(recorder.m_Calls.empty());
    ASSERT_EQ(pCPU->m_pThreadList->m_nCount, 1u);
    CCPUThread* pThread = pThreadAt(*pCPU, 0);
    EXPECT_EQ(pThread->m_nIndex, 0u);
    EXPECT_STREQ(pThread->m_szName, "FooBarBazQux Processor");
    EXPECT_EQ(pThread->m_pInfos[0], nullptr);
    EXPECT_GT(pCPU->m_fAPICBusClock, 0.0f);  // measured, but the counter follows the multiplier
    EXPECT_EQ(pCPU->m_fBusClock, -1.0f);
    EXPECT_EQ(pCPU->GetProcessor(0)->GetCoreMultiplier(0), -1.0f);
    vExpectNear(pCPU->GetProcessor(0)->GetCoreClock(0), 2000.0);
}

// Without a multiplier no bus clock follows from a measured clock, so the refresh measures
// only the cores: one window of 5 ms each.
TEST(CPUInterface, WithoutAMultiplierTheRefreshMeasuresOnlyTheCores)
{
    json board = SmallBoard("FooBarBazQux", 2);
    board["apic"]["timer_running"] = false;  // no APIC clock to measure either
    CCPUKit kit(board);
    ASSERT_TRUE(kit.bReady());
    CCPUInterface* pCPU = kit.pBuild();
    ASSERT_NE(pCPU, nullptr);
    const uint64_t qwBefore = qwMeasurementWindowNs();
    pCPU->UpdateClocks();
    EXPECT_NEAR(double(qwMeasurementWindowNs() - qwBefore) / 1e6, 2 * 5.0, 0.5);
    EXPECT_EQ(pCPU->m_fBusClock, -1.0f);
    for (uint32_t n = 0; n < 2; ++n) vExpectNear(pCPU->GetProcessor(n)->GetCoreClock(0), 2000.0);
}

// The local APIC space exists for an enabled APIC whose base a 32-bit space reaches; the
// brand loses its leading blanks.
TEST(CPUInterface, APICSpaceAndBrand)
{
    for (const char* pszBase : {"0xfee00900", "0xfee00100", "0x1fee00900"}) {
        json board = SmallBoard("NexGenDriven", 1);
        board["cpus"]["msrs"] = {{"0x1b", pszBase}};
        board["cpus"]["cpuid"]["0x80000000"] = Leaf(0x80000004, 0, 0, 0);
        board["cpus"]["brand"] = "   Simulated CPU  @ 1.00GHz";
        CCPUKit kit(board);
        ASSERT_TRUE(kit.bReady());
        CCPUInterface* pCPU = kit.pBuild();
        ASSERT_NE(pCPU, nullptr);
        const CCPUThread& t = *pThreadAt(*pCPU, 0);
        const bool bSpace = std::string(pszBase) == "0xfee00900";
        EXPECT_EQ(kit.Kit().FindIOSpace(0xFEE00000, IOSPACE_MEMORY) != nullptr, bSpace) << pszBase;
        EXPECT_EQ(t.m_pAPICSpace != nullptr, bSpace) << pszBase;
        EXPECT_EQ(pCPU->m_fAPICBusClock > 0.0f, bSpace) << pszBase;
        EXPECT_STREQ(t.m_szBrand, "Simulated CPU  @ 1.00GHz");
    }
}

// The AMD K7 PowerNow! table: the highest 16-byte boundary that starts with the signature;
// a copy off the grid above it does not count. Other vendors are not searched.
TEST(CPUInterface, FindsThePowerNowTableOfAnAMDProcessor)
{
    const std::string strTable = "41 4d 44 4b 37 50 4e 4f 57 21 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 01";
    std::string strUpper = strTable;
    while (strUpper.size() < 0x48 * 3 - 1) strUpper += " 00";
    strUpper += " 41 4d 44 4b 37 50 4e 4f 57 21";  // at 0xE1048
    for (const char* pszVendor : {"AuthenticAMD", "GenuineIntel"}) {
        json board = SmallBoard(pszVendor, 1);
        board["memory"].push_back({{"base", "0xe1000"}, {"size", "0x100"}, {"hex", strUpper}});
        board["memory"].push_back({{"base", "0xd0000"}, {"size", "0x20"}, {"hex", strTable}});
        CCPUKit kit(board);
        ASSERT_TRUE(kit.bReady());
        CCPUInterface* pCPU = kit.pBuild();
        ASSERT_NE(pCPU, nullptr);
        if (pszVendor[0] == 'G') {
            EXPECT_EQ(pCPU->m_dwPowerNowAddress, 0xFFFFFFFFu);
            continue;
        }
        ASSERT_EQ(pCPU->m_dwPowerNowAddress, 0xE1000u);
        const uint8_t abEnd[4] = {0xbb, 0xcc, 0xdd, 0xee};  // bytes 20 to 23 of the 24 kept
        EXPECT_EQ(std::memcmp(pCPU->m_pPowerNowTable, "AMDK7PNOW!", 10), 0);
        EXPECT_EQ(std::memcmp(pCPU->m_pPowerNowTable + 20, abEnd, 4), 0);
    }
}

// The K8 readers take processor 0's multiplier and the measured bus clock: 200 MHz x 13 with
// the DRAM code for CPU/7.
TEST(CPUInterface, K8MemoryClockFollowsProcessorZero)
{
    CCPUKit kit(BoardFile("k8-mcp55"));
    ASSERT_TRUE(kit.bReady());
    app::vBuildKit(&kit.Kit());
    chipset::K8Processor processor;
    ASSERT_TRUE(chipset::bFindK8Processor(processor));
    EXPECT_EQ(processor.fMultiplier, 13.0f);
    EXPECT_EQ(processor.nModel, 0x4Bu);
    EXPECT_EQ(processor.nRevision, 6u);
    CChipsetInterface* pChipset = kit.Kit().m_pChipsetInterface;
    ASSERT_NE(pChipset, nullptr);
    EXPECT_STREQ(pChipset->m_pMemoryInfo->m_szRatio, "CPU/7");
    vExpectNear(pChipset->m_pMemoryInfo->m_fMemoryClock, 200.0 * 13 / 7);
}
