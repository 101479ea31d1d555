// SPDX-License-Identifier: GPL-2.0-or-later
// The IC command set: results, failures and the byte order of word transfers, against a
// controller that records what it is asked and against the emulated ICH on the demo board.
#include <gtest/gtest.h>

#include <vector>

#include "ChipsetTestKit.h"
#include "app/InterfaceCreation.h"
#include "sim/SMBusBus.h"
#include "smbus/ICCommandSet.h"
#include "smbus/SMBusControllers.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusInterface.h"

namespace {

// A controller whose transactions answer from fields and record what they were given.
class CScriptedController : public CSMBusIOSpace {
public:
    CScriptedController() : CSMBusIOSpace(0x1000, 200) {}

    uint32_t HostReadByte(uint8_t nAddress, uint8_t bCommand, uint8_t& bValue) override
    {
        vNote(nAddress, bCommand);
        bValue = m_bData0;
        return m_bOk;
    }
    uint32_t HostReadWord(uint8_t nAddress, uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override
    {
        vNote(nAddress, bCommand);
        bData0 = m_bData0;
        bData1 = m_bData1;
        return m_bOk;
    }
    int32_t HostBlockRead(uint8_t nAddress, uint8_t bCommand, uint8_t* pBuffer) override
    {
        vNote(nAddress, bCommand);
        for (int i = 0; i < m_nBlock; ++i) pBuffer[i] = uint8_t(0xA0 + i);
        return m_nBlock;
    }
    uint32_t HostWriteWord(uint8_t nAddress, uint8_t bCommand, uint8_t bData0, uint8_t bData1) override
    {
        vNote(nAddress, bCommand);
        m_Written = {bData0, bData1};
        return m_bOk;
    }
    int32_t HostBlockWrite(uint8_t nAddress, uint8_t bCommand, const uint8_t* pBuffer, int32_t nCount) override
    {
        vNote(nAddress, bCommand);
        m_Written.assign(pBuffer, pBuffer + nCount);
        return nCount;
    }

    uint32_t m_bOk = 1;
    uint8_t m_bData0 = 0x12, m_bData1 = 0x34;
    int32_t m_nBlock = 5;
    uint8_t m_nLastAddress = 0, m_bLastCommand = 0;
    std::vector<uint8_t> m_Written;

private:
    void vNote(uint8_t nAddress, uint8_t bCommand)
    {
        m_nLastAddress = nAddress;
        m_bLastCommand = bCommand;
    }
};

}  // namespace

TEST(SMBusCommandSetOrder, TheFirstWordByteOnTheBusIsTheHighByte)
{
    ORVEXSDK::Destroy();
    CScriptedController controller;
    CSMBusICCommandSet commands(&controller, 0, 0x69);
    EXPECT_EQ(commands.ReadWord(0x07), 0x1234);
    EXPECT_EQ(controller.m_nLastAddress, 0x69);
    EXPECT_EQ(controller.m_bLastCommand, 0x07);

    EXPECT_NE(commands.WriteWord(0x08, 0x1234), 0u);
    EXPECT_EQ(controller.m_Written, (std::vector<uint8_t>{0x12, 0x34}));

    controller.m_bOk = 0;
    EXPECT_EQ(commands.ReadWord(0x07), 0xFFFF);
    EXPECT_EQ(commands.ReadByte(0x07), 0xFF);
    EXPECT_EQ(commands.WriteWord(0x08, 0x1234), 0u);
    ORVEXSDK::Destroy();
}

TEST(SMBusCommandSetResults, BlocksDwordsAndAMissingController)
{
    ORVEXSDK::Destroy();
    CScriptedController controller;
    CSMBusICCommandSet commands(&controller, 0, 0x69);
    uint8_t abBuffer[32] = {};
    EXPECT_EQ(commands.ReadBlock(0x00, 17, abBuffer), 5);  // the device's length, not the caller's
    EXPECT_EQ(abBuffer[4], 0xA4);
    const uint8_t abOut[3] = {1, 2, 3};
    EXPECT_EQ(commands.WriteBlock(0x00, 3, abOut), 3);
    EXPECT_EQ(controller.m_Written, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(commands.ReadDword(0x00), 0xFFFFFFFFu);
    EXPECT_EQ(commands.WriteDword(0x00, 1), 0u);

    CSMBusICCommandSet unbound(nullptr, 0, 0x69);
    EXPECT_EQ(unbound.ReadByte(0), 0xFF);
    EXPECT_EQ(unbound.ReadWord(0), 0xFFFF);
    EXPECT_EQ(unbound.ReadBlock(0, 32, abBuffer), -1);
    EXPECT_EQ(unbound.WriteByte(0, 1), 0u);
    EXPECT_EQ(unbound.WriteWord(0, 1), 0u);
    EXPECT_EQ(unbound.WriteBlock(0, 3, abOut), -1);

    CPortIOSpace ports(0x2000, 16);  // not an SMBus controller: never cast to one
    CSMBusICCommandSet wrong(&ports, 0, 0x69);
    EXPECT_EQ(wrong.ReadByte(0), 0xFF);
    EXPECT_EQ(wrong.WriteWord(0, 1), 0u);
    ORVEXSDK::Destroy();
}

TEST(SMBusCommandSetBoard, WordsReachTheChipInBusOrderThroughTheICH)
{
    chipsettest::CChipsetKit kit("demo", [](chipsettest::json& board) {
        board["smbus"] = chipsettest::json::parse(R"([{"controller": "intel-ich4", "base": "0x0400",
            "function": "00:1f.3", "devices": [{"address": "0x69", "type": "registers", "hex": "00 11 22 33 44 55"}]}])");
    });
    ASSERT_TRUE(app::CreateSMBusInterface(&kit.Kit()));
    CSMBusDevice* pDevice = kit.Kit().m_pSMBusInterface->FindSMBusDevice(0x69);
    ASSERT_NE(pDevice, nullptr);
    CSMBusICCommandSet commands(pDevice->m_pIOSpace, pDevice->m_nChannel, pDevice->m_nAddress);
    EXPECT_EQ(commands.ReadWord(0x02), 0x2233);
    sim::CSMBusBus* pBus = kit.Board().pSMBus(0);
    ASSERT_NE(pBus, nullptr);
    pBus->vClearTransfers();
    EXPECT_NE(commands.WriteWord(0x04, 0xBEEF), 0u);
    const auto transfers = pBus->Transfers();
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].eOp, sim::SMBusOp::WriteWord);
    EXPECT_EQ(transfers[0].Data, (std::vector<uint8_t>{0xBE, 0xEF}));
    EXPECT_EQ(commands.ReadByte(0x04), 0xBE);
    EXPECT_EQ(commands.ReadByte(0x05), 0xEF);
    EXPECT_EQ(commands.ReadByte(0x01), 0x11);
}
