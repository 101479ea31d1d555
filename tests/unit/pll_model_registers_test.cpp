// SPDX-License-Identifier: GPL-2.0-or-later
// Moving the register image: block and word transfers through the IC command set, what a
// failed transfer leaves behind, and the byte order of word transfers on a real bus.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "PLLTestKit.h"
#include "pll/ClockGenerator.h"
#include "sim/ClockChip.h"
#include "smbus/ICCommandSet.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusIOSpace.h"
#include "smbus/SMBusInterface.h"

namespace {

// A command set that answers from a table and notes every write.
class CScriptedCommandSet : public CICCommandSet {
public:
    uint16_t ReadWord(uint8_t bCommand) override
    {
        m_ReadCommands.push_back(bCommand);
        return m_Words[bCommand];
    }
    int32_t ReadBlock(uint8_t, int32_t, uint8_t* pBuffer) override
    {
        for (size_t i = 0; i < m_Block.size(); ++i) pBuffer[i] = m_Block[i];
        return m_nBlockResult;
    }
    uint32_t WriteWord(uint8_t bCommand, uint16_t wValue) override
    {
        if (m_WordWrites.size() == m_nFailWordWriteAt) return 0;
        m_WordWrites.push_back({bCommand, wValue});
        return 1;
    }
    int32_t WriteBlock(uint8_t bCommand, int32_t nCount, const uint8_t* pBuffer) override
    {
        m_BlockWrites.push_back(std::vector<uint8_t>(pBuffer, pBuffer + nCount));
        m_BlockCommands.push_back(bCommand);
        return m_nBlockWriteResult < 0 ? nCount : m_nBlockWriteResult;
    }

    std::array<uint16_t, 256> m_Words{};
    std::vector<uint8_t> m_Block;
    int32_t m_nBlockResult = 0;
    int32_t m_nBlockWriteResult = -1;  // -1: all written
    size_t m_nFailWordWriteAt = 1000;
    std::vector<uint8_t> m_ReadCommands;
    std::vector<std::pair<uint8_t, uint16_t>> m_WordWrites;
    std::vector<std::vector<uint8_t>> m_BlockWrites;
    std::vector<uint8_t> m_BlockCommands;
};

TEST(PLLModelRegisters, BlockTransfersAndWhatAFailureLeaves)
{
    CScriptedCommandSet commands;
    CClockGenerator generator;
    generator.m_pCommandSet = &commands;
    commands.m_Block = {0x11, 0x22, 0x33};
    commands.m_nBlockResult = 3;
    CFrequencySet set;
    ASSERT_EQ(generator.bReadClocks(set), 1u);
    EXPECT_EQ(generator.m_nRegisterCount, 3);
    EXPECT_FALSE(set.bIsValid());  // the bare driver decodes nothing
    // A read that brings nothing (0, or -1 from a failed transfer) leaves image and count.
    for (int32_t nResult : {0, -1}) {
        commands.m_Block = {0x99, 0x99};
        commands.m_nBlockResult = nResult;
        EXPECT_EQ(generator.bReadClocks(set), 0u);
        EXPECT_EQ(generator.m_nRegisterCount, 3);
        EXPECT_EQ(generator.m_abRegisters[0], 0x11);
    }

    generator.m_abRegisters[1] = 0x44;
    EXPECT_EQ(generator.bWriteRegisters(0), 1u);
    ASSERT_EQ(commands.m_BlockWrites.size(), 1u);
    EXPECT_EQ(commands.m_BlockCommands[0], 0);
    EXPECT_EQ(commands.m_BlockWrites[0], (std::vector<uint8_t>{0x11, 0x44, 0x33}));
    commands.m_nBlockWriteResult = 2;  // a short write fails
    EXPECT_EQ(generator.bWriteRegisters(0), 0u);
    generator.m_nRegisterCount = 0;  // nothing to write: no transfer at all
    EXPECT_EQ(generator.bWriteRegisters(0), 0u);
    EXPECT_EQ(commands.m_BlockWrites.size(), 2u);
}

TEST(PLLModelRegisters, WordMethodsUseRegisterCommandsAndTheLowByte)
{
    for (int32_t nMethod : {ACCESS_WORD, ACCESS_WORD_HIGH}) {
        const uint8_t bHigh = nMethod == ACCESS_WORD_HIGH ? 0x80 : 0x00;
        CScriptedCommandSet commands;
        commands.m_Words.fill(0xFFFF);
        for (unsigned i = 0; i < 5; ++i) commands.m_Words[i | bHigh] = uint16_t(0xA500 + 0x10 + i);
        CClockGenerator generator;
        generator.m_pCommandSet = &commands;
        generator.m_nAccessMethod = nMethod;
        CFrequencySet set;
        ASSERT_EQ(generator.bReadClocks(set), 1u);
        EXPECT_EQ(generator.m_nRegisterCount, 5);  // stops at the first 0xFFFF
        EXPECT_EQ(commands.m_ReadCommands.back(), uint8_t(5 | bHigh));
        EXPECT_EQ(generator.m_abRegisters[4], 0x14);

        EXPECT_EQ(generator.bWriteRegisters(0), 1u);
        ASSERT_EQ(commands.m_WordWrites.size(), 5u);
        EXPECT_EQ(commands.m_WordWrites[3], (std::pair<uint8_t, uint16_t>{uint8_t(3 | bHigh), 0x0013}));

        // A failed word write ends the write, which then fails.
        commands.m_WordWrites.clear();
        commands.m_nFailWordWriteAt = 2;
        EXPECT_EQ(generator.bWriteRegisters(0), 0u);
        EXPECT_EQ(commands.m_WordWrites.size(), 2u);
    }
}

// A part that takes word transfers as the Realtek ones do, with a high byte that is not zero
// so that a swapped word would show.
class CWordChip : public sim::CClockChip {
public:
    static sim::ClockChipTraits Traits()
    {
        sim::ClockChipTraits traits;
        traits.nFixedCount = 8;
        traits.bWordAccess = true;
        traits.bWordCommandMask = 0x7F;
        traits.bWordHighByte = 0x5A;
        return traits;
    }
    explicit CWordChip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial) {}
    double dFSBMHz() const override { return -1.0; }
};

TEST(PLLModelRegisters, WordByteOrderOnTheBus)
{
    plltest::CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    std::array<uint8_t, 256> initial{};
    for (unsigned i = 0; i < 6; ++i) initial[i] = uint8_t(0x30 + i);
    for (unsigned i = 6; i < 256; ++i) initial[i] = 0xFF;  // reads 0x5AFF: not the end marker
    CWordChip* pChip = nullptr;
    {
        std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
        auto pNew = std::make_unique<CWordChip>(initial);
        pChip = pNew.get();
        std::string strWhy;
        ASSERT_TRUE(kit.Board().pSMBus(0)->bAttach(0, 0x6B, std::move(pNew), strWhy)) << strWhy;
    }
    CSMBusDevice* pDevice = ORVEXSDK::Instance()->m_pSMBusInterface->FindSMBusDevice(0x6B);
    ASSERT_NE(pDevice, nullptr);
    CSMBusICCommandSet commands(pDevice->m_pIOSpace, pDevice->m_nChannel, pDevice->m_nAddress);
    EXPECT_EQ(commands.ReadWord(2), 0x5A32);

    CClockGenerator generator;
    generator.m_pCommandSet = &commands;
    generator.m_nAccessMethod = ACCESS_WORD_HIGH;
    CFrequencySet set;
    ASSERT_EQ(generator.bReadClocks(set), 1u);
    EXPECT_EQ(generator.m_nRegisterCount, 64);
    EXPECT_EQ(generator.m_abRegisters[5], 0x35);
    generator.m_abRegisters[3] = 0xC7;
    generator.m_nRegisterCount = 6;
    EXPECT_EQ(generator.bWriteRegisters(0), 1u);
    std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
    EXPECT_EQ(pChip->Registers()[3], 0xC7);  // the second byte on the bus is the register
    EXPECT_EQ(pChip->Registers()[0x83], 0xFF);  // the top bit of the command selects no other register
}

}  // namespace
