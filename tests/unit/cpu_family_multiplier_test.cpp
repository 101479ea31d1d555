// SPDX-License-Identifier: GPL-2.0-or-later
// Each family's current multiplier from its own registers, on processors described by hand.
#include <gtest/gtest.h>

#include <functional>

#include "CPUFamilyKit.h"
#include "cpu/AMDFamilies.h"
#include "cpu/CPUVendors.h"
#include "cpu/FIDVIDControl.h"
#include "cpu/IntelFamilies.h"

using namespace cpufamilytest;

namespace {

constexpr uint32_t POWERON = 0x2A;
constexpr uint32_t FREQUENCY_ID = 0x2C;
constexpr uint32_t PERF_STATUS = 0x198;
constexpr uint32_t HWCR = 0xC0010015;
constexpr uint32_t K6_PSOR = 0xC0000087;
constexpr uint32_t FCR2 = 0x10A;
constexpr uint32_t WINCHIP_PLL = 0x147;

constexpr uint64_t SELECTOR = 1ull << 27;  // of MSR 0x2A
constexpr uint64_t ratio(uint64_t nCode) { return nCode << 22; }

// Every register a multiplier is read from, all 0 at first.
class MultiplierTest : public ::testing::Test {
protected:
    MultiplierTest()
        : m_Kit(strBoard(strVendorLeaf("GenuineIntel", 1),
                         R"("0x2a": "0x0", "0x2c": "0x0", "0x198": "0x0", "0x199": "0x0", "0xc0010015": "0x0",)"
                         R"( "0xc0000087": "0x0", "0x10a": "0x0", "0x147": "0x0")"))
    {
    }
    void SetUp() override { ASSERT_TRUE(m_Kit.bReady()); }

    void vModel(uint32_t nFamily, uint32_t nModel, uint32_t nStepping)
    {
        m_Thread.m_nFamily = m_Thread.m_nExtFamily = nFamily;
        m_Thread.m_nModel = m_Thread.m_nExtModel = nModel;
        m_Thread.m_nStepping = nStepping;
    }

    CFamilyKit m_Kit;
    CCPUThread m_Thread{0, 0};
};

struct Row {
    const char* pszWhat;
    uint32_t nFamily, nModel, nStepping;
    uint32_t dwMSR;
    uint64_t qwValue;
    uint32_t dwSecondMSR;  // 0: none
    uint64_t qwSecondValue;
    float fExpected;
};

}  // namespace

TEST_F(MultiplierTest, FromTheFamilysRegisters)
{
    // Each P6 row picks a code whose value differs between the tables that could be confused.
    const Row p6[] = {
        {"A", 6, 2, 0, POWERON, ratio(14), 0, 0, 1.5f},
        {"B, A would give 3.5", 6, 7, 3, POWERON, ratio(8) | SELECTOR, 0, 0, 6.0f},
        {"B for model 8 before stepping 2", 6, 8, 1, POWERON, ratio(7), 0, 0, 5.5f},
        {"A", 6, 8, 3, POWERON, ratio(7), 0, 0, 2.5f},
        {"C", 6, 8, 3, POWERON, ratio(1) | SELECTOR, 0, 0, 11.0f},
        {"A", 6, 10, 0, POWERON, ratio(11), 0, 0, 6.0f},
        {"C", 6, 10, 0, POWERON, ratio(11) | SELECTOR, 0, 0, 10.0f},
        {"D", 6, 11, 1, POWERON, ratio(8), 0, 0, 16.0f},
        {"D", 6, 12, 0, POWERON, ratio(6), 0, 0, 11.5f},
        {"E", 6, 11, 1, POWERON, ratio(14) | SELECTOR, 0, 0, 15.0f},
        {"model 9 has no table", 6, 9, 5, POWERON, 0, 0, 0, -1.0f},
        {"nor the models above 12", 6, 13, 6, POWERON, 0, 0, 0, -1.0f},
    };
    const Row netburst[] = {
        {"frequency id", 15, 4, 1, FREQUENCY_ID, 15ull << 24 | 0x00FF0000, POWERON, 3ull << 8, 15.0f},
        {"frequency id from model 2 on", 15, 2, 9, FREQUENCY_ID, 14ull << 24, POWERON, 3ull << 8, 14.0f},
        {"codes 0..7 are 16..23", 15, 1, 2, FREQUENCY_ID, 14ull << 24, POWERON, 3ull << 8, 19.0f},
        {"codes 8..15 are themselves", 15, 1, 2, FREQUENCY_ID, 14ull << 24, POWERON, 12ull << 8, 12.0f},
    };
    const Row k7[] = {
        {"bit 19 clear", 6, 10, 0, HWCR, 5ull << 24, 0, 0, 5.5f},
        {"bit 19 set", 6, 10, 0, HWCR, 5ull << 24 | 1ull << 19, 0, 0, 13.5f},
        {"bits 28 and up are not the code", 6, 10, 0, HWCR, 15ull << 24 | 1ull << 19 | 0xF0ull << 28, 0, 0, 24.5f},
    };
    const Row k8[] = {
        {"start FID 14", 15, 0x2F, 0, HWCR, 14ull << 24 | 0x10, 0, 0, 11.0f},
        {"FID beyond 42", 15, 0x2F, 0, HWCR, 50ull << 24, 0, 0, -1.0f},
        {"family 10h keeps no start FID there", 16, 2, 3, HWCR, 14ull << 24, 0, 0, -1.0f},
    };
    const Row k6[] = {
        {"K6-2 before stepping 8", 5, 8, 7, K6_PSOR, 3, 0, 0, -1.0f},
        {"K6", 5, 7, 0, K6_PSOR, 3, 0, 0, -1.0f},
        {"K6-2", 5, 8, 8, K6_PSOR, 3, 0, 0, 5.5f},
        {"K6-2+", 5, 13, 0, K6_PSOR, 6 | 0x30, 0, 0, 6.0f},
        {"code without multiplier", 5, 13, 0, K6_PSOR, 8, 0, 0, -1.0f},
    };
    const Row via[] = {
        {"WinChip 2", 5, 8, 0, FCR2, 2, 0, 0, 4.0f},
        {"WinChip 3: (7 + 2) / (1 + 2)", 5, 9, 1, FCR2, 1, WINCHIP_PLL, 7ull << 23, 3.0f},
        {"WinChip 3: (7 + 2) / (0 + 2)", 5, 9, 1, FCR2, 0, WINCHIP_PLL, 7ull << 23, 4.5f},
        {"Ezra", 6, 7, 8, POWERON, ratio(7), 0, 0, 9.5f},
        {"Samuel", 6, 6, 3, POWERON, ratio(7), 0, 0, 11.0f},
        {"Samuel, code 1", 6, 6, 3, POWERON, ratio(1), 0, 0, -1.0f},
        {"Nehemiah, code 4 + 16", 6, 9, 8, POWERON, ratio(4) | SELECTOR, 0, 0, 13.5f},
        {"Nehemiah, code 16", 6, 9, 8, POWERON, SELECTOR, 0, 0, -1.0f},
        {"Nehemiah, code 4", 6, 9, 8, POWERON, ratio(4), 0, 0, 5.5f},
        {"the C7 has its own object", 6, 10, 9, POWERON, ratio(4), 0, 0, -1.0f},
    };
    Intel_P6_Infos p6Infos;
    Intel_Netburst_Infos netburstInfos;
    AMD_K7_Infos k7Infos;
    AMD_K8_Infos k8Infos;
    AMD_K6_Infos k6Infos;
    VIA_CPU_Infos viaInfos;
    auto vCheck = [&](CCPUInfos& infos, const Row* pRows, size_t nRows) {
        for (size_t n = 0; n < nRows; ++n) {
            const Row& row = pRows[n];
            vModel(row.nFamily, row.nModel, row.nStepping);
            m_Kit.vSetMSR(row.dwMSR, row.qwValue);
            if (row.dwSecondMSR) m_Kit.vSetMSR(row.dwSecondMSR, row.qwSecondValue);
            EXPECT_FLOAT_EQ(infos.GetMultiplier(m_Thread), row.fExpected)
                << std::hex << infos.m_dwCode << ": " << row.pszWhat << std::dec << " (model " << row.nModel << ")";
        }
    };
    vCheck(p6Infos, p6, std::size(p6));
    vCheck(netburstInfos, netburst, std::size(netburst));
    vCheck(k7Infos, k7, std::size(k7));
    vCheck(k8Infos, k8, std::size(k8));
    vCheck(k6Infos, k6, std::size(k6));
    vCheck(viaInfos, via, std::size(via));
}

TEST_F(MultiplierTest, Core2WithAndWithoutEnhancedSpeedStep)
{
    vModel(6, 15, 6);
    m_Kit.vSetMSR(PERF_STATUS, 0x0616092C0600092Cull);  // FID 9
    m_Kit.vSetMSR(POWERON, ratio(7));                   // started at 7

    m_Thread.m_bEnhancedSpeedStep = 1;
    Intel_Core_2_Infos withControl;
    withControl.Identify(m_Thread);
    ASSERT_NE(withControl.m_pControl, nullptr);
    EXPECT_FLOAT_EQ(withControl.GetMultiplier(m_Thread), 9.0f);
    // A status that tells no multiplier falls back to the power-on ratio.
    m_Kit.vSetMSR(PERF_STATUS, 0x061600000600002Cull);
    EXPECT_FLOAT_EQ(withControl.GetMultiplier(m_Thread), 7.0f);

    m_Thread.m_bEnhancedSpeedStep = 0;
    Intel_Core_2_Infos withoutControl;
    withoutControl.Identify(m_Thread);
    EXPECT_EQ(withoutControl.m_pControl, nullptr);
    m_Kit.vSetMSR(PERF_STATUS, 0x0616062C0600062Cull);  // FID 6, not to be used
    m_Kit.vSetMSR(POWERON, ratio(9) | SELECTOR);        // bit 27 lies outside the ratio
    EXPECT_FLOAT_EQ(withoutControl.GetMultiplier(m_Thread), 9.0f);
}

TEST_F(MultiplierTest, MobileAndCoreFallBacks)
{
    m_Kit.vSetMSR(PERF_STATUS, 0x0612122606000C26ull);  // FID 12
    m_Kit.vSetMSR(POWERON, ratio(18));
    for (uint32_t bSpeedStep : {1u, 0u}) {
        m_Thread.m_bEnhancedSpeedStep = bSpeedStep;
        vModel(6, 13, 6);
        Intel_Mobile_Infos mobile;
        mobile.Identify(m_Thread);
        EXPECT_FLOAT_EQ(mobile.GetMultiplier(m_Thread), bSpeedStep ? 12.0f : 18.0f);
        // Core without Enhanced SpeedStep has nothing to read its multiplier from.
        vModel(6, 14, 8);
        Intel_Core_Infos core;
        core.Identify(m_Thread);
        EXPECT_FLOAT_EQ(core.GetMultiplier(m_Thread), bSpeedStep ? 12.0f : -1.0f);
    }
}

TEST(CPUFamilyMultiplier, UnreadableRegistersGiveNoMultiplier)
{
    CFamilyKit kit(strBoard(strVendorLeaf("GenuineIntel", 1)));
    ASSERT_TRUE(kit.bReady());
    CCPUThread thread(0, 0);
    thread.m_nFamily = thread.m_nExtFamily = 6;
    thread.m_nModel = thread.m_nExtModel = 8;
    thread.m_nStepping = 3;
    EXPECT_FLOAT_EQ(Intel_P6_Infos().GetMultiplier(thread), -1.0f);
    EXPECT_FLOAT_EQ(Intel_Core_2_Infos().GetMultiplier(thread), -1.0f);
    EXPECT_FLOAT_EQ(AMD_K7_Infos().GetMultiplier(thread), -1.0f);
    EXPECT_FLOAT_EQ(VIA_CPU_Infos().GetMultiplier(thread), -1.0f);
    thread.m_nExtFamily = thread.m_nFamily = 15;
    EXPECT_FLOAT_EQ(Intel_Netburst_Infos().GetMultiplier(thread), -1.0f);
    EXPECT_FLOAT_EQ(AMD_K8_Infos().GetMultiplier(thread), -1.0f);
}
