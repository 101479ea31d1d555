// SPDX-License-Identifier: GPL-2.0-or-later
// The VIA, ATI, SiS, ALi, nVidia, AMD and Intel 5000X controller classes against their
// emulated host controllers: transfers of every kind a class runs, the failures of an
// address nobody answers and of a collision, block edges, and what each family does its own
// way (SiS chunks, the nForce done bit, the 5000X slots and its refusal of other addresses).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>

#include "KitFixture.h"
#include "SMBusOthersBoard.h"
#include "kit/IOSpace.h"
#include "platform/NamedMutex.h"
#include "sim/SMBusTargets.h"
#include "smbus/SMBusControllers.h"

namespace {

using namespace smbustest;

struct OthersCase {
    const char* pszName;
    uint16_t wBase;
    size_t nBus;
    std::function<CSMBusIOSpace*(uint16_t)> fnCreate;
    bool bWordRead, bWordWrite, bBlock;
    bool bWriteReportsNoAnswer;  // the ICH1 byte-write sequence does not report device errors
    int32_t nCountZeroResult;    // what a block read of a device that reports count 0 returns
};

void PrintTo(const OthersCase& c, std::ostream* pOut) { *pOut << c.pszName; }

class SMBusOthers : public ::testing::TestWithParam<OthersCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Kit.bReady());
        m_pController.reset(GetParam().fnCreate(GetParam().wBase));
    }
    sim::CSMBusBus& Bus() { return *m_Kit.Board().pSMBus(GetParam().nBus); }
    sim::CRegisterFile& Registers(uint8_t nAddress)
    {
        return *static_cast<sim::CRegisterFile*>(Bus().pTarget(0, nAddress));
    }
    uint8_t bDeviceRegister(uint8_t nAddress, uint8_t bCommand)
    {
        std::lock_guard<std::mutex> lock(m_Kit.Board().AccessMutex());
        return Registers(nAddress).m_Registers[bCommand];
    }

    CSMBusKit m_Kit{strOthersBoardText()};
    std::unique_ptr<CSMBusIOSpace> m_pController;
};

TEST_P(SMBusOthers, ByteTransfersReachTheDevice)
{
    CSMBusIOSpace& c = *m_pController;
    EXPECT_EQ(c.m_dwType, 0x1000004u);
    EXPECT_EQ(c.m_nTimeout, 200);

    uint8_t b = 0;
    ASSERT_EQ(c.SMBusReadByte(0, REGS, 0x10, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 0x10);
    ASSERT_EQ(c.SMBusReadByte(0, SPD, 2, b), 1u);
    EXPECT_EQ(b, 0x08) << "memory type byte of a DDR2 SPD";

    ASSERT_EQ(c.SMBusWriteByte(0, REGS, 0x20, 0xA5), 1u);
    EXPECT_EQ(bDeviceRegister(REGS, 0x20), 0xA5);
    EXPECT_EQ(bDeviceRegister(REGS, 0x21), REGS_FIRST + 0x21) << "a byte write touches one register";
    ASSERT_EQ(c.SMBusReadByte(0, REGS, 0x20, b), 1u);
    EXPECT_EQ(b, 0xA5);
}

TEST_P(SMBusOthers, WordTransfersKeepBusOrderOrAreRefused)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t b0 = 0xEE, b1 = 0xEE;
    m_Kit.vClearRecords();
    Bus().vClearTransfers();
    if (GetParam().bWordRead) {
        ASSERT_EQ(c.SMBusReadWord(0, REGS, 0x30, b0, b1), 1u);
        EXPECT_EQ(b0, REGS_FIRST + 0x30);
        EXPECT_EQ(b1, REGS_FIRST + 0x31);
    } else {
        EXPECT_EQ(c.SMBusReadWord(0, REGS, 0x30, b0, b1), 0u);
    }
    if (GetParam().bWordWrite) {
        ASSERT_EQ(c.SMBusWriteWord(0, REGS, 0x40, 0x12, 0x34), 1u);
        EXPECT_EQ(bDeviceRegister(REGS, 0x40), 0x12);
        EXPECT_EQ(bDeviceRegister(REGS, 0x41), 0x34);
    } else {
        EXPECT_EQ(c.SMBusWriteWord(0, REGS, 0x40, 0x12, 0x34), 0u);
        EXPECT_EQ(bDeviceRegister(REGS, 0x40), REGS_FIRST + 0x40);
    }
    if (!GetParam().bWordRead && !GetParam().bWordWrite) {
        EXPECT_TRUE(Bus().Transfers().empty()) << "an unsupported transaction puts nothing on the wire";
    }
}

TEST_P(SMBusOthers, BlockTransfersMoveTheBlockOrAreRefused)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t buffer[32] = {};
    const uint8_t data[20] = {0x01, 0x12, 0x23, 0x34, 0x45, 0x56, 0x67, 0x78, 0x89, 0x9A,
                              0xAB, 0xBC, 0xCD, 0xDE, 0xEF, 0xF0, 0x0F, 0x1E, 0x2D, 0x3C};
    if (!GetParam().bBlock) {
        EXPECT_EQ(c.SMBusBlockRead(0, REGS, 0x10, buffer), -1);
        EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0x80, data, 20), -1);
        return;
    }
    ASSERT_EQ(c.SMBusBlockRead(0, REGS, 0x10, buffer), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(buffer[i], REGS_FIRST + 0x10 + i) << i;

    ASSERT_EQ(c.SMBusBlockWrite(0, REGS, 0x80, data, 20), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(bDeviceRegister(REGS, uint8_t(0x80 + i)), data[i]) << i;
    const std::vector<sim::SMBusTransfer> transfers = Bus().Transfers();
    ASSERT_FALSE(transfers.empty());
    EXPECT_EQ(transfers.back().eOp, sim::SMBusOp::BlockWrite);
    EXPECT_EQ(transfers.back().Data.front(), 20) << "the count byte goes first";

    // A device reporting 40 bytes: 32 are stored. One reporting 0: the family's answer.
    std::fill(std::begin(buffer), std::end(buffer), 0);
    EXPECT_EQ(c.SMBusBlockRead(0, COUNT_40, 0, buffer), 32);
    EXPECT_EQ(buffer[31], REGS_FIRST + 31);
    EXPECT_EQ(c.SMBusBlockRead(0, COUNT_0, 0, buffer), GetParam().nCountZeroResult);
    uint8_t b = 0;
    EXPECT_EQ(c.SMBusReadByte(0, REGS, 1, b), 1u) << "the controller is usable after a cut-short block";
    EXPECT_EQ(b, REGS_FIRST + 1);

    // Blocks the bus cannot carry are refused before anything starts.
    Bus().vClearTransfers();
    uint8_t big[40] = {};
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0x80, big, 40), 0);
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0x80, data, 0), 0);
    EXPECT_TRUE(Bus().Transfers().empty());
}

TEST_P(SMBusOthers, AnAddressNobodyAnswersFailsAndTheNextTransferWorks)
{
    CSMBusIOSpace& c = *m_pController;
    for (uint8_t nAddress : {EMPTY, SILENT}) {
        uint8_t b = 0x5A;
        EXPECT_EQ(c.SMBusReadByte(0, nAddress, 0, b), 0u) << int(nAddress);
        EXPECT_EQ(b, 0) << "the out byte of a failed probe is 0";
        if (GetParam().bWriteReportsNoAnswer) {
            EXPECT_EQ(c.SMBusWriteByte(0, nAddress, 0, 1), 0u) << int(nAddress);
        }
        ASSERT_EQ(c.SMBusReadByte(0, REGS, 0x05, b), 1u);
        EXPECT_EQ(b, REGS_FIRST + 5);
    }
    if (GetParam().bBlock) {
        uint8_t buffer[32];
        const uint8_t data[4] = {1, 2, 3, 4};
        EXPECT_EQ(c.SMBusBlockRead(0, EMPTY, 0, buffer), 0);
        EXPECT_EQ(c.SMBusBlockWrite(0, EMPTY, 0, data, 4), 0);
    }
}

TEST_P(SMBusOthers, ALostArbitrationFailsAndTheHostRecovers)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t b = 0x5A;
    EXPECT_EQ(c.SMBusReadByte(0, COLLIDES, 0, b), 0u);
    ASSERT_EQ(c.SMBusReadByte(0, REGS, 0x06, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 6);
}

TEST_P(SMBusOthers, TheTransactionReleasesTheControllerLock)
{
    uint8_t b = 0;
    ASSERT_EQ(m_pController->SMBusReadByte(0, REGS, 0, b), 1u);
    uint32_t dwWait = 0;
    std::thread other([&] {
        platform::HMUTEX h = platform::CreateMutexA(false, SMBUS_CONTROLLER_MUTEX);
        dwWait = platform::WaitForSingleObject(h, 0);
        if (dwWait == platform::WAIT_OBJECT_0)
            platform::ReleaseMutex(h);
        platform::CloseHandle(h);
    });
    other.join();
    EXPECT_EQ(dwWait, platform::WAIT_OBJECT_0);
}

template <typename T>
CSMBusIOSpace* pMake(uint16_t wBase)
{
    return new T(wBase);
}

INSTANTIATE_TEST_SUITE_P(
    Families, SMBusOthers,
    ::testing::Values(OthersCase{"VIA", VIA_BASE, 0, pMake<VIA_VT82_SMBusIOSpace>, true, true, true, false, 0},
                      OthersCase{"ATI", ATI_BASE, 1, pMake<ATI_SB_SMBusIOSpace>, true, true, true, false, 0},
                      OthersCase{"SiS", SIS_BASE, 2, pMake<SiS_SMBusIOSpace>, true, true, true, true, 0},
                      OthersCase{"ALiM1563", M1563_BASE, 3, pMake<ALI_M1563_SMBusIOSpace>, true, true, true, true, 1},
                      OthersCase{"ALiM7101", M7101_BASE, 4, pMake<ALI_M7101_SMBusIOSpace>, false, false, false, true, 0},
                      OthersCase{"nVidia", NFORCE_BASE, 5, pMake<nVidia_SMBusIOSpace>, false, false, false, true, 0},
                      OthersCase{"AMD756", AMD_BASE, 6, pMake<AMD_AM755_SMBusIOSpace>, true, false, false, true, 0}),
    [](const ::testing::TestParamInfo<OthersCase>& info) { return std::string(info.param.pszName); });

// Family-specific behaviour, on the same board.
class SMBusOthersFamily : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Kit.bReady()); }
    void vSetBlockCount(size_t nBus, uint8_t nAddress, uint8_t nCount)
    {
        std::lock_guard<std::mutex> lock(m_Kit.Board().AccessMutex());
        static_cast<sim::CRegisterFile*>(m_Kit.Board().pSMBus(nBus)->pTarget(0, nAddress))->m_nBlockCount = nCount;
    }
    size_t nCount(uint16_t wBase, bool bWrite, unsigned nRegister, int nValue = -1)
    {
        auto accesses = m_Kit.Accesses(wBase);
        return size_t(std::count_if(accesses.begin(), accesses.end(), [&](const RegisterAccess& a) {
            return a.bWrite == bWrite && a.nRegister == nRegister && (nValue < 0 || a.bValue == nValue);
        }));
    }

    CSMBusKit m_Kit{strOthersBoardText()};
};

TEST_F(SMBusOthersFamily, SiSBlocksPassThroughTheDataRegistersEightBytesAtATime)
{
    SiS_SMBusIOSpace sis(SIS_BASE);
    vSetBlockCount(2, REGS, 20);
    uint8_t buffer[32] = {};
    m_Kit.vClearRecords();
    ASSERT_EQ(sis.SMBusBlockRead(0, REGS, 0x00, buffer), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(buffer[i], REGS_FIRST + i) << i;
    size_t nDataReads = 0;
    for (unsigned r = 0x08; r <= 0x0F; ++r)
        nDataReads += nCount(SIS_BASE, false, r);
    EXPECT_EQ(nDataReads, 20u);
    EXPECT_EQ(nCount(SIS_BASE, true, 0x00, 0x10), 3u) << "three chunks: 8, 8 and 4 bytes, each released";
    EXPECT_EQ(nCount(SIS_BASE, false, 0x0C), 2u) << "the last chunk holds four bytes";

    uint8_t data[20];
    for (int i = 0; i < 20; ++i)
        data[i] = uint8_t(0xC0 + i);
    m_Kit.vClearRecords();
    ASSERT_EQ(sis.SMBusBlockWrite(0, REGS, 0x90, data, 20), 20);
    size_t nDataWrites = 0;
    for (unsigned r = 0x08; r <= 0x0F; ++r)
        nDataWrites += nCount(SIS_BASE, true, r);
    EXPECT_EQ(nDataWrites, 20u);
    EXPECT_EQ(nCount(SIS_BASE, true, 0x00, 0x10), 2u) << "the second and third chunks are handed over on request";
    std::lock_guard<std::mutex> lock(m_Kit.Board().AccessMutex());
    auto* pRegs = static_cast<sim::CRegisterFile*>(m_Kit.Board().pSMBus(2)->pTarget(0, REGS));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(pRegs->m_Registers[0x90 + i], data[i]) << i;
}

TEST_F(SMBusOthersFamily, SiSBlockReadWaitsFiftyMillisecondsBeforeItsFirstPoll)
{
    SiS_SMBusIOSpace sis(SIS_BASE);
    uint8_t buffer[32];
    m_Kit.vClearRecords();
    ASSERT_EQ(sis.SMBusBlockRead(0, REGS, 0, buffer), 8);
    ASSERT_FALSE(m_Kit.Clock().m_Sleeps.empty());
    EXPECT_EQ(m_Kit.Clock().m_Sleeps.front().qwMicroseconds, 50000u);
}

TEST_F(SMBusOthersFamily, NForceTakesItsAnswerAfterOneTwentyMillisecondWait)
{
    nVidia_SMBusIOSpace nforce(NFORCE_BASE);
    m_Kit.vClearRecords();
    uint8_t b = 0;
    ASSERT_EQ(nforce.SMBusReadByte(0, REGS, 0x11, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 0x11);
    // The byte takes longer on the wire than one status read: done is clear at the first
    // look, set after the wait.
    ASSERT_EQ(m_Kit.Clock().m_Sleeps.size(), 1u);
    EXPECT_EQ(m_Kit.Clock().m_Sleeps[0].qwMicroseconds, 20000u);
    EXPECT_EQ(nCount(NFORCE_BASE, false, 0x01), 2u);

    // A device holding the clock never lets the transaction finish: one retry, then failure.
    m_Kit.vClearRecords();
    EXPECT_EQ(nforce.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(m_Kit.Clock().m_Sleeps.size(), 1u);
    EXPECT_EQ(nCount(NFORCE_BASE, false, 0x04), 0u) << "no data is taken from an unfinished transaction";
}

TEST_F(SMBusOthersFamily, AmdByteWriteAfterAWordReadWritesOneRegister)
{
    AMD_AM755_SMBusIOSpace amd(AMD_BASE);
    uint8_t b0 = 0, b1 = 0;
    ASSERT_EQ(amd.SMBusReadWord(0, REGS, 0x50, b0, b1), 1u);
    m_Kit.Board().pSMBus(6)->vClearTransfers();
    ASSERT_EQ(amd.SMBusWriteByte(0, REGS, 0x60, 0x77), 1u);
    const auto transfers = m_Kit.Board().pSMBus(6)->Transfers();
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].eOp, sim::SMBusOp::WriteByte);
    std::lock_guard<std::mutex> lock(m_Kit.Board().AccessMutex());
    auto* pRegs = static_cast<sim::CRegisterFile*>(m_Kit.Board().pSMBus(6)->pTarget(0, REGS));
    EXPECT_EQ(pRegs->m_Registers[0x60], 0x77);
    EXPECT_EQ(pRegs->m_Registers[0x61], REGS_FIRST + 0x61);
}

TEST_F(SMBusOthersFamily, AliM1563KillsAHungTransferAndGoesOn)
{
    ALI_M1563_SMBusIOSpace ali(M1563_BASE);
    uint8_t b = 0;
    m_Kit.vClearRecords();
    EXPECT_EQ(ali.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(nCount(M1563_BASE, true, 0x02, 0x04), 1u) << "the timed-out transfer is killed";
    ASSERT_EQ(ali.SMBusReadByte(0, REGS, 0x07, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 7);
}

uint64_t qwSleptMs(CRecordingClock& clock)
{
    uint64_t qwMicroseconds = 0;
    for (const auto& sleep : clock.m_Sleeps)
        qwMicroseconds += sleep.qwMicroseconds;
    return qwMicroseconds / 1000;
}

TEST_F(SMBusOthersFamily, HungDevicesEndInFailureAfterThePollBudget)
{
    uint8_t b = 0, buffer[32];
    VIA_VT82_SMBusIOSpace via(VIA_BASE);
    m_Kit.vClearRecords();
    EXPECT_EQ(via.SMBusBlockRead(0, HOLDS_CLOCK, 0, buffer), 0);
    EXPECT_EQ(qwSleptMs(m_Kit.Clock()), 200u) << "200 polls, 1 ms apart";

    SiS_SMBusIOSpace sis(SIS_BASE);
    m_Kit.vClearRecords();
    EXPECT_EQ(sis.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(qwSleptMs(m_Kit.Clock()), 10u + 200u * 10u) << "10 ms, then 200 polls 10 ms apart";

    ALI_M7101_SMBusIOSpace m7101(M7101_BASE);
    m_Kit.vClearRecords();
    EXPECT_EQ(m7101.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(qwSleptMs(m_Kit.Clock()), 200u);
}

TEST_F(SMBusOthersFamily, SiSKillsATransferLeftUnderWayBeforeTheNextStart)
{
    SiS_SMBusIOSpace sis(SIS_BASE);
    uint8_t buffer[32], b = 0;
    ASSERT_EQ(sis.SMBusBlockRead(0, COUNT_40, 0, buffer), 32);  // the device goes on sending
    m_Kit.vClearRecords();
    ASSERT_EQ(sis.SMBusReadByte(0, REGS, 0x09, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 9);
    EXPECT_EQ(nCount(SIS_BASE, true, 0x03, 0x20), 1u) << "the kill";
    EXPECT_EQ(nCount(SIS_BASE, true, 0x03, 0x12), 1u) << "then the start";
}

// The board with a faulty SiS host that asks for nExtra chunks more after the last one of a
// block write.
std::string strFaultySiSBoard(unsigned nExtra)
{
    std::string strText = strOthersBoardText();
    const std::string strSiS = "\"controller\": \"sis\", \"base\": \"0x740\"";
    size_t nAt = strText.find(strSiS);
    EXPECT_NE(nAt, std::string::npos);
    if (nAt != std::string::npos)
        strText.insert(nAt + strSiS.size(), ", \"options\": {\"chunks_after_last\": " + std::to_string(nExtra) + "}");
    return strText;
}

TEST(SMBusOthersSiSFault, ABlockWriteToAHostThatNeverCompletesEndsAfterThePollBudget)
{
    CSMBusKit kit(strFaultySiSBoard(5000));  // far more than any wait may take
    ASSERT_TRUE(kit.bReady());
    SiS_SMBusIOSpace sis(SIS_BASE);
    uint8_t data[20];
    for (int i = 0; i < 20; ++i)
        data[i] = uint8_t(0xA0 + i);
    kit.vClearRecords();
    // The last chunk (4 bytes) was never confirmed by a completion.
    EXPECT_EQ(sis.SMBusBlockWrite(0, REGS, 0x90, data, 20), 16);
    auto accesses = kit.Accesses(SIS_BASE);
    auto nWrites = [&](unsigned nRegister, uint8_t bValue) {
        return std::count_if(accesses.begin(), accesses.end(), [&](const RegisterAccess& a) {
            return a.bWrite && a.nRegister == nRegister && a.bValue == bValue;
        });
    };
    EXPECT_EQ(nWrites(0x00, 0x10), 2 + 200) << "two chunks handed over, then the poll budget of releases";
    EXPECT_EQ(nWrites(0x03, 0x20), 1) << "the host is killed";
    EXPECT_EQ(qwSleptMs(kit.Clock()), 10u + 2u * 10u + 200u * 10u)
        << "10 ms after the start, a poll for each chunk handed over, one for each release";
    // The host takes the next transaction.
    uint8_t b = 0;
    ASSERT_EQ(sis.SMBusReadByte(0, REGS, 0x05, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 5);
}

TEST(SMBusOthersSiSFault, AHostThatAsksForAFewChunksTooManyStillCompletes)
{
    CSMBusKit kit(strFaultySiSBoard(3));
    ASSERT_TRUE(kit.bReady());
    SiS_SMBusIOSpace sis(SIS_BASE);
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(sis.SMBusBlockWrite(0, REGS, 0x90, data, 5), 5);
    std::lock_guard<std::mutex> lock(kit.Board().AccessMutex());
    auto* pRegs = static_cast<sim::CRegisterFile*>(kit.Board().pSMBus(2)->pTarget(0, REGS));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pRegs->m_Registers[0x90 + i], data[i]) << i;
}

TEST_F(SMBusOthersFamily, AliM1563ResetsTheHostAfterABusCollision)
{
    ALI_M1563_SMBusIOSpace ali(M1563_BASE);
    uint8_t b = 0;
    m_Kit.vClearRecords();
    EXPECT_EQ(ali.SMBusReadByte(0, COLLIDES, 0, b), 0u);
    EXPECT_EQ(nCount(M1563_BASE, true, 0x01, 0x80), 1u);
}

class SMBusOthers5000X : public SMBusOthersFamily {
protected:
    void SetUp() override
    {
        SMBusOthersFamily::SetUp();
        ORVEXSDK::Instance()->AddIOSpace(new CPCIIOSpace());
    }
    std::vector<sim::AccessRecord> ConfigAccesses()
    {
        std::vector<sim::AccessRecord> found;
        for (const sim::AccessRecord& r : m_Kit.Board().Log().Records())
            if ((r.eKind == sim::AccessKind::PortRead || r.eKind == sim::AccessKind::PortWrite) && r.qwAddress >= 0xCF8 &&
                r.qwAddress <= 0xCFF)
                found.push_back(r);
        return found;
    }
};

TEST_F(SMBusOthers5000X, ReadsTheSPDOfEachSlotAndChannel)
{
    Intel_5000X_SMBusIOSpace channel0(0, 0x15, 0, 0x74, 0x78), channel1(0, 0x15, 0, 0x76, 0x7C);
    EXPECT_EQ(channel0.m_dwType, 0x1000004u);
    EXPECT_EQ(channel0.m_nWaitLimit, 2000);
    uint8_t b = 0;
    m_Kit.vClearRecords();
    ASSERT_EQ(channel0.SMBusReadByte(0, 0x51, 2, b), 1u);
    EXPECT_EQ(b, 0x08);
    bool bSlotWritten = false;
    for (const sim::AccessRecord& r : ConfigAccesses())
        if (r.eKind == sim::AccessKind::PortWrite && r.qwAddress == 0xCFC && (r.qwValue & 0xF7FFFFFF) == 0xA1020000)
            bSlotWritten = true;
    EXPECT_TRUE(bSlotWritten) << "the command word carries slot 1 and byte address 2";
    ASSERT_EQ(channel0.SMBusReadByte(0, 0x50, 63, b), 1u);
    {
        std::lock_guard<std::mutex> lock(m_Kit.Board().AccessMutex());
        auto* pSpd = static_cast<sim::CSPDEeprom*>(m_Kit.Board().pSMBus(FBD_BUS_0)->pTarget(0, 0x50));
        EXPECT_EQ(b, pSpd->m_Contents[63]) << "the checksum byte of slot 0";
    }
    ASSERT_EQ(channel1.SMBusReadByte(0, 0x52, 2, b), 1u);
    EXPECT_EQ(b, 0x08);
    EXPECT_EQ(channel0.SMBusReadByte(0, 0x52, 2, b), 0u) << "slot 2 of channel 0 is empty";
    EXPECT_EQ(channel1.SMBusReadByte(0, 0x50, 2, b), 0u) << "slot 0 of channel 1 is empty";

    uint8_t b0, b1, buffer[32];
    EXPECT_EQ(channel0.SMBusReadWord(0, 0x50, 0, b0, b1), 0u);
    EXPECT_EQ(channel0.SMBusBlockRead(0, 0x50, 0, buffer), -1);
}

TEST_F(SMBusOthers5000X, RefusesOtherAddressesWithoutTouchingTheChipset)
{
    Intel_5000X_SMBusIOSpace channel0(0, 0x15, 0, 0x74, 0x78);
    m_Kit.vClearRecords();
    uint8_t b = 0x5A;
    EXPECT_EQ(channel0.SMBusReadByte(0, 0x69, 0, b), 0u);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(channel0.SMBusWriteByte(0, 0x4F, 0, 1), 0u);
    EXPECT_EQ(channel0.SMBusReadByte(0, 0x54, 0, b), 0u);
    EXPECT_TRUE(ConfigAccesses().empty());
    EXPECT_TRUE(m_Kit.Board().pSMBus(FBD_BUS_0)->Transfers().empty());
}

TEST_F(SMBusOthers5000X, WritesReportWriteDoneAndRefusedWrites)
{
    Intel_5000X_SMBusIOSpace channel0(0, 0x15, 0, 0x74, 0x78);
    uint8_t b = 0;
    EXPECT_EQ(channel0.SMBusWriteByte(0, 0x51, 0x70, 0x3C), 1u) << "the writable EEPROM takes the byte";
    ASSERT_EQ(channel0.SMBusReadByte(0, 0x51, 0x70, b), 1u);
    EXPECT_EQ(b, 0x3C);
    EXPECT_EQ(channel0.SMBusWriteByte(0, 0x50, 0x70, 0x3C), 0u) << "the write-protected EEPROM refuses it";
}

TEST_F(SMBusOthers5000X, AHungSlotFailsWhenTheWaitLimitRunsOut)
{
    Intel_5000X_SMBusIOSpace channel1(0, 0x15, 0, 0x76, 0x7C);
    uint8_t b = 0x5A;
    m_Kit.vClearRecords();
    EXPECT_EQ(channel1.SMBusReadByte(0, 0x53, 0, b), 0u);
    EXPECT_EQ(b, 0);
    EXPECT_GE(qwSleptMs(m_Kit.Clock()), 2000u);
    EXPECT_LE(qwSleptMs(m_Kit.Clock()), 2010u);
    ASSERT_EQ(channel1.SMBusReadByte(0, 0x52, 2, b), 1u) << "the next command releases the hung one";
    EXPECT_EQ(b, 0x08);
}

TEST_F(SMBusOthers5000X, AnAbsentRegisterReadsAllOnesAndFails)
{
    Intel_5000X_SMBusIOSpace absent(0, 0x15, 0, Intel_5000X_SMBusIOSpace::ABSENT, Intel_5000X_SMBusIOSpace::ABSENT);
    uint8_t b = 0x5A;
    EXPECT_EQ(absent.SMBusReadByte(0, 0x50, 0, b), 0u);
    EXPECT_EQ(b, 0);
}

// The boards: each controller the board file wires up answers at the base its chipset
// registers give, and its SPD EEPROMs tell the memory of the board's era.
struct BoardCase {
    const char* pszBoard;
    std::function<CSMBusIOSpace*()> fnCreate;
    uint8_t nAddress;
    uint8_t bMemoryType;  // SPD byte 2: 0x04 SDRAM, 0x07 DDR, 0x08 DDR2, 0x09 FB-DIMM
};

void PrintTo(const BoardCase& c, std::ostream* pOut) { *pOut << c.pszBoard; }

class SMBusOthersBoards : public ::testing::TestWithParam<BoardCase> {};

TEST_P(SMBusOthersBoards, TheControllerReachesTheModulesOfTheBoard)
{
    CSimKit kit(GetParam().pszBoard);
    ASSERT_TRUE(kit.bReady());
    ORVEXSDK::Instance()->AddIOSpace(new CPCIIOSpace());
    std::unique_ptr<CSMBusIOSpace> pController(GetParam().fnCreate());
    uint8_t b = 0;
    ASSERT_EQ(pController->SMBusReadByte(0, GetParam().nAddress, 2, b), 1u);
    EXPECT_EQ(b, GetParam().bMemoryType);
    EXPECT_EQ(pController->SMBusReadByte(0, 0x69, 0, b), 0u) << "no clock chip on these boards";
}

template <typename T, uint16_t wBase>
CSMBusIOSpace* pAt()
{
    return new T(wBase);
}

template <uint8_t bDevice, uint32_t dwStatus, uint32_t dwCommand>
CSMBusIOSpace* pBranch()
{
    return new Intel_5000X_SMBusIOSpace(0, bDevice, 0, dwStatus, dwCommand);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, SMBusOthersBoards,
    ::testing::Values(BoardCase{"via-kt600-vt8237", pAt<VIA_VT82_SMBusIOSpace, 0x400>, 0x51, 0x07},
                      BoardCase{"ati-rs480-sb450", pAt<ATI_SB_SMBusIOSpace, 0xB00>, 0x52, 0x07},
                      BoardCase{"sis655fx-964", pAt<SiS_SMBusIOSpace, 0x8E0>, 0x52, 0x07},
                      BoardCase{"uli-m1689-m1563", pAt<ALI_M1563_SMBusIOSpace, 0xE00>, 0x51, 0x07},
                      BoardCase{"ali-m1647-m7101", pAt<ALI_M7101_SMBusIOSpace, 0xC00>, 0x50, 0x07},
                      BoardCase{"amd751-756", pAt<AMD_AM755_SMBusIOSpace, 0xEE0>, 0x51, 0x04},
                      BoardCase{"nforce680i", pAt<nVidia_SMBusIOSpace, 0x2D00>, 0x51, 0x08},
                      BoardCase{"k8-mcp55", pAt<nVidia_SMBusIOSpace, 0x600>, 0x52, 0x08},
                      BoardCase{"i5000x-esb2", pBranch<0x15, 0x74, 0x78>, 0x50, 0x09},
                      BoardCase{"i5000x-esb2", pBranch<0x15, 0x76, 0x7C>, 0x50, 0x09},
                      BoardCase{"i5000x-esb2", pBranch<0x16, 0x74, 0x78>, 0x50, 0x09},
                      BoardCase{"i5000x-esb2", pBranch<0x16, 0x76, 0x7C>, 0x50, 0x09}));

}  // namespace
