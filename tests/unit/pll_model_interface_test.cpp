// SPDX-License-Identifier: GPL-2.0-or-later
// The clock generator interface: finding the chip at start, selecting a model, the raw
// register image written and read back, and the model tables.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "PLLTestKit.h"
#include "app/InterfaceCreation.h"
#include "platform/NamedMutex.h"
#include "pll/ClockGenerator.h"
#include "pll/MemoryBufferInterface.h"
#include "pll/PLLModels.h"
#include "smbus/ICCommandSet.h"

namespace {

using plltest::CPLLKit;
using plltest::json;

size_t nCount(const std::vector<sim::SMBusTransfer>& transfers, sim::SMBusOp eOp)
{
    size_t n = 0;
    for (const sim::SMBusTransfer& transfer : transfers) n += transfer.eOp == eOp;
    return n;
}

TEST(PLLModelInterface, SMBusChipIsBoundWithoutADriver)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    CPLLInterface* pPLL = kit.pPLL();
    ASSERT_NE(pPLL, nullptr);
    EXPECT_EQ(ORVEXSDK::Instance()->FindInterface(INTERFACE_PLL), pPLL);
    EXPECT_EQ(pPLL->m_dwType, uint32_t(INTERFACE_PLL));
    EXPECT_NE(pPLL->m_pCommandSet, nullptr);
    EXPECT_EQ(pPLL->m_pPLL, nullptr);
    EXPECT_EQ(pPLL->GetDump(), nullptr);
    EXPECT_EQ(pPLL->GetDumpSize(), 0u);
    const uint8_t abBytes[2] = {1, 2};
    EXPECT_EQ(pPLL->bWriteDump(abBytes, 2), 0u);
    EXPECT_TRUE(pPLL->Lock(2000));
    pPLL->Unlock();
}

TEST(PLLModelInterface, SelectingModels)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    CPLLInterface* pPLL = kit.pPLL();
    ASSERT_NE(pPLL, nullptr);
    CClockGenerator* pBare = pPLL->SelectPLL(PLL_ID_NOT_SPECIFIED);
    ASSERT_NE(pBare, nullptr);
    EXPECT_EQ(pPLL->m_pPLL, pBare);
    EXPECT_EQ(pBare->m_pCommandSet, pPLL->m_pCommandSet);
    EXPECT_EQ(pBare->m_dwPLLID, 0u);
    ASSERT_EQ(pBare->bReadClocks(pBare->m_Current), 1u);
    EXPECT_EQ(pPLL->GetDumpSize(), 9u);  // the chip's byte count at power-on
    EXPECT_EQ(pPLL->GetDump(), pBare->m_abRegisters);

    // An id in neither table: no driver, and the previous one is gone.
    EXPECT_EQ(pPLL->SelectPLL(0x01999999), nullptr);
    EXPECT_EQ(pPLL->m_pPLL, nullptr);
    EXPECT_EQ(pPLL->GetDump(), nullptr);
    EXPECT_EQ(pPLL->SelectPLL(PLL_ID_END), nullptr);
}

TEST(PLLModelInterface, WriteDumpWritesWaitsAndReadsBack)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    CPLLInterface* pPLL = kit.pPLL();
    ASSERT_NE(pPLL, nullptr);
    ASSERT_NE(pPLL->SelectPLL(PLL_ID_NOT_SPECIFIED), nullptr);
    kit.Transfers(0x69);

    // 256 bytes: nothing is written, the chip is still read.
    std::vector<uint8_t> big(256, 0x15);
    EXPECT_EQ(pPLL->bWriteDump(big.data(), 256), 1u);
    std::vector<sim::SMBusTransfer> transfers = kit.Transfers(0x69);
    EXPECT_EQ(nCount(transfers, sim::SMBusOp::BlockWrite), 0u);
    EXPECT_EQ(nCount(transfers, sim::SMBusOp::BlockRead), 1u);
    EXPECT_EQ(pPLL->GetDumpSize(), 9u);

    // Nine bytes asking the chip for 21: written, and the re-read brings 21.
    std::vector<uint8_t> image = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 21};
    const uint64_t qwBefore = kit.Board().Clock().qwNanoseconds();
    EXPECT_EQ(pPLL->bWriteDump(image.data(), uint32_t(image.size())), 1u);
    transfers = kit.Transfers(0x69);
    ASSERT_EQ(nCount(transfers, sim::SMBusOp::BlockWrite), 1u);
    EXPECT_EQ(transfers[0].eOp, sim::SMBusOp::BlockWrite);
    EXPECT_EQ(pPLL->GetDumpSize(), 21u);
    // The write's settle time and the wait before the read both pass on the board.
    EXPECT_GE(kit.Board().Clock().qwNanoseconds() - qwBefore, 400000000u);
}

// A command set whose block writes are never acknowledged; reads go to the chip.
class CRefusedWrites : public CSMBusICCommandSet {
public:
    using CSMBusICCommandSet::CSMBusICCommandSet;
    int32_t WriteBlock(uint8_t, int32_t, const uint8_t*) override { return -1; }
};

TEST(PLLModelInterface, WriteDumpReportsAFailedWrite)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    CPLLInterface* pPLL = kit.pPLL();
    ASSERT_NE(pPLL, nullptr);
    auto* pBound = static_cast<CSMBusICCommandSet*>(pPLL->m_pCommandSet);
    pPLL->m_pCommandSet = new CRefusedWrites(pBound->m_pIOSpace, pBound->m_nChannel, pBound->m_nAddress);
    delete pBound;
    ASSERT_NE(pPLL->SelectPLL(PLL_ID_NOT_SPECIFIED), nullptr);
    kit.Transfers(0x69);
    const uint8_t abImage[9] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 21};
    EXPECT_EQ(pPLL->bWriteDump(abImage, 9), 0u);
    // The chip is read back all the same.
    EXPECT_EQ(nCount(kit.Transfers(0x69), sim::SMBusOp::BlockRead), 1u);
    EXPECT_EQ(pPLL->GetDumpSize(), 9u);
}

TEST(PLLModelInterface, ChipsetPLLWinsOverTheSMBusChip)
{
    json board = chipsettest::BoardJson("demo");
    chipsettest::PciEntry(board, "00:00.0")["id"] = "10de:01e0";
    CPLLKit kit(board);
    ASSERT_TRUE(kit.bReady());
    CPLLInterface* pPLL = kit.pPLL();
    ASSERT_NE(pPLL, nullptr);
    ASSERT_NE(pPLL->m_pPLL, nullptr);
    EXPECT_EQ(pPLL->m_pPLL->m_dwPLLID, 0x10000020u);
    EXPECT_EQ(pPLL->m_pCommandSet, nullptr);  // the chip at 0x69 is not used
    EXPECT_EQ(kit.Transfers(0x69).size(), 0u);
}

TEST(PLLModelInterface, NoChipNoInterface)
{
    json board = chipsettest::BoardJson("demo");
    json& devices = board["smbus"][0]["devices"];
    for (size_t i = 0; i < devices.size(); ++i)
        if (devices[i]["address"] == "0x69") devices.erase(i);
    CPLLKit kit(board);
    ASSERT_TRUE(kit.bReady());
    EXPECT_EQ(kit.pPLL(), nullptr);
    EXPECT_EQ(ORVEXSDK::Instance()->FindInterface(INTERFACE_PLL), nullptr);
}

TEST(PLLModelInterface, AFailedInitLeavesNoLockOpen)
{
    // No clock chip at 0x69 and no memory buffer at 0x6A: both interfaces fail to start.
    json board = chipsettest::BoardJson("demo");
    json& devices = board["smbus"][0]["devices"];
    for (size_t i = devices.size(); i-- > 0;)
        if (devices[i]["address"] == "0x69") devices.erase(i);
    CPLLKit kit(board);
    ASSERT_TRUE(kit.bReady());
    ASSERT_EQ(kit.pPLL(), nullptr);
    const size_t nOpen = platform::nOpenMutexHandles();
    for (int i = 0; i < 3; ++i) {
        CPLLInterface pll;
        EXPECT_EQ(pll.Init(), 0u);
        EXPECT_EQ(pll.m_hMutex, nullptr);
        CMemoryBufferInterface buffer;
        EXPECT_EQ(buffer.Init(), 0u);
        EXPECT_EQ(buffer.m_hMutex, nullptr);
        // As the kit starts them: made, failed and destroyed.
        EXPECT_EQ(app::CreatePLLInterface(ORVEXSDK::Instance()), 0u);
        EXPECT_EQ(CreateMemoryBufferInterface(ORVEXSDK::Instance()), 0u);
    }
    EXPECT_EQ(platform::nOpenMutexHandles(), nOpen);
}

TEST(PLLModelInterface, TheLockIsClosedWithTheInterface)
{
    CPLLKit kit("demo");
    ASSERT_TRUE(kit.bReady());
    const size_t nOpen = platform::nOpenMutexHandles();
    {
        CPLLInterface pll;
        ASSERT_EQ(pll.Init(), 1u);
        ASSERT_NE(pll.m_hMutex, nullptr);
        EXPECT_EQ(platform::nOpenMutexHandles(), nOpen + 1);
    }
    EXPECT_EQ(platform::nOpenMutexHandles(), nOpen);
}

TEST(PLLModelTables, EveryDriverIsMadeForItsOwnId)
{
    size_t nNotSpecified = 0;
    for (const PLL_ENTRY* pTable : {g_SMBusPLLTable, g_ChipsetPLLTable}) {
        for (const PLL_ENTRY* p = pTable; p->dwID != PLL_ID_END; ++p) {
            std::unique_ptr<CClockGenerator> pDriver(pCreateClockGenerator(p->dwID));
            if (!pDriver) continue;
            EXPECT_EQ(pDriver->m_dwPLLID, p->dwID) << std::hex << p->dwID;
            nNotSpecified += p->dwID == PLL_ID_NOT_SPECIFIED;
        }
    }
    EXPECT_EQ(nNotSpecified, 1u);
    EXPECT_EQ(pCreateClockGenerator(0x01999999), nullptr);
    EXPECT_STREQ(pszPLLName(0x10000035), "NVIDIA nForce3");
    EXPECT_EQ(pszPLLName(PLL_ID_END), nullptr);
}

}  // namespace
