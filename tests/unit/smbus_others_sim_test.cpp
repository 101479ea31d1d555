// SPDX-License-Identifier: GPL-2.0-or-later
// The emulated non-Intel host controllers on their own, driven register by register as the
// silicon is: busy while the wire is in use, the outcome only afterwards, written-one-clears
// status bits, kills, the SiS chunk hand-shake, the nForce done bit and the 5000X clock
// release.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "sim/FBDSPDFunction.h"
#include "sim/SMBusAMD756Host.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusNForceHost.h"
#include "sim/SMBusSiSHost.h"
#include "sim/SMBusTargets.h"
#include "sim/SMBusVIAHost.h"

namespace {

using namespace sim;

constexpr uint16_t BASE = 0x500;
constexpr uint8_t DEVICE = 0x2F;
constexpr uint64_t LONG_AFTER = 10'000'000;  // 10 ms: any transaction here is over by then

std::shared_ptr<CSMBusBus> MakeBus()
{
    auto pBus = std::make_shared<CSMBusBus>();
    std::vector<uint8_t> initial(256);
    for (unsigned i = 0; i < 256; ++i)
        initial[i] = uint8_t(0x40 + i);
    std::string strError;
    EXPECT_TRUE(pBus->bAttach(0, DEVICE, std::make_unique<CRegisterFile>(initial, 20), strError)) << strError;
    auto pHung = std::make_unique<CRegisterFile>();
    pHung->m_eFault = SMBusFault::HoldClock;
    EXPECT_TRUE(pBus->bAttach(0, 0x31, std::move(pHung), strError)) << strError;
    return pBus;
}

// Byte access to a port handler at a board time.
struct CPorts {
    CPortHandler& Host;
    uint64_t qwNow = 1000;
    uint8_t bIn(unsigned nRegister) { return uint8_t(Host.dwIn(uint16_t(BASE + nRegister), 1, {qwNow++, 0})); }
    uint16_t wIn(unsigned nRegister) { return uint16_t(Host.dwIn(uint16_t(BASE + nRegister), 2, {qwNow++, 0})); }
    void vOut(unsigned nRegister, uint8_t b) { Host.vOut(uint16_t(BASE + nRegister), 1, b, {qwNow++, 0}); }
    void vOutWord(unsigned nRegister, uint16_t w) { Host.vOut(uint16_t(BASE + nRegister), 2, w, {qwNow++, 0}); }
};

TEST(SMBusOthersSim, ViaShowsItsOutcomeOnlyAfterTheWireTime)
{
    auto pBus = MakeBus();
    CVIASMBusHost host(BASE, pBus);
    CPorts p{host};
    p.vOut(0x04, DEVICE << 1 | 1);
    p.vOut(0x03, 0x10);
    p.vOut(0x02, 0x48);  // byte data, start
    EXPECT_EQ(p.bIn(0x00), 0x01) << "busy, no outcome yet";
    EXPECT_EQ(p.bIn(0x05), 0x00) << "the data arrives with the end of the transaction";
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x02);
    EXPECT_EQ(p.bIn(0x05), 0x50);
    p.vOut(0x00, 0x01);  // busy is not a clearable bit; completion stays
    EXPECT_EQ(p.bIn(0x00), 0x02);
    p.vOut(0x00, 0x02);
    EXPECT_EQ(p.bIn(0x00), 0x00);

    // A device holding the clock keeps the host busy until the kill, which ends it failed.
    p.vOut(0x04, 0x31 << 1 | 1);
    p.vOut(0x02, 0x48);
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x01);
    p.vOut(0x02, 0x02);
    EXPECT_EQ(p.bIn(0x00), 0x10);
}

TEST(SMBusOthersSim, ViaBlockBufferIndexRestartsAtAControlRead)
{
    auto pBus = MakeBus();
    CVIASMBusHost host(BASE, pBus);
    CPorts p{host};
    p.vOut(0x04, DEVICE << 1 | 1);
    p.vOut(0x03, 0x00);
    p.vOut(0x02, 0x54);  // block, start
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x02);
    EXPECT_EQ(p.bIn(0x05), 20);
    EXPECT_EQ(p.bIn(0x07), 0x40);
    EXPECT_EQ(p.bIn(0x07), 0x41);
    p.bIn(0x02);
    EXPECT_EQ(p.bIn(0x07), 0x40) << "the control read put the index back";
}

TEST(SMBusOthersSim, SiSHoldsTheBusUntilTheChunkIsTakenAndIsKilledCleanly)
{
    auto pBus = MakeBus();
    CSiSSMBusHost host(BASE, pBus);
    CPorts p{host};
    p.vOut(0x04, DEVICE << 1 | 1);
    p.vOut(0x05, 0x00);
    p.vOut(0x03, 0x15);
    EXPECT_EQ(p.bIn(0x02) & 0x03, 0x01) << "under way";
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x10) << "the first chunk is ready";
    EXPECT_EQ(p.bIn(0x07), 20);
    EXPECT_EQ(p.bIn(0x08), 0x40);
    EXPECT_EQ(p.bIn(0x0F), 0x47);
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x10) << "nothing moves while the chunk is held";
    EXPECT_EQ(p.bIn(0x08), 0x40);
    p.vOut(0x00, 0x10);
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x10);
    EXPECT_EQ(p.bIn(0x08), 0x48) << "the second chunk";
    p.vOut(0x03, 0x20);  // kill
    EXPECT_EQ(p.bIn(0x02) & 0x03, 0x00);
    p.vOut(0x00, 0x10);
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x00), 0x00) << "a killed block sends no more chunks";
}

TEST(SMBusOthersSim, NForceDoneComesWithTheOutcome)
{
    auto pBus = MakeBus();
    CNForceSMBusHost host(BASE, pBus);
    CPorts p{host};
    p.vOut(0x03, 0x22);
    p.vOut(0x02, DEVICE << 1);
    p.vOut(0x00, 0x07);
    EXPECT_EQ(p.bIn(0x01), 0x00);
    EXPECT_EQ(p.bIn(0x00), 0x07) << "the protocol stays while the transaction runs";
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x01), 0x80);
    EXPECT_EQ(p.bIn(0x04), 0x62);
    EXPECT_EQ(p.bIn(0x00), 0x00);

    p.vOut(0x02, 0x20 << 1);  // nobody there
    p.vOut(0x00, 0x07);
    EXPECT_EQ(p.bIn(0x01), 0x00) << "a start clears the status";
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.bIn(0x01), 0x80 | CNForceSMBusHost::OUTCOME_NO_ACK);
}

TEST(SMBusOthersSim, AmdStartBitIsAStrobeAndErrorsClearByWritingOnes)
{
    auto pBus = MakeBus();
    CAMD756SMBusHost host(BASE, pBus);
    CPorts p{host};
    p.vOut(0x08, 0x00);
    p.vOut(0x04, 0x20 << 1 | 1);  // nobody there
    p.vOutWord(0x02, 0x0002);
    p.vOutWord(0x02, 0x000A);
    EXPECT_EQ(p.wIn(0x02), 0x0002) << "start reads back 0";
    EXPECT_EQ(p.wIn(0x00), 0x0808) << "host and bus busy";
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.wIn(0x00), 0x0004);
    p.vOutWord(0x00, 0x0008);  // busy is not clearable
    EXPECT_EQ(p.wIn(0x00), 0x0004);
    p.vOutWord(0x00, 0x0037);
    EXPECT_EQ(p.wIn(0x00), 0x0000);

    p.vOut(0x04, DEVICE << 1 | 1);
    p.vOut(0x08, 0x02);
    p.vOutWord(0x02, 0x000B);  // word data, start
    p.qwNow += LONG_AFTER;
    EXPECT_EQ(p.wIn(0x00), 0x0010);
    EXPECT_EQ(p.wIn(0x06), 0x4342) << "data0 in the low byte";
}

TEST(SMBusOthersSim, FBDCommandStartsOnReleasingTheClockOnly)
{
    auto pBus = MakeBus();
    std::array<uint8_t, 4096> config{};
    config[0] = 0x86, config[1] = 0x80, config[2] = 0xF5, config[3] = 0x25;
    config[0x40] = 0x5A;
    CFBDSPDFunction function(std::make_unique<CPCIFunction>(config));
    auto pSpd = std::make_shared<CSMBusBus>();
    std::string strError;
    std::array<uint8_t, 256> contents{};
    contents[7] = 0x77;
    ASSERT_TRUE(pSpd->bAttach(0, 0x51, std::make_unique<CSPDEeprom>(contents), strError));
    function.vAttach(1, pSpd);
    uint64_t qwNow = 1000;
    auto read = [&](unsigned nOffset) { return function.dwRead(nOffset, {qwNow++, 0}); };
    auto write = [&](unsigned nOffset, uint32_t dwValue) { function.vWrite(nOffset, dwValue, 0xF, {qwNow++, 0}); };

    EXPECT_EQ(read(0x00), 0x25F58086u) << "the branch device's own registers are kept";
    EXPECT_EQ(read(0x40) & 0xFF, 0x5Au);
    write(0x7C, 0xA1070000);  // slot 1, byte 7, clock held
    EXPECT_EQ(read(0x74) >> 16, 0u);
    EXPECT_TRUE(pSpd->Transfers().empty());
    write(0x7C, 0xA9070000);  // clock released: the command runs
    EXPECT_EQ(read(0x74) >> 16, 0x1000u);
    qwNow += LONG_AFTER;
    EXPECT_EQ(read(0x74) >> 16, 0x8077u);
    EXPECT_EQ(read(0x74) & 0xFFFF, 0u) << "channel 0 saw nothing";
    write(0x7C, 0xA9070000);  // still released: no new command
    EXPECT_EQ(pSpd->Transfers().size(), 1u);
    write(0x74, 0xFFFFFFFF);
    EXPECT_EQ(read(0x74) >> 16, 0x8077u) << "the status is read-only";

    write(0x7C, 0xA2070000);
    write(0x7C, 0xAA070000);  // slot 2: nobody there
    qwNow += LONG_AFTER;
    EXPECT_EQ(read(0x74) >> 16, 0x2000u);
}

}  // namespace
