// SPDX-License-Identifier: GPL-2.0-or-later
// One logical processor on its own: the APIC id split, attaching vendor and family objects,
// the multiplier they give, the MSRs it keeps and its FID/VID report.
#include <gtest/gtest.h>

#include <cstdarg>

#include "KitFixture.h"
#include "cpu/CPUInfos.h"
#include "cpu/CPUThread.h"
#include "cpu/CPUTopology.h"
#include "cpu/FIDVIDControl.h"
#include "cpu/MSRRegister.h"

namespace {

TEST(CPUTopology, SplitsTheAPICID)
{
    const uint32_t cases[][6] = {
        // APIC id, logical, cores -> package, core, SMT
        {5, 4, 2, 1, 0, 1}, {6, 4, 4, 1, 2, 0}, {13, 3, 3, 3, 1, 0},
        {9, 0, 0, 9, 0, 0}, {5, 2, 4, 2, 1, 0}, {0xFF, 128, 64, 1, 63, 1},
    };
    for (const auto& c : cases) {
        const CAPICIDParts parts = DecomposeAPICID(c[0], c[1], c[2]);
        EXPECT_EQ(std::vector<uint32_t>({parts.m_nPackageID, parts.m_nCoreID, parts.m_nSMTID}),
                  std::vector<uint32_t>({c[3], c[4], c[5]}))
            << c[0] << "/" << c[1] << "/" << c[2];
    }
}

// Answers a set multiplier and logs what is done to it.
class CFakeInfos : public CCPUInfos {
public:
    CFakeInfos(uint32_t dwCode, uint32_t nLevel, float fMultiplier, std::vector<std::string>& log)
        : CCPUInfos(dwCode, nLevel), m_fMultiplier(fMultiplier), m_Log(log) {}
    ~CFakeInfos() override { m_Log.push_back("~" + std::to_string(m_dwCode)); }
    void Identify(CCPUThread&) override { m_Log.push_back("Identify"); }
    void Measure(CCPUThread&) override { m_Log.push_back("Measure"); }
    void Classify(CCPUThread&) override { m_Log.push_back("Classify"); }
    float GetMultiplier(CCPUThread&) override { return m_fMultiplier; }
    void Dump() override { m_Log.push_back("Dump " + std::to_string(m_dwCode)); }
    float m_fMultiplier;
    std::vector<std::string>& m_Log;
};

TEST(CPUThread, AttachesByLevelAndAsksTheMostSpecificObject)
{
    std::vector<std::string> log;
    CCPUThread thread(0, 0);
    EXPECT_EQ(thread.GetMultiplier(), -1.0f);
    thread.Attach(new CFakeInfos(1, 1, 4.0f, log), 1);
    thread.Attach(new CFakeInfos(7, 1, 5.0f, log), 2);  // announced for another level: dropped
    thread.Attach(new CFakeInfos(2, 2, 0.0f, log), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"Identify", "Measure", "Classify", "~7", "Identify", "Measure", "Classify"}));
    EXPECT_EQ(thread.m_dwCode, 2u);
    EXPECT_EQ(thread.GetMultiplier(), 4.0f);  // the family object's 0 is no answer
    thread.Attach(new CFakeInfos(3, 2, 9.5f, log), 2);
    EXPECT_EQ(log.back(), "Classify");
    EXPECT_EQ(log[log.size() - 4], "~2");
    EXPECT_EQ(thread.GetMultiplier(), 9.5f);
    thread.Attach(new CFakeInfos(4, 3, 11.0f, log), 3);
    EXPECT_EQ(thread.GetMultiplier(), 11.0f);
}

// A register that reads is kept and read again on each request; one that does not is not
// kept; a kept one stays (others hold it) when a later read fails.
TEST(CPUThread, KeepsTheMSRsItHasRead)
{
    CSimKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    CCPUThread thread(0, 0);
    MSR_Register* p198 = thread.GetMSR(0x198);
    ASSERT_NE(p198, nullptr);
    EXPECT_EQ(p198->qwValue(), 0x0616092c0600092cull);
    EXPECT_EQ(thread.GetMSR(0x12345), nullptr);
    const uint64_t qwTSC = thread.GetMSR(0x10)->qwValue();
    EXPECT_GT(thread.GetMSR(0x10)->qwValue(), qwTSC);
    kit.Driver().vCloseDevice();
    EXPECT_EQ(thread.GetMSR(0x198), nullptr);
    EXPECT_EQ(thread.m_pMSRList->m_nCount, 2u);
    uint32_t dwError = 0;
    ASSERT_TRUE(kit.Driver().bOpenDevice(dwError));
    EXPECT_EQ(thread.GetMSR(0x198), p198);
    EXPECT_EQ(p198->m_dwLow, 0x0600092cu);
}

std::string g_strTrace;

int CaptureTrace(const char* pszFormat, ...)
{
    char sz[256];
    va_list args;
    va_start(args, pszFormat);
    const int n = std::vsnprintf(sz, sizeof sz, pszFormat, args);
    va_end(args);
    g_strTrace += sz;
    return n;
}

// Multiplier = FID / 2; volts = 1 + VID / 40 up to VID 30.
class CFakeControl : public FIDVID_Control {
public:
    CFakeControl() : FIDVID_Control(0x198, 0x199) {}
    float FIDToMultiplier(int32_t nFID) override { return nFID >= 0 ? float(nFID) / 2.0f : -1.0f; }
    float VIDToVoltage(int32_t nVID) override { return nVID >= 0 && nVID < 31 ? 1.0f + float(nVID) / 40.0f : -1.0f; }
};

TEST(CPUThread, DumpsTheFIDAndVIDRanges)
{
    ORVEXSDK::Destroy();
    ORVEXSDK::Instance()->m_pTrace = CaptureTrace;
    std::vector<std::string> log;
    CCPUThread thread(0, 0);
    thread.Attach(new CFakeInfos(1, 1, -1.0f, log), 1);
    thread.Attach(new CFakeInfos(2, 2, -1.0f, log), 2);
    log.clear();
    thread.Dump();
    EXPECT_EQ(g_strTrace, "FID/VID Control\t\tno\n");
    EXPECT_EQ(log, (std::vector<std::string>{"Dump 1", "Dump 2"}));

    CFakeControl* pControl = new CFakeControl;
    thread.m_pInfos[1]->m_pControl = pControl;
    const struct {
        int32_t nMinFID, nMaxFID, nMinVID, nMaxVID;
        const char* pszLines;
    } cases[] = {
        {12, 18, 4, 10, "FID range\t\t6.0x - 9.0x\nVID range\t\t1.100V - 1.250V\n"},
        {-1, 18, 4, 31, "max FID\t\t\t9.0x\nmin VID\t\t\t1.100V\n"},
    };
    for (const auto& c : cases) {
        pControl->m_nMinFID = c.nMinFID;
        pControl->m_nMaxFID = c.nMaxFID;
        pControl->m_nMinVID = c.nMinVID;
        pControl->m_nMaxVID = c.nMaxVID;
        g_strTrace.clear();
        thread.Dump();
        EXPECT_EQ(g_strTrace, std::string("FID/VID Control\t\tyes\n") + c.pszLines);
    }
    ORVEXSDK::Destroy();
}

}  // namespace
