// SPDX-License-Identifier: GPL-2.0-or-later
// Functions that firmware hides: made visible by the identification (with a second PCI scan)
// and hidden again at close, as far as the bridge asks for it.
#include <gtest/gtest.h>

#include <string>

#include "ChipsetTestKit.h"
#include "app/InterfaceCreation.h"
#include "kit/DeviceDriver.h"
#include "sim/SimAccessDevice.h"
#include "sim/SimBoard.h"

namespace {

using chipsettest::CChipsetKit;
using chipsettest::json;
using chipsettest::PciEntry;

constexpr uint32_t ABSENT = 0xFFFFFFFF;

TEST(ChipsetHiding, Ich5SMBusAndDevice6VisibleUntilClose)
{
    CChipsetKit kit("i865pe-ich5");
    // As the firmware left them: neither answers, and the first scan did not find them.
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0), ABSENT);
    EXPECT_EQ(kit.dwConfig(0, 6, 0, 0), ABSENT);
    EXPECT_EQ(kit.PCI().FindDevice(0, 0x1F, 3), nullptr);
    EXPECT_EQ(kit.PCI().FindDevice(0, 6, 0), nullptr);

    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    ASSERT_NE(pChipset->m_pSouthBridge, nullptr);
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szModel, "82801EB (ICH5)");
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNHIDDEN);
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0), 0x24D38086u);
    EXPECT_EQ(kit.dwConfig(0, 6, 0, 0), 0x25768086u);
    // The rescans put both into the device list, ready for the SMBus discovery.
    EXPECT_NE(kit.PCI().FindDevice(0, 0x1F, 3), nullptr);
    EXPECT_NE(kit.PCI().FindDevice(0, 6, 0), nullptr);
    EXPECT_EQ(pChipset->m_pNorthBridge->m_nKeptState, 0);

    pChipset->Close();
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0), ABSENT);
    EXPECT_EQ(kit.dwConfig(0, 6, 0, 0), ABSENT);
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 0, 0xF2) & 0x08, 0x08u);
    EXPECT_EQ(kit.dwConfig(0, 0, 0, 0xF4) & 0xFF, 0x19u);  // as the firmware had it
}

TEST(ChipsetHiding, UnhiddenSMBusJoinsTheDeviceListAtOnce)
{
    // Device 6 already visible: only the south bridge's own rescan can find the SMBus.
    CChipsetKit kit("i865pe-ich5", [](json& board) { PciEntry(board, "00:00.0")["regs"]["0xf4.b"] = "0x1b"; });
    EXPECT_NE(kit.PCI().FindDevice(0, 6, 0), nullptr);
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNHIDDEN);
    const CPCIDevice* pSMBus = kit.PCI().FindDevice(0, 0x1F, 3);
    ASSERT_NE(pSMBus, nullptr);
    EXPECT_EQ(pSMBus->m_pCommonHeader->m_wDeviceID, 0x24D3);
}

// A board whose LPC function disable register (00:1f.0, 0xF0) ignores every write, as a
// register the firmware locked would.
class CLockedRegisterDevice : public sim::CSimAccessDevice {
public:
    using sim::CSimAccessDevice::CSimAccessDevice;

protected:
    bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue) override
    {
        if (wPort == 0xCF8 && nWidth == 4) m_dwLatch = dwValue;
        if (wPort >= 0xCFC && wPort <= 0xCFF && m_dwLatch == 0x8000F8F0) return true;
        return sim::CSimAccessDevice::bPortOut(wPort, nWidth, dwValue);
    }

private:
    uint32_t m_dwLatch = 0;
};

TEST(ChipsetHiding, FunctionThatStaysHidden)
{
    std::string strError;
    auto pBoard = sim::CSimBoard::Load("i865pe-ich5", strError);
    ASSERT_NE(pBoard, nullptr) << strError;
    CDeviceDriver driver(std::make_unique<CLockedRegisterDevice>(std::move(pBoard)));
    ORVEXSDK::Destroy();
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    pKit->m_pDriver = &driver;
    uint32_t dwError = 0;
    ASSERT_TRUE(driver.bInitDriver(nullptr, "vexa", "vexa", 1));
    ASSERT_TRUE(driver.bOpenDevice(dwError));
    ASSERT_TRUE(app::CreatePCIInterface(pKit));
    pKit->m_pPCIInterface->Scan();
    ASSERT_TRUE(app::CreateChipsetInterface(pKit));
    CChipsetInterface* pChipset = pKit->m_pChipsetInterface;
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_HIDING_FAILED);
    EXPECT_EQ(pKit->m_pPCIInterface->FindDevice(0, 0x1F, 3), nullptr);
    pChipset->Close();  // nothing to undo
    EXPECT_EQ(pKit->m_pPCIInterface->ReadConfig(0, 0x1F, 0, 0xF0), 0x00080000u);
    driver.vCloseDevice();
    driver.vUnloadDriver();
    ORVEXSDK::Destroy();
}

TEST(ChipsetHiding, Ich3ServerBridgeStaysVisibleAfterClose)
{
    CChipsetKit kit("i865pe-ich5", [](json& board) { PciEntry(board, "00:1f.0")["id"] = "8086:2480"; });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szModel, "82801CA (ICH3-S)");
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNHIDDEN);
    pChipset->Close();
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0), 0x24D38086u);
}

TEST(ChipsetHiding, VisibleFunctionsAreLeftAlone)
{
    // The SMBus enabled and device 6 shown by the firmware: nothing to do, nothing undone.
    CChipsetKit kit("i865pe-ich5", [](json& board) {
        PciEntry(board, "00:1f.0")["regs"]["0xf0.l"] = "0x00000000";
        PciEntry(board, "00:00.0")["regs"]["0xf4.b"] = "0x1b";
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNTOUCHED);
    EXPECT_EQ(pChipset->m_pNorthBridge->m_nKeptState, 1);
    pChipset->Close();
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0), 0x24D38086u);
    EXPECT_EQ(kit.dwConfig(0, 6, 0, 0), 0x25768086u);
}

TEST(ChipsetHiding, Ich6AndLaterThroughTheFunctionDisableRegister)
{
    // ICH7R with the SMBus disabled in the root complex block (RCBA 0xFED1C000 + 0x3418).
    CChipsetKit kit("i975x-ich7", [](json& board) {
        for (json& region : board["memory"])
            if (region["base"] == "0xfed1f418") region["hex"] = "09 00 00 00";
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNHIDDEN);
    EXPECT_EQ(kit.dwMemory(0xFED1F418), 0x01u);
    pChipset->Close();
    EXPECT_EQ(kit.dwMemory(0xFED1F418), 0x09u);
}

TEST(ChipsetHiding, Ich6AndLaterWithoutARootComplexBlock)
{
    // The ICH8 of the demo board: the function disable register is not backed by anything
    // and reads all ones, so nothing is written.
    CChipsetKit demo("demo");
    CChipsetInterface* pChipset = demo.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNTOUCHED);

    // A root complex base of 0 stops at once; a disabled one is enabled first.
    CChipsetKit zero("i975x-ich7", [](json& board) { PciEntry(board, "00:1f.0")["regs"]["0xf0.l"] = "0x00000000"; });
    ASSERT_NE(zero.pProbe(), nullptr);
    EXPECT_EQ(zero.Kit().m_pChipsetInterface->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNTOUCHED);
    CChipsetKit disabled("i975x-ich7", [](json& board) {
        PciEntry(board, "00:1f.0")["regs"]["0xf0.l"] = "0xfed1c000";
        for (json& region : board["memory"])
            if (region["base"] == "0xfed1f418") region["hex"] = "08 00 00 00";
    });
    ASSERT_NE(disabled.pProbe(), nullptr);
    EXPECT_EQ(disabled.Kit().m_pChipsetInterface->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNHIDDEN);
    EXPECT_EQ(disabled.dwConfig(0, 0x1F, 0, 0xF0), 0xFED1C001u);
    EXPECT_EQ(disabled.dwMemory(0xFED1F418), 0u);
}

TEST(ChipsetHiding, SiSSMBusBit)
{
    CChipsetKit kit("i865pe-ich5", [](json& board) {
        json& lpc = PciEntry(board, "00:1f.0");
        lpc["id"] = "1039:0008";
        lpc["regs"]["0x74.l"] = "0x10000000";
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szVendor, "SiS");
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szModel, "85C503");
    EXPECT_EQ(pChipset->m_pSouthBridge->m_nState, SOUTH_BRIDGE_UNHIDDEN);
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 0, 0x74), 0u);
    pChipset->Close();
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 0, 0x74), 0x10000000u);
}

TEST(ChipsetHiding, EveryBoardHasItsBridges)
{
    for (const char* pszBoard : {"demo", "i865pe-ich5", "i975x-ich7", "nforce680i", "k8-mcp55", "i5000x-esb2"}) {
        CChipsetKit kit(pszBoard);
        CChipsetInterface* pChipset = kit.pProbe();
        ASSERT_NE(pChipset, nullptr) << pszBoard;
        ASSERT_NE(pChipset->m_pNorthBridge, nullptr) << pszBoard;
        ASSERT_NE(pChipset->m_pSouthBridge, nullptr) << pszBoard;
        EXPECT_EQ(pChipset->m_pNorthBridge->m_pDevice, kit.PCI().FindDevice(0, 0, 0)) << pszBoard;
        // Named from the tables, not left at "ID%04X".
        EXPECT_NE(std::string(pChipset->m_pNorthBridge->m_szModel).rfind("ID", 0), 0u) << pszBoard;
        EXPECT_NE(std::string(pChipset->m_pSouthBridge->m_szModel).rfind("ID", 0), 0u) << pszBoard;
        EXPECT_EQ(kit.Kit().FindInterface(INTERFACE_CHIPSET), pChipset);
    }
}

TEST(ChipsetHiding, NoPCIInterfaceNoChipsetInterface)
{
    pcitest::CPciKit kit("demo");  // not scanned: no PCI interface
    EXPECT_EQ(app::CreateChipsetInterface(&kit.Kit()), 0u);
    EXPECT_EQ(kit.Kit().m_pChipsetInterface, nullptr);
    EXPECT_EQ(kit.Kit().FindInterface(INTERFACE_CHIPSET), nullptr);
}

// The simulated board's "visible_when": its checks, and a rule that names no function.
TEST(ChipsetBoardVisibility, RulesAreChecked)
{
    const std::string strHead = R"({"clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1}, "pci": [
        {"at": "00:1f.0", "id": "8086:24d0", "class": "060100", "regs": {"0xf2.b": "0x08"}},
        {"at": "00:1f.3", "id": "8086:24d3", "class": "0c0500", "visible_when": )";
    auto load = [&](const std::string& strRule, std::string& strError) {
        return sim::CSimBoard::FromJson(strHead + strRule + "}]}", strError);
    };
    std::string strError;
    EXPECT_EQ(load(R"({"at": "00:1f.0", "reg": "0xf2.b", "mask": "0x08", "value": "0x10"})", strError), nullptr);
    EXPECT_NE(strError.find("pci[1].visible_when.value"), std::string::npos) << strError;
    EXPECT_EQ(load(R"({"at": "00:1f.0", "reg": "0xf2.q", "mask": "0x08", "value": "0"})", strError), nullptr);
    EXPECT_NE(strError.find("visible_when.reg"), std::string::npos) << strError;
    EXPECT_EQ(load(R"({"at": "00:1f.0", "mask": "0x08", "value": "0"})", strError), nullptr);
    EXPECT_NE(strError.find("visible_when.reg"), std::string::npos) << strError;
    EXPECT_EQ(load(R"({"at": "00:1f.0", "reg": "0xf2.b", "mask": "0x108", "value": "0"})", strError), nullptr);
    EXPECT_NE(strError.find("visible_when.mask"), std::string::npos) << strError;

    // A word that straddles two dwords, and a rule naming a function that is not there.
    auto pBoard = load(R"({"at": "00:1f.0", "reg": "0xf3.w", "mask": "0xff00", "value": "0"})", strError);
    ASSERT_NE(pBoard, nullptr) << strError;
    pBoard = load(R"({"at": "00:1e.0", "reg": "0xf2.b", "mask": "0x08", "value": "0"})", strError);
    ASSERT_NE(pBoard, nullptr) << strError;
}

TEST(ChipsetBoardVisibility, FunctionAnswersOnlyWhileTheRuleHolds)
{
    CChipsetKit kit("i865pe-ich5");
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0x20), ABSENT);
    // A write to a hidden function goes nowhere.
    ASSERT_TRUE(kit.PCI().WriteConfig(0, 0x1F, 3, 0x20, 0x00000501));
    ASSERT_TRUE(kit.PCI().WriteConfig(0, 0x1F, 0, 0xF0, 0));
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0x20), 0x00000401u);
    ASSERT_TRUE(kit.PCI().WriteConfig(0, 0x1F, 3, 0x20, 0x00000501));
    EXPECT_EQ(kit.dwConfig(0, 0x1F, 3, 0x20), 0x00000501u);
}

}  // namespace
