// SPDX-License-Identifier: GPL-2.0-or-later
// The clock chips whose CPU output divider no register shows, through the whole kit on the
// simulated board: the driver learns the divider from the bus clock the kit measured, the
// emulated chip has it from the board's straps, and the two must agree on every starting
// image (programming enabled or not, high N bits set, other M values, a board whose bus clock
// is off the registers' VCO), up and down the walks the driver makes.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "PLLTestKit.h"
#include "cpu/CPUInterface.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "sim/ClockChip.h"

namespace {

using plltest::BoardWith;
using plltest::CPLLKit;
using Registers = std::vector<std::pair<int, uint8_t>>;

struct StrappedCase {
    std::string strName;
    const char* pszModel;
    uint32_t dwID;
    Registers Image;
    double dBusMHz;      // the board's bus clock at power-on
    float fUp, fDown;    // walked to one after the other
};

std::ostream& operator<<(std::ostream& os, const StrappedCase& c) { return os << c.strName; }

Registers operator+(Registers a, const Registers& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ICS PLL images, VCO = 14.31818 × (N + 8) / (M + 2): M 16, N 998 (bits 8 and 9 set): 800.227;
// M 10, N 662 (bit 9 only): 799.430; M 7, N 998: 1600.454.
const Registers VCO_800 = {{11, 0xD0}, {12, 0xE6}};
const Registers VCO_800_M10 = {{11, 0x4A}, {12, 0x96}};
const Registers VCO_1600 = {{11, 0xC7}, {12, 0xE6}};
const Registers ENABLED = {{10, 0x80}};
// The second PLL of the 954123, 954148 and 954519 at 800.227, PCI-E ÷8.
const Registers PCIE_954123 = {{17, 0xD0}, {18, 0xE6}, {19, 0x08}};
const Registers PCIE_954148 = {{4, 0x80}, {17, 0xD0}, {18, 0xE6}};

std::vector<StrappedCase> Cases()
{
    std::vector<StrappedCase> cases = {
        // Winbond W83195BG-101, VCO = 14.31818 × (N + 4) / M. M 16, N 890: 800.028, the image
        // on which the walk to 300 MHz once ended at 225 MHz.
        {"W83195Divider3", "w83195bg-101", 0x20831950, {{8, 0xD0}, {9, 0x7A}}, 266.666, 300.0f, 250.0f},
        {"W83195Enabled", "w83195bg-101", 0x20831950, {{8, 0xD0}, {9, 0x7A}, {13, 0x80}}, 266.666, 300.0f, 250.0f},
        {"W83195Divider4", "w83195bg-101", 0x20831950, {{8, 0xD0}, {9, 0x7A}}, 200.0, 223.0f, 180.0f},
        // N bit 10 alone (N 1024, M 16: 919.944 ÷4), and with bits 8 and 9 (N 1914: 1716.364 ÷6).
        {"W83195NBit10", "w83195bg-101", 0x20831950, {{8, 0x10}, {13, 0x40}}, 229.99, 253.0f, 205.0f},
        {"W83195NBits8To10", "w83195bg-101", 0x20831950, {{8, 0xD0}, {9, 0x7A}, {13, 0xC0}}, 286.06, 310.0f, 260.0f},
        // M 8, N 256: 465.341 ÷2.
        {"W83195OtherM", "w83195bg-101", 0x20831950, {{8, 0x88}}, 232.67, 255.0f, 210.0f},
        // A board running 210 MHz on an image for 200: the straps chose ÷4.
        {"W83195BoardOffTheImage", "w83195bg-101", 0x20831950, {{8, 0xD0}, {9, 0x7A}}, 210.0, 223.0f, 190.0f},

        // ICS 94228: M 16, N 495 (N bit 0 in bit 7 of register 9): 400.114.
        {"ICS94228Divider3", "ics94228", 0x01094228, {{0, 0x07}, {9, 0x90}, {10, 247}}, 133.33, 156.0f, 110.0f},
        {"ICS94228Divider2Enabled", "ics94228", 0x01094228, {{0, 0x07}, {4, 0x40}, {9, 0x90}, {10, 247}}, 200.0,
         223.0f, 180.0f},
        // M 10, N 511: 619.261 ÷4; select 4: AGP ÷10.
        {"ICS94228HighN", "ics94228", 0x01094228, {{0, 0x04}, {9, 0x8A}, {10, 0xFF}}, 154.8, 178.0f, 130.0f},
        {"ICS94228BoardOffTheImage", "ics94228", 0x01094228, {{9, 0x90}, {10, 247}}, 140.0, 156.0f, 110.0f},
    };
    // The ICS parts with the 6-bit M / 10-bit N PLL in registers 11 and 12.
    struct Part {
        const char* pszName;
        const char* pszModel;
        uint32_t dwID;
        Registers Extra;
        float fMax;
    };
    const Part parts[] = {
        {"ICS950405", "ics950405", 0x01950405, {{9, 0x40}}, 400.0f},
        {"ICS954119", "ics954119", 0x01954119, {{19, 0x08}, {20, 0xD0}}, 500.0f},
        {"ICS954123", "ics954123", 0x01954123, PCIE_954123, 600.0f},
        {"ICS954123CPUClockForPCIE", "ics954123", 0x01954123, PCIE_954123 + Registers{{7, 0x50}}, 600.0f},
        {"ICS954148", "ics954148", 0x01954148, PCIE_954148, 600.0f},
    };
    for (const Part& part : parts) {
        const std::string strName = part.pszName;
        auto add = [&](const char* pszWhat, const Registers& image, double dBus, float fUp, float fDown) {
            cases.push_back({strName + pszWhat, part.pszModel, part.dwID, image + part.Extra, dBus, fUp, fDown});
        };
        add("Divider3", VCO_800, 266.666, 290.0f, 240.0f);
        add("Divider4Enabled", VCO_800 + ENABLED, 200.0, 223.0f, 180.0f);
        add("OtherMAndNBit9", VCO_800_M10 + ENABLED, 266.666, 290.0f, 240.0f);
        add("Divider6", VCO_1600, 266.666, 290.0f, 240.0f);
        add("BoardOffTheImage", VCO_800, 210.0, 223.0f, 190.0f);
        if (part.fMax >= 500.0f) add("Divider4AtTheTop", VCO_1600 + ENABLED, 400.0, 423.0f, 380.0f);
    }
    // ICS 9PLRS509 and 9PLRS587, VCO = reference × N / M: N 782, M 14 on 14.31818 (register 29
    // code 0): 799.773; N 352, M 21 on 47.727264 (code 1): 800.0, on 48 (code 8): 804.571.
    // PCI-E from N 352, M 21 on 47.727264 ÷8.
    for (const auto& [pszName, pszModel, dwID] : {std::tuple{"ICS9PLRS509", "ics9plrs509", 0x019AB509u},
                                                   std::tuple{"ICS9PLRS587", "ics9plrs587", 0x019AB587u}}) {
        auto add = [&, pszName = pszName, pszModel = pszModel, dwID = dwID](const char* pszWhat, const Registers& image,
                                                                           double dBus, float fUp, float fDown) {
            cases.push_back({std::string(pszName) + pszWhat, pszModel, dwID, image + Registers{{15, 0x15}, {16, 0x58}},
                             dBus, fUp, fDown});
        };
        add("Crystal", {{11, 0x8E}, {12, 0xC3}, {29, 0x00}}, 266.666, 290.0f, 240.0f);
        add("CrystalEnabled", {{1, 0x10}, {11, 0x8E}, {12, 0xC3}, {29, 0x00}}, 200.0, 223.0f, 180.0f);
        add("Reference47", {{11, 0x15}, {12, 0x58}, {29, 0x10}}, 266.666, 290.0f, 240.0f);
        add("Reference48", {{11, 0x15}, {12, 0x58}, {29, 0x80}}, 201.14, 223.0f, 180.0f);
        add("BoardOffTheImage", {{11, 0x8E}, {12, 0xC3}, {29, 0x00}}, 210.0, 223.0f, 190.0f);
    }
    return cases;
}

class StrappedDivider : public ::testing::TestWithParam<StrappedCase> {
protected:
    // The emulated chip at 0x69 of the board's first SMBus.
    static const sim::CClockChip* pChip(CPLLKit& kit)
    {
        return dynamic_cast<sim::CClockChip*>(kit.Board().pSMBus(0)->pTarget(0, 0x69));
    }
    // What the chip drives, read under the board's lock.
    static void vChipClocks(CPLLKit& kit, double& dFSB, double& dGSB, double& dPCI)
    {
        std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
        const sim::CClockChip* p = pChip(kit);
        dFSB = p ? p->dFSBMHz() : -1;
        dGSB = p ? p->dGSBMHz() : -1;
        dPCI = p ? p->dPCIMHz() : -1;
    }
    // What the driver reads is what the chip drives; with bOnTheBus, what the processors run on too.
    static void vExpectAgreement(CPLLKit& kit, const CClockGenerator& driver, bool bOnTheBus, const char* pszWhen)
    {
        double dFSB = 0, dGSB = 0, dPCI = 0;
        vChipClocks(kit, dFSB, dGSB, dPCI);
        EXPECT_NEAR(driver.m_Current.m_fFSB, dFSB, 0.01) << pszWhen;
        EXPECT_NEAR(driver.m_Current.m_fGSB, dGSB, 0.01) << pszWhen;
        EXPECT_NEAR(driver.m_Current.m_fPCI, dPCI, 0.01) << pszWhen;
        if (bOnTheBus) {
            EXPECT_NEAR(double(kit.qwBusHz()) / 1e6, dFSB, 0.001) << pszWhen;
        }
    }
};

TEST_P(StrappedDivider, TheWalkLandsWhereTheDriverSaysAndAKeptDriverReadsIt)
{
    const StrappedCase& c = GetParam();
    CPLLKit kit(BoardWith(c.pszModel, c.Image, c.dBusMHz));
    ASSERT_TRUE(kit.bReady());
    ASSERT_NE(pChip(kit), nullptr);
    CPLLInterface* pInterface = kit.pPLL();
    ASSERT_NE(pInterface, nullptr);
    CClockGenerator* pDriver = pInterface->SelectPLL(c.dwID);
    ASSERT_NE(pDriver, nullptr);
    ASSERT_TRUE(pDriver->bReadClocks(pDriver->m_Current));
    // The chip drives the clock of the board it was strapped for (off it by what the
    // registers' resolution and a board file off the image allow).
    vExpectAgreement(kit, *pDriver, false, "as found");
    EXPECT_NEAR(pDriver->m_Current.m_fFSB, c.dBusMHz, c.dBusMHz * 0.06);

    // The driver is kept: the divider it learned stays, though the kit still holds the bus
    // clock it measured before the walk.
    for (float fTarget : {c.fUp, c.fDown}) {
        CFrequencySet target;
        target.m_fFSB = fTarget;
        EXPECT_TRUE(pDriver->bApplyClocks(target, nullptr));
        pDriver->m_Current.Clear();
        ASSERT_TRUE(pDriver->bReadClocks(pDriver->m_Current));
        EXPECT_NEAR(pDriver->m_Current.m_fFSB, fTarget, 0.3f) << fTarget;
        vExpectAgreement(kit, *pDriver, true, fTarget == c.fUp ? "after the walk up" : "after the walk down");
    }

    // A new driver that learns its divider from a fresh measurement reads the same.
    CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
    ASSERT_NE(pCPU, nullptr);
    pCPU->UpdateClocks();
    const float fKept = pDriver->m_Current.m_fFSB;
    pDriver = pInterface->SelectPLL(c.dwID);
    ASSERT_NE(pDriver, nullptr);
    ASSERT_TRUE(pDriver->bReadClocks(pDriver->m_Current));
    EXPECT_NEAR(pDriver->m_Current.m_fFSB, fKept, 0.01f);
}

INSTANTIATE_TEST_SUITE_P(LearnedDividerModels, StrappedDivider, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<StrappedCase>& info) { return info.param.strName; });

TEST(StrappedDividerChips, ICS954519ShowsItsDividerInRegisterNineteen)
{
    // ÷3 (B code 1) on a 266.67 MHz board, ÷4 (code 4) on a 200 MHz one, ÷6 (code 5) on a
    // board off the image: the register decides, not the board.
    const struct {
        Registers Image;
        double dBus;
        float fStart;
    } cases[] = {
        {VCO_800 + PCIE_954148 + Registers{{19, 0x10}}, 266.666, 266.742f},
        {VCO_800 + PCIE_954148 + Registers{{1, 0x04}, {6, 0x10}, {19, 0x40}}, 200.0, 200.057f},
        {VCO_1600 + PCIE_954148 + Registers{{19, 0x50}}, 260.0, 266.742f},
    };
    for (const auto& c : cases) {
        CPLLKit kit(BoardWith("ics954519", c.Image, c.dBus));
        ASSERT_TRUE(kit.bReady());
        CClockGenerator* pDriver = kit.pPLL()->SelectPLL(0x01954519);
        ASSERT_NE(pDriver, nullptr);
        ASSERT_TRUE(pDriver->bReadClocks(pDriver->m_Current));
        EXPECT_EQ(pDriver->m_nRegisterCount, 20);  // the byte count was repaired to reach 19
        EXPECT_NEAR(pDriver->m_Current.m_fFSB, c.fStart, 0.002f);
        CFrequencySet target;
        target.m_fFSB = c.fStart + 20.0f;
        EXPECT_TRUE(pDriver->bApplyClocks(target, nullptr));
        EXPECT_NEAR(double(kit.qwBusHz()) / 1e6, c.fStart + 20.0f, 0.3);
        pDriver->m_Current.Clear();
        ASSERT_TRUE(pDriver->bReadClocks(pDriver->m_Current));
        EXPECT_NEAR(double(pDriver->m_Current.m_fFSB), double(kit.qwBusHz()) / 1e6, 0.01);
    }
}

}  // namespace
