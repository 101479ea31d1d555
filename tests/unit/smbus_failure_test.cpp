// SPDX-License-Identifier: GPL-2.0-or-later
// Why an SMBus transaction failed: every controller class against its emulated host, with a
// device of each fault on its bus (nobody there, no answer, a lost arbitration, a transfer
// broken off, a held clock and the busy host it leaves), the functions each class declares
// against what it runs, the record being per thread and per controller, and the loops the
// waits are run with.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "KitFixture.h"
#include "SMBusOthersBoard.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "smbus/ICCommandSet.h"
#include "smbus/SMBusControllers.h"
#include "smbus/SMBusWaits.h"

namespace {

using namespace smbustest;
using F = ESMBusFailure;

constexpr uint8_t BREAKS_OFF = 0x37;  // a device that breaks every transfer off

// The test boards with the device that breaks transfers off on every bus.
std::string strWithBreaksOff(std::string strText)
{
    const std::string strDevices = smbustest::strDevices();
    const std::string strMore = strDevices.substr(0, strDevices.size() - 1) +
                                ", {\"address\": \"0x37\", \"type\": \"registers\", \"fault\": \"bus_error\"}]";
    for (size_t nAt = strText.find(strDevices); nAt != std::string::npos;
         nAt = strText.find(strDevices, nAt + strMore.size()))
        strText.replace(nAt, strDevices.size(), strMore);
    return strText;
}

// ------------------------------------------------------------------------- the Intel classes

struct IntelCase {
    const char* pszName;
    uint16_t wBase;
    bool bICH4;
};

void PrintTo(const IntelCase& c, std::ostream* pOut) { *pOut << c.pszName; }

class SMBusFailureIntel : public ::testing::TestWithParam<IntelCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Kit.bReady());
        if (GetParam().bICH4)
            m_pController = std::make_unique<Intel_ICH4_SMBusIOSpace>(GetParam().wBase);
        else
            m_pController = std::make_unique<Intel_ICH1_SMBusIOSpace>(GetParam().wBase);
    }

    CSMBusKit m_Kit{strWithBreaksOff(strBoardText())};
    std::unique_ptr<CSMBusIOSpace> m_pController;
};

TEST_P(SMBusFailureIntel, TheStatusBitsTellTheCauseOfEachTransaction)
{
    CSMBusIOSpace& c = *m_pController;
    const struct {
        uint8_t nAddress;
        ESMBusFailure eFailure;
    } cases[] = {{EMPTY, F::NoAnswer}, {SILENT, F::NoAnswer}, {COLLIDES, F::Collision}, {BREAKS_OFF, F::BusError}};
    for (const auto& k : cases) {
        uint8_t b = 0, b0 = 0, b1 = 0, buffer[32] = {};
        const uint8_t data[4] = {1, 2, 3, 4};
        EXPECT_EQ(c.SMBusReadByte(0, k.nAddress, 0, b), 0u);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "byte read at " << int(k.nAddress);
        EXPECT_EQ(c.SMBusReadWord(0, k.nAddress, 0, b0, b1), 0u);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "word read at " << int(k.nAddress);
        EXPECT_EQ(c.SMBusWriteByte(0, k.nAddress, 0, 1), 0u);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "byte write at " << int(k.nAddress);
        EXPECT_EQ(c.SMBusWriteWord(0, k.nAddress, 0, 1, 2), 0u);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "word write at " << int(k.nAddress);
        EXPECT_LE(c.SMBusBlockRead(0, k.nAddress, 0, buffer), 0);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "block read at " << int(k.nAddress);
        EXPECT_LT(c.SMBusBlockWrite(0, k.nAddress, 0, data, 4), 4);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "block write at " << int(k.nAddress);
        // A transaction that completes clears the record.
        ASSERT_EQ(c.SMBusReadByte(0, REGS, 1, b), 1u);
        EXPECT_EQ(c.eLastFailure(), F::None);
        ASSERT_EQ(c.SMBusBlockRead(0, REGS, 0, buffer), 8);
        EXPECT_EQ(c.eLastFailure(), F::None);
    }
    // The write-protected EEPROM acknowledges its address and refuses the data: the host has
    // one device error for both.
    EXPECT_EQ(c.SMBusWriteByte(0, SPD, 0x10, 1), 0u);
    EXPECT_EQ(c.eLastFailure(), F::NoAnswer);
    EXPECT_EQ(c.strLastFailure(SPD), "no device answers at 0x50");
    // A block the bus cannot carry is not started.
    uint8_t big[40] = {};
    m_Kit.vClearRecords();
    EXPECT_EQ(c.SMBusBlockWrite(0, REGS, 0, big, 33), 0);
    EXPECT_EQ(c.eLastFailure(), F::NotSupported);
    EXPECT_TRUE(m_Kit.Accesses(GetParam().wBase).empty());
}

TEST_P(SMBusFailureIntel, AHeldClockTimesOutAndLeavesTheHostBusyForTheNext)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t b = 0, b0 = 0, b1 = 0, buffer[32] = {};
    EXPECT_EQ(c.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(c.eLastFailure(), F::TimedOut);
    EXPECT_EQ(c.strLastFailure(HOLDS_CLOCK), "the controller timed out");
    // The device still holds the clock: nothing is started until the transfer is killed.
    EXPECT_EQ(c.SMBusReadByte(0, REGS, 0, b), 0u);
    EXPECT_EQ(c.eLastFailure(), F::Busy);
    EXPECT_EQ(c.SMBusReadWord(0, REGS, 0, b0, b1), 0u);
    EXPECT_EQ(c.eLastFailure(), F::Busy);
    EXPECT_EQ(c.SMBusWriteByte(0, REGS, 0x20, 1), 0u);
    EXPECT_EQ(c.eLastFailure(), F::Busy);
    // A block transfer that finds the host busy kills what holds it.
    EXPECT_EQ(c.SMBusBlockRead(0, REGS, 0, buffer), 0);
    EXPECT_EQ(c.eLastFailure(), F::Busy);
    m_Kit.vWithDevice(GetParam().wBase, HOLDS_CLOCK, [](sim::CSMBusTarget& t) { t.m_eFault = sim::SMBusFault::None; });
    EXPECT_EQ(c.SMBusReadByte(0, REGS, 2, b), 1u);
    EXPECT_EQ(c.eLastFailure(), F::None);
    // A block that times out on its bytes.
    m_Kit.vWithDevice(GetParam().wBase, HOLDS_CLOCK,
                      [](sim::CSMBusTarget& t) { t.m_eFault = sim::SMBusFault::HoldClock; });
    EXPECT_EQ(c.SMBusBlockRead(0, HOLDS_CLOCK, 0, buffer), 0);
    EXPECT_EQ(c.eLastFailure(), F::TimedOut);
}

TEST_P(SMBusFailureIntel, TheRecordIsKeptPerThreadAndPerController)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t b = 0;
    ASSERT_EQ(c.SMBusReadByte(0, EMPTY, 0, b), 0u);
    ASSERT_EQ(c.eLastFailure(), F::NoAnswer);
    ESMBusFailure eSeenBefore = F::BusError, eSeenAfter = F::BusError;
    std::thread other([&] {
        eSeenBefore = c.eLastFailure();
        uint8_t bOther = 0;
        c.SMBusReadByte(0, COLLIDES, 0, bOther);
        eSeenAfter = c.eLastFailure();
    });
    other.join();
    EXPECT_EQ(eSeenBefore, F::None) << "another thread's failure is not this one's";
    EXPECT_EQ(eSeenAfter, F::Collision);
    EXPECT_EQ(c.eLastFailure(), F::NoAnswer) << "nor the other way round";

    // Another controller object on the same registers keeps a record of its own.
    Intel_ICH1_SMBusIOSpace sibling(GetParam().wBase);
    EXPECT_EQ(sibling.eLastFailure(), F::None);
    ASSERT_EQ(sibling.SMBusReadByte(0, REGS, 0, b), 1u);
    EXPECT_EQ(c.eLastFailure(), F::NoAnswer);
}

INSTANTIATE_TEST_SUITE_P(SMBusFailure, SMBusFailureIntel,
                         ::testing::Values(IntelCase{"ICH1", ICH1_BASE, false}, IntelCase{"ICH4", ICH4_BASE, true}),
                         [](const auto& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------- the other families

struct FamilyCase {
    const char* pszName;
    uint16_t wBase;
    size_t nBus;
    std::function<CSMBusIOSpace*(uint16_t)> fnCreate;
    ESMBusFailure eCollision;  // what the family's status makes of a lost arbitration
    ESMBusFailure eBrokenOff;  // and of a transfer the device broke off
    ESMBusFailure eAfterHold;  // the transaction after a held clock (None: it completed)
};

void PrintTo(const FamilyCase& c, std::ostream* pOut) { *pOut << c.pszName; }

class SMBusFailureFamilies : public ::testing::TestWithParam<FamilyCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Kit.bReady());
        m_pController.reset(GetParam().fnCreate(GetParam().wBase));
    }
    sim::CSMBusBus& Bus() { return *m_Kit.Board().pSMBus(GetParam().nBus); }

    CSMBusKit m_Kit{strWithBreaksOff(strOthersBoardText())};
    std::unique_ptr<CSMBusIOSpace> m_pController;
};

TEST_P(SMBusFailureFamilies, TheStatusTellsTheCauseOfAFailedRead)
{
    CSMBusIOSpace& c = *m_pController;
    const struct {
        uint8_t nAddress;
        ESMBusFailure eFailure;
    } cases[] = {{EMPTY, F::NoAnswer},
                 {SILENT, F::NoAnswer},
                 {COLLIDES, GetParam().eCollision},
                 {BREAKS_OFF, GetParam().eBrokenOff}};
    for (const auto& k : cases) {
        uint8_t b = 0;
        EXPECT_EQ(c.SMBusReadByte(0, k.nAddress, 0, b), 0u);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "read at " << int(k.nAddress);
        EXPECT_EQ(c.SMBusWriteByte(0, k.nAddress, 0, 1), 0u);
        EXPECT_EQ(c.eLastFailure(), k.eFailure) << "write at " << int(k.nAddress);
        ASSERT_EQ(c.SMBusReadByte(0, REGS, 1, b), 1u);
        EXPECT_EQ(c.eLastFailure(), F::None);
    }
    if (c.m_dwFunctions & SMBUS_FUNC_READ_BLOCK_DATA) {
        uint8_t buffer[32] = {};
        EXPECT_LE(c.SMBusBlockRead(0, EMPTY, 0, buffer), 0);
        EXPECT_EQ(c.eLastFailure(), F::NoAnswer);
        EXPECT_LE(c.SMBusBlockRead(0, COLLIDES, 0, buffer), 0);
        EXPECT_EQ(c.eLastFailure(), GetParam().eCollision);
    }
}

TEST_P(SMBusFailureFamilies, AHeldClockTimesOut)
{
    CSMBusIOSpace& c = *m_pController;
    uint8_t b = 0;
    EXPECT_EQ(c.SMBusReadByte(0, HOLDS_CLOCK, 0, b), 0u);
    EXPECT_EQ(c.eLastFailure(), F::TimedOut);
    // Families that kill a transfer that timed out (or before their next start) go on; the
    // others find their host still busy, and the nForce, which shows no busy, its transaction
    // never done.
    EXPECT_EQ(c.SMBusReadByte(0, REGS, 0, b), GetParam().eAfterHold == F::None ? 1u : 0u);
    EXPECT_EQ(c.eLastFailure(), GetParam().eAfterHold);
}

TEST_P(SMBusFailureFamilies, WhatTheClassDeclaresIsWhatItRuns)
{
    CSMBusIOSpace& c = *m_pController;
    const uint32_t dwFunctions = c.m_dwFunctions;
    EXPECT_TRUE(dwFunctions & SMBUS_FUNC_READ_BYTE_DATA) << "probes are byte reads";
    const bool bBlocks = dwFunctions & SMBUS_FUNC_BLOCK_DATA;
    const uint32_t dwPaths = dwFunctions & (SMBUS_FUNC_BLOCK_BUFFER | SMBUS_FUNC_BLOCK_BY_BYTES | SMBUS_FUNC_BLOCK_CHUNKS);
    EXPECT_EQ(dwPaths != 0, bBlocks) << "a class with blocks says how they move";
    EXPECT_EQ(dwPaths & (dwPaths - 1), 0u) << "in one way";

    const uint8_t data[4] = {9, 8, 7, 6};
    const struct {
        uint32_t dwFunction;
        std::function<bool()> fnRun;  // true when the transaction completed
    } transactions[] = {
        {SMBUS_FUNC_READ_BYTE_DATA, [&] { uint8_t b; return c.SMBusReadByte(0, REGS, 1, b) == 1; }},
        {SMBUS_FUNC_WRITE_BYTE_DATA, [&] { return c.SMBusWriteByte(0, REGS, 0x20, 1) == 1; }},
        {SMBUS_FUNC_READ_WORD_DATA, [&] { uint8_t b0, b1; return c.SMBusReadWord(0, REGS, 1, b0, b1) == 1; }},
        {SMBUS_FUNC_WRITE_WORD_DATA, [&] { return c.SMBusWriteWord(0, REGS, 0x20, 1, 2) == 1; }},
        {SMBUS_FUNC_READ_BLOCK_DATA, [&] { uint8_t buffer[32]; return c.SMBusBlockRead(0, REGS, 0, buffer) == 8; }},
        {SMBUS_FUNC_WRITE_BLOCK_DATA, [&] { return c.SMBusBlockWrite(0, REGS, 0x80, data, 4) == 4; }},
    };
    for (const auto& t : transactions) {
        const bool bDeclared = (dwFunctions & t.dwFunction) != 0;
        Bus().vClearTransfers();
        EXPECT_EQ(t.fnRun(), bDeclared) << strSMBusFunctions(t.dwFunction);
        EXPECT_EQ(c.eLastFailure(), bDeclared ? F::None : F::NotSupported) << strSMBusFunctions(t.dwFunction);
        if (!bDeclared) {
            EXPECT_TRUE(Bus().Transfers().empty()) << strSMBusFunctions(t.dwFunction);
        }
    }
}

template <typename T>
CSMBusIOSpace* pMake(uint16_t wBase)
{
    return new T(wBase);
}

INSTANTIATE_TEST_SUITE_P(
    SMBusFailure, SMBusFailureFamilies,
    ::testing::Values(
        // VIA and ATI run their byte transfers as the ICH1 does, whose idle wait finds the host busy.
        FamilyCase{"VIA", VIA_BASE, 0, pMake<VIA_VT82_SMBusIOSpace>, F::Collision, F::BusError, F::Busy},
        FamilyCase{"ATI", ATI_BASE, 1, pMake<ATI_SB_SMBusIOSpace>, F::Collision, F::BusError, F::Busy},
        // The SiS host has one bit for every failure but a collision.
        FamilyCase{"SiS", SIS_BASE, 2, pMake<SiS_SMBusIOSpace>, F::Collision, F::NoAnswer, F::None},
        FamilyCase{"ALiM1563", M1563_BASE, 3, pMake<ALI_M1563_SMBusIOSpace>, F::Collision, F::BusError, F::None},
        // The M7101 has one bit for nobody answering and a lost arbitration.
        FamilyCase{"ALiM7101", M7101_BASE, 4, pMake<ALI_M7101_SMBusIOSpace>, F::NoAnswer, F::BusError, F::Busy},
        FamilyCase{"nVidia", NFORCE_BASE, 5, pMake<nVidia_SMBusIOSpace>, F::Collision, F::BusError, F::TimedOut},
        FamilyCase{"AMD756", AMD_BASE, 6, pMake<AMD_AM755_SMBusIOSpace>, F::Collision, F::BusError, F::Busy}),
    [](const ::testing::TestParamInfo<FamilyCase>& info) { return std::string(info.param.pszName); });

TEST(SMBusFailureIntelFunctions, TheICHClassesRunEverythingTheyDeclare)
{
    CSMBusKit kit;
    ASSERT_TRUE(kit.bReady());
    for (uint16_t wBase : {ICH1_BASE, ICH4_BASE}) {
        std::unique_ptr<CSMBusIOSpace> p(wBase == ICH1_BASE ? static_cast<CSMBusIOSpace*>(new Intel_ICH1_SMBusIOSpace(wBase))
                                                            : new Intel_ICH4_SMBusIOSpace(wBase));
        EXPECT_EQ(p->m_dwFunctions, SMBUS_FUNC_BYTE_DATA | SMBUS_FUNC_WORD_DATA | SMBUS_FUNC_BLOCK_DATA |
                                        SMBUS_FUNC_BLOCK_BY_BYTES);
        uint8_t b0 = 0, b1 = 0, buffer[32] = {};
        const uint8_t data[2] = {1, 2};
        EXPECT_EQ(p->SMBusReadWord(0, REGS, 1, b0, b1), 1u);
        EXPECT_EQ(p->SMBusWriteWord(0, REGS, 0x20, 1, 2), 1u);
        EXPECT_EQ(p->SMBusBlockRead(0, REGS, 0, buffer), 8);
        EXPECT_EQ(p->SMBusBlockWrite(0, REGS, 0x80, data, 2), 2);
        EXPECT_EQ(p->eLastFailure(), F::None);
    }
}

// ----------------------------------------------------------------------- the FB-DIMM SPD

class SMBusFailure5000X : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Kit.bReady());
        ORVEXSDK::Instance()->AddIOSpace(new CPCIIOSpace());
    }
    CSMBusKit m_Kit{strOthersBoardText()};
};

TEST_F(SMBusFailure5000X, TheStatusAndTheServedAddressesTellTheCause)
{
    Intel_5000X_SMBusIOSpace channel0(0, 0x15, 0, 0x74, 0x78), channel1(0, 0x15, 0, 0x76, 0x7C);
    uint8_t b = 0, b0 = 0, b1 = 0, buffer[32] = {};
    EXPECT_EQ(channel0.SMBusReadByte(0, 0x69, 0, b), 0u);
    EXPECT_EQ(channel0.eLastFailure(), F::NotSupported) << "only the SPD addresses are reached";
    EXPECT_EQ(channel0.SMBusReadWord(0, 0x50, 0, b0, b1), 0u);
    EXPECT_EQ(channel0.eLastFailure(), F::NotSupported);
    EXPECT_EQ(channel0.SMBusBlockRead(0, 0x50, 0, buffer), -1);
    EXPECT_EQ(channel0.eLastFailure(), F::NotSupported);
    EXPECT_EQ(channel0.SMBusReadByte(0, 0x52, 0, b), 0u);
    EXPECT_EQ(channel0.eLastFailure(), F::NoAnswer) << "an empty slot";
    EXPECT_EQ(channel0.SMBusWriteByte(0, 0x50, 0x70, 1), 0u);
    EXPECT_EQ(channel0.eLastFailure(), F::NoAnswer) << "the write-protected EEPROM";
    ASSERT_EQ(channel0.SMBusReadByte(0, 0x50, 2, b), 1u);
    EXPECT_EQ(channel0.eLastFailure(), F::None);
    EXPECT_EQ(channel1.SMBusReadByte(0, 0x53, 0, b), 0u);
    EXPECT_EQ(channel1.eLastFailure(), F::TimedOut) << "a slot that holds the clock";
}

// ------------------------------------------------------------------------- the command set

TEST(SMBusFailureCommandSet, TheChipsCommandSetSaysWhyItsLastOperationFailed)
{
    CSMBusKit kit;
    ASSERT_TRUE(kit.bReady());
    Intel_ICH4_SMBusIOSpace controller(ICH4_BASE);
    CSMBusICCommandSet silent(&controller, 0, SILENT), regs(&controller, 0, REGS);
    EXPECT_EQ(silent.ReadByte(0), 0xFF);
    EXPECT_EQ(silent.strLastFailure(), "no device answers at 0x36");
    EXPECT_EQ(regs.ReadByte(1), REGS_FIRST + 1);
    EXPECT_EQ(regs.strLastFailure(), "");
    CSMBusICCommandSet none(nullptr, 0, REGS);
    EXPECT_EQ(none.ReadByte(0), 0xFF);
    EXPECT_EQ(none.strLastFailure(), "");
}

// ------------------------------------------------------------------------------ the waits

// A clock that only counts the sleeps.
class CCountingClock : public platform::IClock {
public:
    uint64_t qwNanoseconds() override { return 0; }
    void vSleepMicroseconds(uint64_t) override { ++m_nSleeps; }
    int m_nSleeps = 0;
};

TEST(SMBusWaits, EachLoopSpendsItsBudgetAsItsProtocolDoes)
{
    CCountingClock clock;
    platform::IClock& before = platform::Clock();
    platform::SetClock(&clock);
    constexpr int32_t BUDGET = 3;
    constexpr int NEVER = -1;
    using smbus::EPoll;
    const struct {
        EPoll ePoll;
        int nDoneAt;  // the reading (from 0) that first shows what is waited for
        bool bDone;
        int nReadings, nSleeps;
    } cases[] = {
        // Look first: done within 1 + budget readings, a sleep between each two.
        {EPoll::LookFirst, 0, true, 1, 0},
        {EPoll::LookFirst, 3, true, 4, 3},
        {EPoll::LookFirst, NEVER, false, 4, 3},
        // Counted before it is looked at: the reading after the budget is made and dropped.
        {EPoll::LookFirstCountFirst, 3, true, 4, 3},
        {EPoll::LookFirstCountFirst, 4, false, 5, 4},
        {EPoll::LookFirstCountFirst, NEVER, false, 5, 4},
        // A sleep after every reading, the last one too; done within the budget's readings.
        {EPoll::SleepAfterEach, 0, true, 1, 1},
        {EPoll::SleepAfterEach, 2, true, 3, 3},
        {EPoll::SleepAfterEach, 3, false, 4, 4},
        {EPoll::SleepAfterEach, NEVER, false, 4, 4},
        // A sleep only after a reading that is not done; done within the budget's readings.
        {EPoll::SleepWhileWaiting, 0, true, 1, 0},
        {EPoll::SleepWhileWaiting, 2, true, 3, 2},
        {EPoll::SleepWhileWaiting, 3, false, 4, 3},
        {EPoll::SleepWhileWaiting, NEVER, false, 4, 4},
    };
    for (const auto& k : cases) {
        clock.m_nSleeps = 0;
        int nReadings = 0;
        auto read = [&] { return uint32_t(nReadings++ == k.nDoneAt ? 0x80 : 0x01); };
        smbus::CStatusWaits waits(read, BUDGET, 1);
        EXPECT_EQ(waits.bByteDone(0x80, k.ePoll), k.bDone) << int(k.ePoll) << " done at " << k.nDoneAt;
        EXPECT_EQ(nReadings, k.nReadings) << int(k.ePoll) << " done at " << k.nDoneAt;
        EXPECT_EQ(clock.m_nSleeps, k.nSleeps) << int(k.ePoll) << " done at " << k.nDoneAt;
        EXPECT_EQ(waits.dwStatus(), nReadings - 1 == k.nDoneAt ? 0x80u : 0x01u);
    }
    platform::SetClock(&before);
}

}  // namespace
