// SPDX-License-Identifier: GPL-2.0-or-later
// The FB-DIMM memory buffer: finding the ICS 9P932, the skews of both channels in registers 8
// and 9, writing them back with the rest of the image, and the raw image writes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "PLLTestKit.h"
#include "pll/MemoryBuffer.h"
#include "pll/MemoryBufferInterface.h"
#include "sim/ClockChip.h"

namespace {

using plltest::CPLLKit;
using plltest::json;

CMemoryBufferInterface* pInterface()
{
    return static_cast<CMemoryBufferInterface*>(ORVEXSDK::Instance()->FindInterface(INTERFACE_MEMORY_BUFFER));
}

// The board's memory buffer chip (on the ESB2's own SMBus, the fifth in the board file).
const sim::CClockChip* pChip(CPLLKit& kit)
{
    return dynamic_cast<sim::CClockChip*>(kit.Board().pSMBus(4)->pTarget(0, 0x6A));
}

TEST(Membuf, FoundAndReadOnTheFBDIMMBoard)
{
    CPLLKit kit("i5000x-esb2");
    ASSERT_TRUE(kit.bReady());
    CMemoryBufferInterface* p = pInterface();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_dwType, uint32_t(INTERFACE_MEMORY_BUFFER));
    ASSERT_NE(p->m_pMemoryBuffer, nullptr);
    ICS_9P932_MemoryBuffer& buffer = *p->m_pMemoryBuffer;
    EXPECT_EQ(buffer.m_dwChipID, 0x01000932u);
    EXPECT_EQ(buffer.GetCLKINSkew(0), -1);  // unknown until read
    EXPECT_EQ(p->GetDumpSize(), 0u);
    EXPECT_EQ(buffer.bApply(), 0u);  // nothing read, nothing written

    ASSERT_EQ(buffer.bReadRegisters(), 1u);
    EXPECT_EQ(p->GetDumpSize(), 16u);
    EXPECT_EQ(p->GetDump(), buffer.m_abRegisters);
    // Register 8 = 0xC4: channel A CLKIN 12 ("450 ps"), FB-INT 4 ("150 ps"); register 9 = 0x48.
    EXPECT_EQ(buffer.GetCLKINSkew(0), 12);
    EXPECT_EQ(buffer.GetFBINTSkew(0), 4);
    EXPECT_EQ(buffer.GetCLKINSkew(1), 4);
    EXPECT_EQ(buffer.GetFBINTSkew(1), 8);
    EXPECT_EQ(buffer.GetCLKINSkew(2), -1);
    EXPECT_EQ(buffer.GetFBINTSkew(-1), -1);
}

TEST(Membuf, ApplyWritesBothChannelsWithTheImage)
{
    CPLLKit kit("i5000x-esb2");
    ASSERT_TRUE(kit.bReady());
    ASSERT_NE(pInterface(), nullptr);
    ICS_9P932_MemoryBuffer& buffer = *pInterface()->m_pMemoryBuffer;
    ASSERT_EQ(buffer.bReadRegisters(), 1u);
    EXPECT_EQ(buffer.SetCLKINSkew(1, 15), 1u);
    EXPECT_EQ(buffer.SetFBINTSkew(1, 0), 1u);
    EXPECT_EQ(buffer.SetCLKINSkew(2, 0), 0u);
    EXPECT_EQ(buffer.SetFBINTSkew(-1, 0), 0u);
    // A code that does not fit the nibble would spill into the other setting.
    EXPECT_EQ(buffer.SetFBINTSkew(0, 16), 0u);
    EXPECT_EQ(buffer.SetCLKINSkew(0, -1), 0u);
    buffer.m_abRegisters[3] = 0x5C;  // the rest of the image goes out as it stands
    kit.Transfers(0x6A, 4);
    ASSERT_EQ(buffer.bApply(), 1u);
    std::vector<sim::SMBusTransfer> transfers = kit.Transfers(0x6A, 4);
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].eOp, sim::SMBusOp::BlockWrite);
    ASSERT_EQ(transfers[0].Data.size(), 17u);  // the count, then 16 bytes
    EXPECT_EQ(transfers[0].Data[0], 16);
    EXPECT_EQ(transfers[0].Data[1 + 9], 0xF0);
    EXPECT_EQ(transfers[0].Data[1 + 8], 0xC4);  // channel A unchanged
    std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
    EXPECT_EQ(pChip(kit)->Registers()[9], 0xF0);
    EXPECT_EQ(pChip(kit)->Registers()[3], 0x5C);
}

TEST(Membuf, WriteDumpTakesAtMost63Bytes)
{
    CPLLKit kit("i5000x-esb2");
    ASSERT_TRUE(kit.bReady());
    CMemoryBufferInterface* p = pInterface();
    ASSERT_NE(p, nullptr);
    std::vector<uint8_t> bytes(64, 0x11);
    kit.Transfers(0x6A, 4);
    EXPECT_EQ(p->bWriteDump(bytes.data(), 64), 0u);
    EXPECT_TRUE(kit.Transfers(0x6A, 4).empty());
    EXPECT_EQ(p->bWriteDump(bytes.data(), 12), 1u);
    EXPECT_EQ(p->GetDumpSize(), 12u);
    std::vector<sim::SMBusTransfer> transfers = kit.Transfers(0x6A, 4);
    ASSERT_EQ(transfers.size(), 1u);  // written, not read back
    EXPECT_EQ(transfers[0].eOp, sim::SMBusOp::BlockWrite);
    std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
    EXPECT_EQ(pChip(kit)->Registers()[9], 0x11);
    EXPECT_EQ(pChip(kit)->Registers()[10], 0x21);  // the identification register is read-only
}

TEST(Membuf, OnlyTheICS9P932IsAccepted)
{
    for (const char* pszHex : {"00 00 00 00 00 00 00 00 c4 48 22 00 00 00 00 00", "00 00 00 00 00 00 00 00 c4 48"}) {
        json board = chipsettest::BoardJson("i5000x-esb2");
        json& device = plltest::SMBusDevice(board, "0x6a");
        device = {{"address", "0x6a"}, {"type", "registers"}, {"hex", pszHex}, {"block_count", 10}};
        if (std::strlen(pszHex) > 30) device["block_count"] = 16;
        CPLLKit kit(board);
        ASSERT_TRUE(kit.bReady());
        EXPECT_EQ(pInterface(), nullptr) << pszHex;
    }
    CPLLKit kit("demo");  // no memory buffer at all
    EXPECT_EQ(pInterface(), nullptr);
}

}  // namespace
