// SPDX-License-Identifier: GPL-2.0-or-later
// What the vendor and family objects find out when a processor is collected: the objects
// attached, caches, core counts, flags and counters.
#include <gtest/gtest.h>

#include "CPUFamilyKit.h"
#include "cpu/AMDFamilies.h"
#include "cpu/CPUInfos.h"
#include "cpu/CacheDescriptors.h"
#include "cpu/FIDVIDControl.h"
#include "cpu/MSRRegister.h"
#include "cpu/ProcessorCounters.h"

using namespace cpufamilytest;

namespace {

const CCacheDescriptor* pCache(const CCPUThread& thread, int32_t nLevel, int32_t nType)
{
    return thread.m_pCacheList->Find(
        [&](CCacheDescriptor* p) { return p->m_nLevel == nLevel && p->m_nType == nType; });
}

int32_t nCacheKB(const CCPUThread& thread, int32_t nLevel, int32_t nType)
{
    const CCacheDescriptor* p = pCache(thread, nLevel, nType);
    return p ? p->m_nSize : -1;
}

}  // namespace

TEST(CPUFamilyIdentify, Core2OfTheDemoBoard)
{
    CCollected c("demo");
    const CCPUThread& thread = c.m_Thread;
    ASSERT_NE(thread.m_pInfos[1], nullptr);
    EXPECT_EQ(thread.m_pInfos[0]->m_dwCode, uint32_t(CPU_CODE_INTEL));
    EXPECT_EQ(thread.m_dwCode, uint32_t(CPU_CODE_INTEL_CORE_2));
    // Leaf 4: 32 KB data and instruction caches, 4 MB shared by the two cores.
    const CCacheDescriptor* pL2 = pCache(thread, 2, CACHE_TYPE_UNIFIED);
    ASSERT_NE(pL2, nullptr);
    EXPECT_EQ(pL2->m_nSize, 4096);
    EXPECT_EQ(pL2->m_nSharing, 2);
    EXPECT_EQ(pL2->m_nWays, 16);
    EXPECT_EQ(pL2->m_nSets, 4096);
    EXPECT_EQ(nCacheKB(thread, 1, CACHE_TYPE_DATA), 32);
    EXPECT_EQ(nCacheKB(thread, 1, CACHE_TYPE_INSTRUCTION), 32);
    EXPECT_EQ(thread.m_pCacheList->m_nCount, 3u);
    EXPECT_EQ(thread.m_nCoresPerPackage, 2u);
    EXPECT_EQ(thread.m_bThermalSensor, 1u);
    EXPECT_EQ(thread.m_dwMicrocode, 0xC6u);
    EXPECT_EQ(thread.m_nBusTransfers, 4);
    EXPECT_TRUE(thread.m_dwFlags & CPU_FLAG_CONSTANT_TSC);
    ASSERT_NE(thread.m_pInfos[1]->m_pControl, nullptr);  // Enhanced SpeedStep
    EXPECT_FLOAT_EQ(thread.m_pInfos[1]->m_pControl->GetMaxMultiplier(), 9.0f);
    // The APERF counter reads MSR 0xE8 and is the kit's to destroy.
    ASSERT_NE(thread.m_pPRFCounter, nullptr);
    EXPECT_EQ(thread.m_pPRFCounter->m_pMSR->m_dwIndex, 0xE8u);
    EXPECT_NE(ORVEXSDK::Instance()->m_pTimerList->Find([&](CTimer* p) { return p == thread.m_pPRFCounter; }), nullptr);
    // The update signature is cleared before the CPUID that loads it.
    const auto writes = c.m_Kit.MSRAccesses(sim::AccessKind::MsrWrite, 0x8B);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].qwValue, 0u);
}

TEST(CPUFamilyIdentify, NetburstCachesFromLeaf2)
{
    CCollected c("i865pe-ich5");
    const CCPUThread& thread = c.m_Thread;
    EXPECT_EQ(thread.m_dwCode, uint32_t(CPU_CODE_INTEL_NETBURST));
    // 0x66: 8 KB data; 0x7B: 512 KB level 2. TLB, trace cache and "no L3" bytes make none.
    EXPECT_EQ(nCacheKB(thread, 1, CACHE_TYPE_DATA), 8);
    ASSERT_NE(pCache(thread, 2, CACHE_TYPE_UNIFIED), nullptr);
    EXPECT_EQ(pCache(thread, 2, CACHE_TYPE_UNIFIED)->m_nDescriptor, 0x7B);
    EXPECT_EQ(pCache(thread, 2, CACHE_TYPE_UNIFIED)->m_nSets, 1024);
    EXPECT_EQ(thread.m_pCacheList->m_nCount, 2u);
    // Northwood: the time-stamp counter follows the multiplier; no microcode register here.
    EXPECT_FALSE(thread.m_dwFlags & CPU_FLAG_CONSTANT_TSC);
    EXPECT_EQ(thread.m_dwMicrocode, 0xFFFFFFFFu);
    EXPECT_EQ(thread.m_pPRFCounter, nullptr);
}

TEST(CPUFamilyIdentify, Leaf2RoundsAreBoundedAndDescriptor49IsLevel3OnTheXeonMP)
{
    // A round count of 255, the same bytes each round, a register marked invalid.
    CFamilyKit kit(strBoard(strVendorLeaf("GenuineIntel", 2) +
                            R"(, "0x2": ["0x2c4930ff", "0x80000049", "0x0", "0x0"])"));
    ASSERT_TRUE(kit.bReady());
    for (uint32_t nModel : {6u, 4u}) {
        CCPUThread thread(0, 0);
        thread.m_nMaxLeaf = 2;
        thread.m_nExtFamily = thread.m_nFamily = 15;
        thread.m_nModel = thread.m_nExtModel = nModel;
        vReadLeaf2Caches(thread);
        EXPECT_EQ(thread.m_pCacheList->m_nCount, 3u);
        EXPECT_EQ(nCacheKB(thread, nModel == 6 ? 3 : 2, CACHE_TYPE_UNIFIED), 4096) << nModel;
        EXPECT_EQ(nCacheKB(thread, 1, CACHE_TYPE_INSTRUCTION), 32);
    }
}

TEST(CPUFamilyIdentify, CPUIDLimitIsLiftedForLeaf4AndPutBack)
{
    const std::string strLeaves = strVendorLeaf("GenuineIntel", 10) +
                                  R"(, "0x1": ["0x6f6", "0x0", "0x0", "0x0"],)"
                                  R"( "0x4.0": ["0x04000121", "0x01c0003f", "0x3f", "0x1"],)"
                                  R"( "0x4.1": ["0x04004143", "0x03c0003f", "0xfff", "0x1"])";
    for (uint64_t qwMisc : {0x400089ull, 0x89ull}) {
        const bool bLimited = qwMisc & (1u << 22);
        char szMsrs[64];
        std::snprintf(szMsrs, sizeof szMsrs, R"("0x1a0": "0x%llx")", (unsigned long long)qwMisc);
        CCollected c(strBoard(strLeaves, szMsrs));
        // Limited, the processor reports leaf 2 as its highest; leaf 4 is read all the same.
        EXPECT_EQ(c.m_Thread.m_nMaxLeaf, bLimited ? 2u : 10u);
        EXPECT_EQ(nCacheKB(c.m_Thread, 2, CACHE_TYPE_UNIFIED), 4096);
        EXPECT_EQ(c.m_Thread.m_nCoresPerPackage, 2u);
        const auto writes = c.m_Kit.MSRAccesses(sim::AccessKind::MsrWrite, 0x1A0);
        ASSERT_EQ(writes.size(), bLimited ? 2u : 0u);
        if (bLimited) {
            EXPECT_EQ(writes[0].qwValue, 0x89u);
            EXPECT_EQ(writes[1].qwValue, 0x400089u);
        }
        EXPECT_EQ(c.m_Kit.qwMSR(0x1A0), qwMisc);
    }
}

TEST(CPUFamilyIdentify, K8ControlCoresAndLink)
{
    CCollected c("k8-mcp55");
    EXPECT_EQ(c.m_Thread.m_dwCode, uint32_t(CPU_CODE_AMD_K8));
    EXPECT_EQ(c.m_Thread.m_nCoresPerPackage, 2u);
    FIDVID_Control* pControl = c.m_Thread.m_pInfos[1]->m_pControl;
    ASSERT_NE(pControl, nullptr);
    EXPECT_EQ(pControl->m_bFIDControl, 1u);
    EXPECT_EQ(pControl->m_bVIDControl, 1u);
    EXPECT_EQ(pControl->m_nStartFID, 10);
    EXPECT_FALSE(c.m_Thread.m_dwFlags & CPU_FLAG_CONSTANT_TSC);
    // The board's host bridge reports its link at 200 MHz: two transfers per clock.
    EXPECT_EQ(c.m_Thread.m_nBusTransfers, 2);
    EXPECT_EQ(nHyperTransportTransfers(6), 10);  // 1000 MHz
    EXPECT_EQ(nHyperTransportTransfers(10), -1);
}

TEST(CPUFamilyIdentify, K8ConstantTSCAndNoLinkWithoutItsBridge)
{
    CCollected c(strBoard(strAMDLeaves(0x60fb1, R"(, "0x80000007": ["0x0", "0x0", "0x0", "0x100"])")));
    EXPECT_EQ(c.m_Thread.m_dwCode, uint32_t(CPU_CODE_AMD_K8));
    EXPECT_TRUE(c.m_Thread.m_dwFlags & CPU_FLAG_CONSTANT_TSC);
    EXPECT_EQ(c.m_Thread.m_pInfos[1]->m_pControl, nullptr);
    EXPECT_EQ(c.m_Thread.m_nBusTransfers, -1);
    EXPECT_EQ(c.m_Thread.m_nCoresPerPackage, 1u);
}

TEST(CPUFamilyIdentify, K6CalibratesAgainstThePerformanceTimer)
{
    CFamilyKit kit(strBoard(strVendorLeaf("AuthenticAMD", 1)));
    ASSERT_TRUE(kit.bReady());
    CCPUThread thread(0, 0);
    thread.m_dwFlags = CPU_FLAG_CONSTANT_TSC | CPU_FLAG_PM_TIMER;
    thread.Attach(new AMD_K6_Infos, 2);
    EXPECT_EQ(thread.m_dwFlags, uint32_t(CPU_FLAG_CONSTANT_TSC));
    EXPECT_EQ(thread.m_nBusTransfers, 1);
}

TEST(CPUFamilyIdentify, VendorsAndFamiliesWithoutObjects)
{
    struct Case {
        const char* pszVendor;
        const char* pszName;
        uint32_t dwCode;
    };
    const Case cases[] = {
        {"UMC UMC UMC ", "UMC Processor", 0},  // the processor pads the string with a blank
        {"Geode by NSC", "National Semiconductor Processor", 0},
        {"CyrixInstead", "Cyrix Processor", CPU_CODE_CYRIX},
        {"HypotheticaX", "HypotheticaX Processor", 0},
    };
    for (const Case& c : cases) {
        CCollected collected(strBoard(strVendorLeaf(c.pszVendor, 1)));
        EXPECT_STREQ(collected.m_Thread.m_szName, c.pszName) << c.pszVendor;
        EXPECT_EQ(collected.m_Thread.m_dwCode, c.dwCode) << c.pszVendor;
        EXPECT_EQ(collected.m_Thread.m_pInfos[0], nullptr) << c.pszVendor;
    }
    CCollected k5(strBoard(strAMDLeaves(0x501)));
    EXPECT_STREQ(k5.m_Thread.m_szName, "AMD K5");
    EXPECT_STREQ(k5.m_Thread.m_szCodeName, "5k86");
    EXPECT_EQ(k5.m_Thread.m_dwCode, uint32_t(CPU_CODE_AMD_K5));
    EXPECT_NE(k5.m_Thread.m_pInfos[0], nullptr);
    EXPECT_EQ(k5.m_Thread.m_pInfos[1], nullptr);
}

TEST(CPUFamilyIdentify, FamilyDumpNamesItselfAndTheResetState)
{
    CCollected c("k8-mcp55");
    ASSERT_NE(c.m_Thread.m_pInfos[1], nullptr);
    CTraceCapture capture;
    c.m_Thread.m_pInfos[1]->Dump();
    EXPECT_EQ(capture.strText(), "Family\t\t\tAMD K8\nstart FID\t\t9.0x\nstart VID\t\t1.400V\n");
}

TEST(CPUFamilyIdentify, K8VIDOutsideTheRulePrintsNothing)
{
    // Highest and lowest VID 31: no voltage can be told, so no VID line is printed at all.
    CCollected c(strBoard(strAMDLeaves(0x40fb2, R"(, "0x80000007": ["0x0", "0x0", "0x0", "0x6"])"),
                          R"("0xc0010041": "0x0", "0xc0010042": "0x1f1f0608000C0A0C")"));
    ASSERT_NE(c.m_Thread.m_pInfos[1], nullptr);
    FIDVID_Control* pControl = c.m_Thread.m_pInfos[1]->m_pControl;
    ASSERT_NE(pControl, nullptr);
    EXPECT_FLOAT_EQ(pControl->GetMaxVoltage(), -1.0f);
    CTraceCapture capture;
    c.m_Thread.Dump();
    const std::string& strText = capture.strText();
    EXPECT_NE(strText.find("FID/VID Control\t\tyes\nmax FID\t\t\t10.0x\n"), std::string::npos) << strText;
    EXPECT_EQ(strText.find("VID range"), std::string::npos) << strText;
    EXPECT_EQ(strText.find("min VID"), std::string::npos) << strText;
    EXPECT_EQ(strText.find("max VID"), std::string::npos) << strText;
}
