// SPDX-License-Identifier: GPL-2.0-or-later
// The Intel ICH controllers against the emulated host controller: transfers on both classes,
// the register sequences where the hardware depends on them, the waits on the board clock,
// errors, faults and the locked request path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "SMBusTestBoard.h"
#include "smbus/IntelSMBus.h"

namespace {

using namespace smbustest;

enum : unsigned { STATUS = 0x00, CONTROL = 0x02, DATA0 = 0x05, BLOCK_DATA = 0x07, AUX_CONTROL = 0x0D };

struct ControllerCase {
    const char* pszName;
    uint16_t wBase;
    bool bICH4;
};

class SMBusIntelTransfers : public ::testing::TestWithParam<ControllerCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Kit.bReady());
        if (GetParam().bICH4)
            m_pController = std::make_unique<Intel_ICH4_SMBusIOSpace>(GetParam().wBase);
        else
            m_pController = std::make_unique<Intel_ICH1_SMBusIOSpace>(GetParam().wBase);
    }
    uint8_t bRegister(uint8_t nAddress, uint8_t bCommand)
    {
        uint8_t bValue = 0;
        m_Kit.vWithDevice(GetParam().wBase, nAddress, [&](sim::CSMBusTarget& target) {
            target.bReadByteData(bCommand, bValue);
        });
        return bValue;
    }

    CSMBusKit m_Kit;
    std::unique_ptr<CSMBusIOSpace> m_pController;
};

TEST_P(SMBusIntelTransfers, ByteAndWordTransfersReachTheDevice)
{
    CSMBusIOSpace& c = *m_pController;
    EXPECT_EQ(c.m_dwType, 0x1000004u);
    EXPECT_EQ(c.m_nTimeout, GetParam().bICH4 ? 200 : 100);

    uint8_t b = 0;
    ASSERT_EQ(c.SMBusReadByte(0, REGS, 0x10, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 0x10);
    ASSERT_EQ(c.SMBusReadByte(0, SPD, 2, b), 1u);
    EXPECT_EQ(b, 0x08) << "memory type byte of a DDR2 SPD";

    EXPECT_EQ(c.SMBusWriteByte(0, REGS, 0x20, 0xA5), 1u);
    EXPECT_EQ(bRegister(REGS, 0x20), 0xA5);
    ASSERT_EQ(c.SMBusReadByte(0, REGS, 0x20, b), 1u);
    EXPECT_EQ(b, 0xA5);

    uint8_t b0 = 0, b1 = 0;
    ASSERT_EQ(c.SMBusReadWord(0, REGS, 0x30, b0, b1), 1u);
    EXPECT_EQ(b0, REGS_FIRST + 0x30);
    EXPECT_EQ(b1, REGS_FIRST + 0x31);
    EXPECT_EQ(c.SMBusWriteWord(0, REGS, 0x40, 0x12, 0x34), 1u);
    EXPECT_EQ(bRegister(REGS, 0x40), 0x12);
    EXPECT_EQ(bRegister(REGS, 0x41), 0x34);
}

TEST_P(SMBusIntelTransfers, BlockTransfersMoveTheDevicesBytes)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t buffer[32] = {};
    ASSERT_EQ(c.SMBusBlockRead(0, REGS, 0x08, buffer), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(buffer[i], uint8_t(REGS_FIRST + 0x08 + i)) << i;
    EXPECT_EQ(buffer[8], 0) << "nothing beyond the count is stored";

    const uint8_t data[5] = {0x11, 0x22, 0x33, 0x44, 0x55};
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0x80, data, 5), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bRegister(REGS, uint8_t(0x80 + i)), data[i]) << i;
    std::vector<sim::SMBusTransfer> transfers = m_Kit.Bus(GetParam().wBase).Transfers();
    ASSERT_FALSE(transfers.empty());
    EXPECT_EQ(transfers.back().eOp, sim::SMBusOp::BlockWrite);
    EXPECT_EQ(transfers.back().Data, (std::vector<uint8_t>{5, 0x11, 0x22, 0x33, 0x44, 0x55}));

    // A single byte is written too, not only loaded.
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0x90, data + 4, 1), 1);
    EXPECT_EQ(bRegister(REGS, 0x90), 0x55);
}

TEST_P(SMBusIntelTransfers, BlockCountsAreLimitedAndLeaveTheControllerIdle)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t buffer[32] = {};
    ASSERT_EQ(c.SMBusBlockRead(0, COUNT_40, 0x00, buffer), 32);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(buffer[i], uint8_t(REGS_FIRST + i)) << i;

    // Counts of 0 and 1 end the loop before the last byte was signalled; the host must not
    // be left holding the bus.
    for (uint8_t nAddress : {COUNT_0, COUNT_1}) {
        std::fill(std::begin(buffer), std::end(buffer), 0);
        ASSERT_EQ(c.SMBusBlockRead(0, nAddress, 0x00, buffer), 1) << int(nAddress);
        EXPECT_EQ(buffer[0], REGS_FIRST);
        EXPECT_EQ(buffer[1], 0);
        uint8_t b = 0;
        EXPECT_EQ(c.SMBusReadByte(0, REGS, 0x01, b), 1u) << "after the block read of " << int(nAddress);
        EXPECT_EQ(b, REGS_FIRST + 1);
    }
}

TEST_P(SMBusIntelTransfers, EmptyAddressesAndErrorsFailAndAreClearedByTheNextTransaction)
{
    CSMBusIOSpace& c = *m_pController;
    for (uint8_t nAddress : {EMPTY, SILENT, COLLIDES}) {
        uint8_t b = 0xAB, b0 = 0xAB, b1 = 0xAB;
        EXPECT_EQ(c.SMBusReadByte(0, nAddress, 0, b), 0u) << int(nAddress);
        EXPECT_EQ(b, 0) << "a failed probe leaves the out byte 0";
        EXPECT_EQ(c.SMBusReadWord(0, nAddress, 0, b0, b1), 0u) << int(nAddress);
        EXPECT_EQ(b0, 0);
        EXPECT_EQ(b1, 0);
        // A write nobody took is reported.
        EXPECT_EQ(c.SMBusWriteByte(0, nAddress, 0, 1), 0u) << int(nAddress);
        EXPECT_EQ(c.SMBusWriteWord(0, nAddress, 0, 1, 2), 0u) << int(nAddress);
        uint8_t b2 = 0;
        EXPECT_EQ(c.SMBusReadByte(0, REGS, 0x05, b2), 1u);
        EXPECT_EQ(b2, REGS_FIRST + 5);
    }
}

TEST_P(SMBusIntelTransfers, RequestsRunTheLockedTransactions)
{
    CSMBusIOSpace& c = *m_pController;
    CSMBusRequest request;
    request.m_dwOperation = SMBUSREQUEST_READ_BYTE;
    request.m_dwOffset = 0x07;
    request.m_dwValue = 0x12345600;
    request.m_nAddress = REGS;
    EXPECT_EQ(c.Execute(&request), 1u);
    EXPECT_EQ(request.m_dwValue, 0x12345600u | uint8_t(REGS_FIRST + 7));

    request.m_dwOperation = SMBUSREQUEST_WRITE_BYTE;
    request.m_dwValue = 0x66;
    EXPECT_EQ(c.Execute(&request), 1u);
    EXPECT_EQ(bRegister(REGS, 0x07), 0x66);

    uint8_t buffer[32] = {};
    request.m_dwOperation = SMBUSREQUEST_BLOCK_READ;
    request.m_dwOffset = 0x00;
    request.m_pBuffer = buffer;
    EXPECT_EQ(c.Execute(&request), 1u);
    EXPECT_EQ(request.m_dwValue, 8u);
    EXPECT_EQ(buffer[0], REGS_FIRST);

    request.m_dwOperation = SMBUSREQUEST_BLOCK_WRITE;
    request.m_dwOffset = 0xA0;
    request.m_dwValue = 3;
    EXPECT_EQ(c.Execute(&request), 1u);
    EXPECT_EQ(request.m_dwValue, 3u);
    EXPECT_EQ(bRegister(REGS, 0xA2), buffer[2]);

    request.m_dwOperation = 0x21;
    EXPECT_EQ(c.Execute(&request), 0u);

    // A buffer-less block request moves nothing and reports no bytes.
    request.m_dwOperation = SMBUSREQUEST_BLOCK_READ;
    request.m_pBuffer = nullptr;
    m_Kit.vClearRecords();
    EXPECT_EQ(c.Execute(&request), 1u);
    EXPECT_EQ(request.m_dwValue, 0xFFFFFFFFu);
    EXPECT_TRUE(m_Kit.Bus(GetParam().wBase).Transfers().empty());
}

TEST_P(SMBusIntelTransfers, ABlockWriteTheDeviceRefusesIsNotReportedAsWritten)
{
    // The SPD EEPROM is write-protected: the host hands it every byte, and the transfer ends
    // with device error instead of completion.
    CSMBusIOSpace& c = *m_pController;
    const uint8_t data[4] = {1, 2, 3, 4};
    m_Kit.vClearRecords();
    EXPECT_LT(c.SMBusBlockWrite(0, SPD, 0x40, data, 4), 4);
    std::vector<sim::SMBusTransfer> transfers = m_Kit.Bus(GetParam().wBase).Transfers();
    ASSERT_FALSE(transfers.empty());
    EXPECT_EQ(transfers.back().eStatus, sim::SMBusStatus::DataNack);
    // A block the device took is still reported whole, and the host goes on.
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0x40, data, 4), 4);
    uint8_t b = 0;
    EXPECT_EQ(c.SMBusReadByte(0, REGS, 0x41, b), 1u);
    EXPECT_EQ(b, 2);
}

TEST_P(SMBusIntelTransfers, BlockWritesOfImpossibleCountsTouchNothing)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t data[40] = {};
    m_Kit.vClearRecords();
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0, data, 0), 0);
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0, data, 33), 0);
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0, nullptr, 4), 0);
    EXPECT_TRUE(m_Kit.Accesses(GetParam().wBase).empty());
}

// Each byte after the first is loaded only once a poll has shown byte done, and as soon as
// one has: the controller holds the bus clock until then, so a wait after that poll would
// only make the transfer longer. A byte takes far less than the 1 ms between polls, so each
// costs one poll interval, and the end of the last byte one or two more.
TEST_P(SMBusIntelTransfers, ABlockWriteLoadsEachByteAtThePollThatShowsByteDone)
{
    CSMBusIOSpace& c = *m_pController;
    const uint8_t data[8] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8};
    m_Kit.vClearRecords();
    ASSERT_EQ(c.SMBusBlockWrite(0, REGS, 0xA0, data, 8), 8);
    size_t nLoads = 0;
    bool bDoneSeen = false, bLoadedAfterDone = false;
    for (const RegisterAccess& a : m_Kit.Accesses(GetParam().wBase)) {
        if (!a.bWrite && a.nRegister == STATUS && (a.bValue & 0x80)) {
            EXPECT_FALSE(bDoneSeen) << "byte done polled again before the byte was loaded";
            bDoneSeen = true;
        }
        if (a.bWrite && a.nRegister == BLOCK_DATA) {
            EXPECT_EQ(a.bValue, data[nLoads]);
            EXPECT_EQ(bDoneSeen, nLoads > 0) << "byte " << nLoads;
            bLoadedAfterDone = bDoneSeen;
            bDoneSeen = false;
            ++nLoads;
        }
    }
    EXPECT_EQ(nLoads, 8u);
    EXPECT_TRUE(bLoadedAfterDone);
    const auto& sleeps = m_Kit.Clock().m_Sleeps;
    const size_t nPolls = std::count_if(sleeps.begin(), sleeps.end(), [](auto& s) { return s.qwMicroseconds == 1000; });
    EXPECT_GE(nPolls, 7u);
    EXPECT_LE(nPolls, 7u + 2u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bRegister(REGS, uint8_t(0xA0 + i)), data[i]) << i;
}

TEST_P(SMBusIntelTransfers, AWriteRightAfterABlockWriteIsNotLost)
{
    CSMBusIOSpace& c = *m_pController;
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_EQ(c.SMBusBlockWrite(0, REGS, 0x60, data, 4), 4);
    EXPECT_EQ(c.SMBusWriteByte(0, REGS, 0x70, 0x99), 1u);
    EXPECT_EQ(bRegister(REGS, 0x70), 0x99);
}

TEST_P(SMBusIntelTransfers, AStuckBusyBitTimesOutAfterThePollBudget)
{
    CSMBusIOSpace& c = *m_pController;
    m_Kit.vClearRecords();
    uint8_t b = 0xAB;
    EXPECT_EQ(c.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(b, 0);
    // After the start: the 5 ms wait, then the poll budget of the ICH1 protocol (both classes
    // run their byte transactions with it) of 1 ms polls.
    const auto& sleeps = m_Kit.Clock().m_Sleeps;
    ASSERT_FALSE(sleeps.empty());
    EXPECT_EQ(sleeps.front().qwMicroseconds, 5000u);
    size_t nPolls = std::count_if(sleeps.begin(), sleeps.end(), [](auto& s) { return s.qwMicroseconds == 1000; });
    EXPECT_GE(nPolls, size_t(Intel_ICH1_SMBusIOSpace::POLL_BUDGET));
    EXPECT_LE(nPolls, size_t(Intel_ICH1_SMBusIOSpace::POLL_BUDGET) + 1);

    // The device still holds the clock: the next transaction finds the host busy and gives
    // up after its idle wait instead of starting.
    m_Kit.vClearRecords();
    EXPECT_EQ(c.SMBusReadByte(0, REGS, 0, b), 0u);
    EXPECT_TRUE(m_Kit.Bus(GetParam().wBase).Transfers().empty());
}

TEST_P(SMBusIntelTransfers, AByteReadWaitsFiveMillisecondsBeforePollingForCompletion)
{
    CSMBusIOSpace& c = *m_pController;
    m_Kit.vClearRecords();
    uint8_t b = 0;
    ASSERT_EQ(c.SMBusReadByte(0, REGS, 3, b), 1u);
    std::vector<RegisterAccess> accesses = m_Kit.Accesses(GetParam().wBase);
    auto start = std::find_if(accesses.begin(), accesses.end(),
                              [](const RegisterAccess& a) { return a.bWrite && a.nRegister == CONTROL && (a.bValue & 0x40); });
    ASSERT_NE(start, accesses.end());
    EXPECT_EQ(start->bValue & 0x1C, 0x08) << "byte-data protocol";
    auto poll = std::find_if(start, accesses.end(), [](const RegisterAccess& a) { return !a.bWrite && a.nRegister == STATUS; });
    ASSERT_NE(poll, accesses.end());
    uint64_t qwSlept = 0;
    for (const auto& sleep : m_Kit.Clock().m_Sleeps)
        if (sleep.nAccessesBefore > start->nIndex && sleep.nAccessesBefore <= poll->nIndex)
            qwSlept += sleep.qwMicroseconds;
    EXPECT_GE(qwSlept, 5000u);
}

INSTANTIATE_TEST_SUITE_P(SMBusIntel, SMBusIntelTransfers,
                         ::testing::Values(ControllerCase{"ICH1", ICH1_BASE, false}, ControllerCase{"ICH4", ICH4_BASE, true}),
                         [](const auto& info) { return std::string(info.param.pszName); });

class SMBusIntelICH4 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Kit.bReady()); }
    uint8_t bAux() { return m_Controller.ReadByte(AUX_CONTROL); }

    CSMBusKit m_Kit;
    Intel_ICH4_SMBusIOSpace m_Controller{ICH4_BASE};
};

TEST_F(SMBusIntelICH4, TheBlockBufferIsOffDuringBlockTransfersAndRestoredOnEveryWayOut)
{
    uint8_t buffer[32] = {};
    const uint8_t data[3] = {7, 8, 9};
    for (uint8_t bAux : {uint8_t(0x02), uint8_t(0x03), uint8_t(0x00)}) {
        m_Controller.WriteByte(AUX_CONTROL, bAux);
        struct Transfer {
            const char* pszName;
            std::function<int32_t()> fn;
        } transfers[] = {
            {"read", [&] { return m_Controller.SMBusBlockRead(0, REGS, 0, buffer); }},
            {"read of count 40", [&] { return m_Controller.SMBusBlockRead(0, COUNT_40, 0, buffer); }},
            {"read nobody answers", [&] { return m_Controller.SMBusBlockRead(0, EMPTY, 0, buffer); }},
            {"write", [&] { return m_Controller.SMBusBlockWrite(0, REGS, 0xC0, data, 3); }},
            {"write nobody answers", [&] { return m_Controller.SMBusBlockWrite(0, EMPTY, 0xC0, data, 3); }},
            {"read that times out", [&] { return m_Controller.SMBusBlockRead(0, HOLDS_CLOCK, 0, buffer); }},
        };
        for (const Transfer& transfer : transfers) {
            m_Kit.vClearRecords();
            transfer.fn();
            std::vector<RegisterAccess> accesses = m_Kit.Accesses(ICH4_BASE);
            auto start = std::find_if(accesses.begin(), accesses.end(), [](const RegisterAccess& a) {
                return a.bWrite && a.nRegister == CONTROL && (a.bValue & 0x40);
            });
            ASSERT_NE(start, accesses.end()) << transfer.pszName;
            auto off = std::find_if(accesses.begin(), start,
                                    [](const RegisterAccess& a) { return a.bWrite && a.nRegister == AUX_CONTROL; });
            ASSERT_NE(off, start) << transfer.pszName << ": the buffer is switched off before the start";
            EXPECT_EQ(off->bValue, bAux & ~0x02) << transfer.pszName;
            EXPECT_EQ(this->bAux(), bAux) << transfer.pszName << " with auxiliary control " << int(bAux);
        }
    }
}

TEST_F(SMBusIntelICH4, ATimedOutBlockReadLeavesTheAuxiliaryControlAndTheHostUsable)
{
    m_Controller.WriteByte(AUX_CONTROL, 0x02);
    uint8_t buffer[32] = {};
    m_Kit.vClearRecords();
    EXPECT_EQ(m_Controller.SMBusBlockRead(0, HOLDS_CLOCK, 0, buffer), 0);
    size_t nPolls = std::count_if(m_Kit.Clock().m_Sleeps.begin(), m_Kit.Clock().m_Sleeps.end(),
                                  [](auto& s) { return s.qwMicroseconds == 1000; });
    EXPECT_GE(nPolls, size_t(Intel_ICH4_SMBusIOSpace::POLL_BUDGET)) << "the byte-done wait uses the ICH4 budget";
    EXPECT_EQ(bAux(), 0x02);
    // The stuck transfer was killed: once the device lets go, the bus works again.
    m_Kit.vWithDevice(ICH4_BASE, HOLDS_CLOCK, [](sim::CSMBusTarget& t) { t.m_eFault = sim::SMBusFault::None; });
    uint8_t b = 0;
    EXPECT_EQ(m_Controller.SMBusReadByte(0, REGS, 2, b), 1u);
    EXPECT_EQ(b, REGS_FIRST + 2);
}

TEST_F(SMBusIntelICH4, BlockReadsGoByteByByteWithTheLastByteMarked)
{
    uint8_t buffer[32] = {};
    m_Kit.vClearRecords();
    ASSERT_EQ(m_Controller.SMBusBlockRead(0, REGS, 0x10, buffer), 8);
    std::vector<RegisterAccess> accesses = m_Kit.Accesses(ICH4_BASE);
    size_t nBlockReads = 0, nLastMarks = 0;
    for (const RegisterAccess& a : accesses) {
        nBlockReads += !a.bWrite && a.nRegister == BLOCK_DATA;
        nLastMarks += a.bWrite && a.nRegister == CONTROL && a.bValue == 0x34;
    }
    EXPECT_EQ(nBlockReads, 8u);
    EXPECT_EQ(nLastMarks, 1u);
    // The byte-done bit is cleared after each byte: that is what releases the next one.
    size_t nReleases = std::count_if(accesses.begin(), accesses.end(), [](const RegisterAccess& a) {
        return a.bWrite && a.nRegister == STATUS && (a.bValue & 0x80);
    });
    EXPECT_EQ(nReleases, 8u);
}

TEST(SMBusIntelLock, TransactionsRunWithoutAnSMBusInterfaceAndReleaseTheControllerLock)
{
    CSMBusKit kit;
    ASSERT_TRUE(kit.bReady());
    Intel_ICH4_SMBusIOSpace controller(ICH4_BASE);
    EXPECT_EQ(controller.SelectChannel(1), 0u);
    EXPECT_EQ(controller.RestoreChannel(), 0u);
    uint8_t b = 0;
    EXPECT_EQ(controller.SMBusReadByte(0, REGS, 1, b), 1u);
    // Another thread can take the lock at once: the transaction gave it back.
    uint32_t dwWait = platform::WAIT_FAILED;
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

}  // namespace
