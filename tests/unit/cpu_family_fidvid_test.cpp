// SPDX-License-Identifier: GPL-2.0-or-later
// FID/VID status decoding and conversion of each family's control.
#include <gtest/gtest.h>

#include "CPUFamilyKit.h"
#include "cpu/AMDFamilies.h"
#include "cpu/CPUThread.h"
#include "cpu/FIDVIDControls.h"

using namespace cpufamilytest;

namespace {

constexpr uint32_t AMD_STATUS = 0xC0010042;
constexpr uint32_t PERF_STATUS = 0x198;

std::string strControlBoard()
{
    return strBoard(strVendorLeaf("AuthenticAMD", 1),
                    R"("0xc0010041": "0x0", "0xc0010042": "0x0", "0x198": "0x0", "0x199": "0x0")");
}

}  // namespace

TEST(CPUFamilyFIDVID, K8StatusGivesMultipliersAndVoltages)
{
    CFamilyKit kit(strControlBoard());
    ASSERT_TRUE(kit.bReady());
    kit.vSetMSR(AMD_STATUS, 0x00120608000C0A0Cull);
    K8_FIDVID_Control control;
    ASSERT_NE(control.ReadStatus(), 0u);
    EXPECT_EQ(control.m_nCurrentFID, 12);
    EXPECT_EQ(control.m_nStartFID, 10);
    EXPECT_EQ(control.m_nMaxFID, 12);
    EXPECT_EQ(control.m_nCurrentVID, 8);
    EXPECT_EQ(control.m_nStartVID, 6);
    EXPECT_EQ(control.m_nMaxVID, 18);
    EXPECT_EQ(control.m_nMinVID, 0);
    EXPECT_FLOAT_EQ(control.GetCurrentMultiplier(), 10.0f);
    EXPECT_FLOAT_EQ(control.GetMaxMultiplier(), 10.0f);
    EXPECT_FLOAT_EQ(control.FIDToMultiplier(control.m_nStartFID), 9.0f);
    EXPECT_NEAR(control.VIDToVoltage(control.m_nCurrentVID), 1.350f, 1e-6);
    EXPECT_NEAR(control.GetMaxVoltage(), 1.100f, 1e-6);
    EXPECT_NEAR(control.GetMinVoltage(), 1.550f, 1e-6);
    EXPECT_FLOAT_EQ(control.GetMinMultiplier(), -1.0f);  // the K8 status has no lowest FID
    EXPECT_FLOAT_EQ(control.FIDToMultiplier(42), 25.0f);
    EXPECT_FLOAT_EQ(control.FIDToMultiplier(43), -1.0f);
    EXPECT_FLOAT_EQ(control.VIDToVoltage(31), -1.0f);
}

TEST(CPUFamilyFIDVID, K8PendingChangeIsWaitedForWithinABound)
{
    CFamilyKit kit(strControlBoard());
    ASSERT_TRUE(kit.bReady());
    // A change that never completes: the status is given up after the bounded reads and
    // the fields stay unknown.
    kit.vSetMSR(AMD_STATUS, 0x00120608800C0A0Cull);
    K8_FIDVID_Control control;
    kit.Board().Log().vClear();
    EXPECT_EQ(control.ReadStatus(), 0u);
    EXPECT_EQ(kit.MSRAccesses(sim::AccessKind::MsrRead, AMD_STATUS).size(), K8_FIDVID_Control::WAIT_IDLE_READS);
    EXPECT_EQ(control.m_nCurrentFID, -1);
    EXPECT_EQ(control.m_nCurrentVID, -1);

    // Once the change is done the same control reads the new state.
    kit.vSetMSR(AMD_STATUS, 0x00120608000C0A0Eull);
    EXPECT_NE(control.ReadStatus(), 0u);
    EXPECT_FLOAT_EQ(control.GetCurrentMultiplier(), 11.0f);

    // A pending change after a good read does not leave the old FID standing as current.
    kit.vSetMSR(AMD_STATUS, 0x00120608800C0A0Cull);
    AMD_K8_Infos infos;
    infos.m_pControl = new K8_FIDVID_Control;
    CCPUThread thread(0, 0);
    EXPECT_FLOAT_EQ(infos.GetMultiplier(thread), -1.0f);
}

TEST(CPUFamilyFIDVID, K7StatusAndTables)
{
    CFamilyKit kit(strControlBoard());
    ASSERT_TRUE(kit.bReady());
    // Current FID 5, start FID 4, max FID 31; current VID 16, start VID 3, max VID 14.
    kit.vSetMSR(AMD_STATUS, 0x000E0310001F0405ull);
    K7_FIDVID_Control control;
    ASSERT_NE(control.ReadStatus(), 0u);
    EXPECT_FLOAT_EQ(control.GetCurrentMultiplier(), 5.5f);
    EXPECT_FLOAT_EQ(control.FIDToMultiplier(control.m_nStartFID), 5.0f);
    EXPECT_FLOAT_EQ(control.GetMaxMultiplier(), 24.0f);
    EXPECT_NEAR(control.VIDToVoltage(control.m_nCurrentVID), 1.275f, 1e-6);
    EXPECT_NEAR(control.VIDToVoltage(control.m_nStartVID), 1.850f, 1e-6);
    EXPECT_NEAR(control.GetMaxVoltage(), 1.300f, 1e-6);
    EXPECT_EQ(control.m_nMinFID, -1);
    EXPECT_EQ(control.m_nMinVID, -1);

    EXPECT_FLOAT_EQ(control.FIDToMultiplier(16), 3.0f);
    EXPECT_FLOAT_EQ(control.FIDToMultiplier(23), 21.0f);
    EXPECT_FLOAT_EQ(control.FIDToMultiplier(32), -1.0f);
    EXPECT_NEAR(control.VIDToVoltage(0), 2.000f, 1e-6);
    EXPECT_FLOAT_EQ(control.VIDToVoltage(15), -1.0f);
    EXPECT_NEAR(control.VIDToVoltage(30), 0.925f, 1e-6);
    EXPECT_FLOAT_EQ(control.VIDToVoltage(31), -1.0f);
}

TEST(CPUFamilyFIDVID, SpeedStepStatusOfEachIntelFamily)
{
    CFamilyKit kit(strControlBoard());
    ASSERT_TRUE(kit.bReady());
    // Current FID 9, VID 0x2C; highest FID 10, VID 0x30.
    kit.vSetMSR(PERF_STATUS, 0x06160A300600092Cull);

    Netburst_FIDVID_Control netburst;
    ASSERT_NE(netburst.ReadStatus(), 0u);
    EXPECT_FLOAT_EQ(netburst.GetCurrentMultiplier(), 9.0f);
    EXPECT_FLOAT_EQ(netburst.GetMinMultiplier(), 14.0f);
    EXPECT_FLOAT_EQ(netburst.GetMaxMultiplier(), 10.0f);
    EXPECT_FLOAT_EQ(netburst.GetMinVoltage(), float(26 * 16 + 700) * 0.001f);
    EXPECT_FLOAT_EQ(netburst.GetMaxVoltage(), float(0x30 * 16 + 700) * 0.001f);

    Mobile_FIDVID_Control mobile;
    ASSERT_NE(mobile.ReadStatus(), 0u);
    EXPECT_FLOAT_EQ(mobile.GetMinMultiplier(), 6.0f);
    EXPECT_FLOAT_EQ(mobile.GetMinVoltage(), -1.0f);
    EXPECT_NEAR(mobile.VIDToVoltage(mobile.m_nCurrentVID), 1.404f, 1e-6);

    Core_FIDVID_Control core;
    ASSERT_NE(core.ReadStatus(), 0u);
    EXPECT_FLOAT_EQ(core.GetCurrentMultiplier(), 9.0f);
    EXPECT_FLOAT_EQ(core.GetMinMultiplier(), 6.0f);
    EXPECT_EQ(core.m_nMinVID, -1);
    // 44 x 12.5 + 712.5 mV, in single precision as the processor's tables give it.
    EXPECT_FLOAT_EQ(core.VIDToVoltage(core.m_nCurrentVID), 1262.5f * 0.001f);
    EXPECT_NEAR(core.GetMaxVoltage(), 1.3125f, 1e-6);
}

TEST(CPUFamilyFIDVID, FailedStatusReadKeepsTheFields)
{
    // No status register at all: nothing is read, nothing changes.
    CFamilyKit kit(strBoard(strVendorLeaf("GenuineIntel", 1)));
    ASSERT_TRUE(kit.bReady());
    Core_FIDVID_Control core;
    core.m_nCurrentFID = 8;
    EXPECT_EQ(core.ReadStatus(), 0u);
    EXPECT_EQ(core.m_nCurrentFID, 8);
    EXPECT_EQ(core.m_nMinFID, -1);
    K7_FIDVID_Control k7;
    EXPECT_EQ(k7.ReadStatus(), 0u);
    EXPECT_EQ(k7.m_nCurrentFID, -1);
}
