// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "KitFixture.h"
#include "kit/IOSpace.h"
#include "kit/PCIConfig.h"

namespace {

using sim::AccessKind;
using sim::AccessRecord;

std::vector<AccessRecord> PortRecords(sim::CSimBoard& board)
{
    std::vector<AccessRecord> records = board.Log().Records();
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [](const AccessRecord& r) {
                                     return r.eKind != AccessKind::PortRead && r.eKind != AccessKind::PortWrite;
                                 }),
                  records.end());
    return records;
}

class KitIOSpace : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Kit.bReady());
        m_pPCI = new CPCIIOSpace;
        ORVEXSDK::Instance()->AddIOSpace(m_pPCI);
    }
    CSimKit m_Kit;
    CPCIIOSpace* m_pPCI = nullptr;
};

TEST_F(KitIOSpace, MechanismOneAddressesTheFunctionAndPutsTheAddressPortBack)
{
    sim::CSimBoard& board = m_Kit.Board();
    ASSERT_TRUE(m_pPCI->WriteDword(0, 0x8000F840));  // somebody else left an address latched
    board.Log().vClear();

    const uint32_t dwId = m_pPCI->ReadConfig(0, 0x1F, 3, 0x02);
    EXPECT_EQ(dwId, board.dwPeekConfig(0, 0x1F, 3, 0) >> 16);

    const std::vector<AccessRecord> records = PortRecords(board);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].eKind, AccessKind::PortRead);  // keep the old address
    EXPECT_EQ(records[0].qwAddress, 0xCF8u);
    EXPECT_EQ(records[1].eKind, AccessKind::PortWrite);
    EXPECT_EQ(records[1].qwAddress, 0xCF8u);
    EXPECT_EQ(records[1].nWidth, 4u);
    EXPECT_EQ(records[1].qwValue, 0x8000FB00u);  // bus 0, device 31, function 3, offset 2 & 0xFC
    EXPECT_EQ(records[2].eKind, AccessKind::PortRead);
    EXPECT_EQ(records[2].qwAddress, 0xCFCu);
    EXPECT_EQ(records[3].eKind, AccessKind::PortWrite);
    EXPECT_EQ(records[3].qwAddress, 0xCF8u);
    EXPECT_EQ(records[3].qwValue, 0x8000F840u);  // restored
}

TEST_F(KitIOSpace, ReadConfigShiftsTheAddressedByteDown)
{
    const uint32_t dwDword = m_pPCI->ReadConfig(0, 0, 0, 0x68);
    EXPECT_EQ(m_pPCI->ReadConfig(0, 0, 0, 0x69), dwDword >> 8);
    EXPECT_EQ(m_pPCI->ReadConfig(0, 0, 0, 0x69) >> 24, 0u);
    EXPECT_EQ(m_pPCI->ReadConfig(0, 0, 0, 0) & 0xFFFF, 0x8086u);
    EXPECT_EQ(m_pPCI->ReadConfig(0, 5, 0, 0), 0xFFFFFFFFu);  // nothing at 00:05.0
}

TEST_F(KitIOSpace, UnalignedConfigWritesAreRefusedWithoutAnAccess)
{
    sim::CSimBoard& board = m_Kit.Board();
    board.Log().vClear();
    EXPECT_EQ(m_pPCI->WriteConfig(0, 0x1F, 3, 0x42, 0x12345678), 0u);
    EXPECT_TRUE(board.Log().Records().empty());

    const uint32_t dwBefore = board.dwPeekConfig(0, 0x1F, 3, 0x40);
    EXPECT_TRUE(m_pPCI->WriteConfigPart(0, 0x1F, 3, 0x41, 0xAB, 1));
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x40), (dwBefore & 0xFFFF00FF) | 0xAB00);
    EXPECT_FALSE(m_pPCI->WriteConfigPart(0, 0x1F, 3, 0x43, 0xABCD, 2));  // would cross the dword
    ASSERT_TRUE(m_pPCI->WriteConfig(0, 0x1F, 3, 0x40, 0x01020304));
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x40), 0x01020304u);
}

TEST_F(KitIOSpace, OffsetsFrom256GoToTheEnhancedSpaceWhenThereIsOne)
{
    sim::CSimBoard& board = m_Kit.Board();
    EXPECT_EQ(kit::dwReadPCIConfig(0, 0, 0, 0x100), 0xFFFFFFFFu);  // none registered yet
    EXPECT_EQ(kit::bWritePCIConfig(0, 0, 0, 0x100, 1), 0u);

    ASSERT_NE(board.qwEnhancedConfigBase(), 0u);
    auto* pExpress = new CPCIExpressIOSpace(static_cast<uint32_t>(board.qwEnhancedConfigBase()));
    ORVEXSDK::Instance()->AddIOSpace(pExpress);
    EXPECT_EQ(kit::FindPCIExpressSpace(), pExpress);
    board.Log().vClear();
    ASSERT_TRUE(kit::bWritePCIConfig(0, 0x1F, 3, 0x104, 0xCAFEF00D));
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x104), 0xCAFEF00Du);
    EXPECT_EQ(kit::dwReadPCIConfig(0, 0x1F, 3, 0x106), 0xCAFEu);
    for (const AccessRecord& r : board.Log().Records()) {
        EXPECT_NE(r.eKind, AccessKind::PortWrite);  // no port of mechanism #1 was touched
        if (r.eKind == AccessKind::MemoryWrite) {
            EXPECT_EQ(r.qwAddress, board.qwEnhancedConfigBase() + (0x1Fu << 15 | 3u << 12 | 0x104));
        }
    }
    // Below 256 the ports still serve, and both ways agree.
    EXPECT_EQ(kit::dwReadPCIConfig(0, 0x1F, 3, 0), pExpress->ReadConfig(0, 0x1F, 3, 0));
}

TEST_F(KitIOSpace, MemoryByteWritesRewriteTheWholeDwordAndWordsAreNotSupported)
{
    sim::CSimBoard& board = m_Kit.Board();
    CMemoryIOSpace memory(0x1000, 0x100);
    ASSERT_TRUE(memory.WriteDword(0x10, 0x44332211));
    board.Log().vClear();
    EXPECT_TRUE(memory.WriteByte(0x10, 0xAA));
    EXPECT_EQ(memory.ReadDword(0x10), 0x443322AAu);
    EXPECT_EQ(memory.ReadByte(0x11), 0x22);  // memory holds AA 22 33 44

    const std::vector<AccessRecord> records = board.Log().Records();
    const auto write = std::find_if(records.begin(), records.end(),
                                    [](const AccessRecord& r) { return r.eKind == AccessKind::MemoryWrite; });
    ASSERT_NE(write, records.end());
    EXPECT_EQ(write->qwAddress, 0x1010u);
    EXPECT_EQ(write->qwValue, 0x443322AAu);  // the three bytes above written back as read

    EXPECT_EQ(memory.ReadWord(0x10), 0);  // even though the memory is there
    EXPECT_TRUE(memory.WriteWord(0x10, 0xBEEF));
    EXPECT_EQ(memory.ReadDword(0x10), 0x443322AAu);
}

TEST_F(KitIOSpace, ReadsOnAClosedDeviceGiveAllOnes)
{
    CPortIOSpace ports(0x800, 0x80);
    m_Kit.Driver().vCloseDevice();
    EXPECT_EQ(ports.ReadByte(8), 0xFF);
    EXPECT_EQ(ports.ReadWord(8), 0xFFFF);
    EXPECT_EQ(ports.ReadDword(8), 0xFFFFFFFFu);
    EXPECT_EQ(ports.WriteByte(0, 1), 0u);
    EXPECT_EQ(m_pPCI->ReadConfig(0, 0, 0, 0), 0xFFFFFFFFu);
    CMemoryIOSpace memory(0x1000, 0x100);
    EXPECT_EQ(memory.ReadDword(0), 0xFFFFFFFFu);
    EXPECT_EQ(memory.ReadByte(0), 0xFF);
    EXPECT_TRUE(memory.WriteDword(0, 1));  // memory writes report success whatever happens
}

TEST_F(KitIOSpace, RequestsExecuteOnlyReadAndWriteDword)
{
    CPCIRequest request;
    request.m_dwOperation = 0x31;  // only the low four bits count
    request.m_dwBus = 0;
    request.m_dwDevice = 0x1F;
    request.m_dwFunction = 3;
    request.m_dwOffset = 0;
    EXPECT_TRUE(m_pPCI->Execute(&request));
    EXPECT_EQ(request.m_dwValue, m_Kit.Board().dwPeekConfig(0, 0x1F, 3, 0));
    request.m_dwOperation = 3;
    EXPECT_FALSE(m_pPCI->Execute(&request));
    request.m_dwOperation = 2;
    request.m_dwOffset = 0x42;
    EXPECT_FALSE(m_pPCI->Execute(&request));  // the unaligned write is refused

    CMemoryRequest memoryRequest;
    CMemoryIOSpace memory(0x2000, 0x100);
    memoryRequest.m_dwOperation = 2;
    memoryRequest.m_dwOffset = 4;
    memoryRequest.m_dwValue = 0x12345678;
    EXPECT_TRUE(memory.Execute(&memoryRequest));
    memoryRequest.m_dwOperation = 1;
    memoryRequest.m_dwValue = 0;
    EXPECT_TRUE(memory.Execute(&memoryRequest));
    EXPECT_EQ(memoryRequest.m_dwValue, 0x12345678u);
    CPortIOSpace ports(0x80, 1);
    EXPECT_TRUE(ports.Execute(nullptr) == 1);
    CPCIExpressIOSpace express(0xF0000000);
    EXPECT_FALSE(express.Execute(&memoryRequest));
}

TEST_F(KitIOSpace, AtiIndexDataPairOpensWritesWithBit8)
{
    // The index register at 0x48 and its data register at 0x4C of the SMBus function stand
    // in for the bridge's pair: only the configuration accesses are checked here.
    ATI_MC_IOSpace indirect(m_pPCI, 0x0000FB48);
    EXPECT_EQ(indirect.m_dwDevice, 0x1Fu);
    EXPECT_EQ(indirect.m_dwFunction, 3u);
    EXPECT_EQ(indirect.m_dwDataRegister, 0x4Cu);
    ASSERT_TRUE(indirect.WriteDword(0x60, 0xDEADBEEF));
    EXPECT_EQ(m_Kit.Board().dwPeekConfig(0, 0x1F, 3, 0x48), 0x160u);
    EXPECT_EQ(m_Kit.Board().dwPeekConfig(0, 0x1F, 3, 0x4C), 0xDEADBEEFu);
    EXPECT_EQ(indirect.ReadDword(0x60), 0xDEADBEEFu);
    EXPECT_EQ(m_Kit.Board().dwPeekConfig(0, 0x1F, 3, 0x48), 0x60u);
    EXPECT_EQ(indirect.ReadByte(0), 0xFF);
    EXPECT_EQ(indirect.WriteWord(0, 1), 0u);
}

}  // namespace
