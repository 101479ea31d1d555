// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated SMBus: devices and their faults, channels, the emulated Intel host controller
// at register level on the board clock, the boards' SMBus sections and the board file.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>

#include "sim/SMBusBus.h"
#include "sim/SMBusTargets.h"
#include "sim/SimBoard.h"

namespace {

using sim::CSMBusBus;
using sim::CSimBoard;
using sim::SMBusBlock;
using sim::SMBusFault;
using sim::SMBusStatus;

std::unique_ptr<CSimBoard> LoadBoard(const std::string& strName)
{
    std::string strError;
    auto pBoard = CSimBoard::Load(std::string(PENDULON_BOARDS_DIR) + "/" + strName + ".json", strError);
    EXPECT_NE(pBoard, nullptr) << strError;
    return pBoard;
}

TEST(SMBusSimSPD, DDR2ContentsFollowTheJedecLayout)
{
    std::array<uint8_t, 256> spd{};
    ASSERT_TRUE(sim::bMakeDDR2SPD(1024, 800, 2, "HYMP512U64CP8-S6", spd));
    EXPECT_EQ(spd[2], 0x08) << "DDR2";
    EXPECT_EQ(spd[5] & 0x07, 1) << "two ranks";
    EXPECT_EQ(spd[9], 0x25) << "2.5 ns cycle";
    EXPECT_EQ(spd[31], 0x80) << "512 MiB a rank";
    EXPECT_EQ(spd[17], 4) << "512 Mbit chips have 4 banks";
    EXPECT_EQ(spd[13], 8) << "x8 chips";
    EXPECT_EQ(uint8_t(std::accumulate(spd.begin(), spd.begin() + 63, 0u)), spd[63]) << "checksum";
    EXPECT_EQ(std::string(spd.begin() + 73, spd.begin() + 91), "HYMP512U64CP8-S6  ");
    EXPECT_EQ(spd[200], 0xFF);

    ASSERT_TRUE(sim::bMakeDDR2SPD(4096, 667, 2, "", spd));
    EXPECT_EQ(spd[31], 0x02) << "2 GiB a rank";
    EXPECT_EQ(spd[17], 8);
    EXPECT_EQ(spd[9], 0x30);
    EXPECT_FALSE(sim::bMakeDDR2SPD(1024, 800, 3, "", spd));
    EXPECT_FALSE(sim::bMakeDDR2SPD(3072, 800, 1, "", spd));
    EXPECT_FALSE(sim::bMakeDDR2SPD(1024, 1066, 2, "", spd));
}

TEST(SMBusSimBus, EachChannelHasItsOwnDevicesAndTheSelectLineChoosesOne)
{
    CSMBusBus bus(2);
    std::string strError;
    std::array<uint8_t, 256> spd{};
    spd[2] = 0x08;
    ASSERT_TRUE(bus.bAttach(0, 0x50, std::make_unique<sim::CSPDEeprom>(spd), strError)) << strError;
    ASSERT_TRUE(bus.bAttach(1, 0x50, std::make_unique<sim::CRegisterFile>(std::vector<uint8_t>{0, 0, 0x77}), strError));
    EXPECT_FALSE(bus.bAttach(2, 0x51, std::make_unique<sim::CRegisterFile>(), strError));
    EXPECT_FALSE(bus.bAttach(0, 0x80, std::make_unique<sim::CRegisterFile>(), strError));
    EXPECT_FALSE(bus.bAttach(0, 0x50, std::make_unique<sim::CRegisterFile>(), strError));

    unsigned nLine = 0;
    bus.vSetChannelSource([&] { return nLine; });
    uint8_t b = 0;
    EXPECT_EQ(bus.ReadByteData(0x50, 2, b), SMBusStatus::Ok);
    EXPECT_EQ(b, 0x08);
    nLine = 1;
    EXPECT_EQ(bus.ReadByteData(0x50, 2, b), SMBusStatus::Ok);
    EXPECT_EQ(b, 0x77);
    nLine = 5;  // a channel the bus does not have reaches nobody
    EXPECT_EQ(bus.ReadByteData(0x50, 2, b), SMBusStatus::NoAnswer);
    EXPECT_EQ(b, 0x77);
    auto transfers = bus.Transfers();
    ASSERT_EQ(transfers.size(), 3u);
    EXPECT_EQ(transfers[0].nChannel, 0u);
    EXPECT_EQ(transfers[1].nChannel, 1u);
    EXPECT_EQ(transfers[2].eStatus, SMBusStatus::NoAnswer);
}

TEST(SMBusSimBus, DevicesAnswerLikeTheirHardwareAndFaultsEndAtTheAddress)
{
    CSMBusBus bus;
    std::string strError;
    std::array<uint8_t, 256> spd{};
    spd[0] = 0x80;
    spd[1] = 0x08;
    spd[2] = 0x08;
    ASSERT_TRUE(bus.bAttach(0, 0x50, std::make_unique<sim::CSPDEeprom>(spd), strError));
    ASSERT_TRUE(bus.bAttach(0, 0x51, std::make_unique<sim::CSPDEeprom>(spd, true), strError));
    std::vector<uint8_t> regs(256);
    std::iota(regs.begin(), regs.end(), 0);
    ASSERT_TRUE(bus.bAttach(0, 0x2F, std::make_unique<sim::CRegisterFile>(regs, 6), strError));

    // The EEPROM sits behind its write protection unless it is writable.
    EXPECT_EQ(bus.WriteByteData(0x50, 2, 0x55), SMBusStatus::DataNack);
    EXPECT_EQ(bus.WriteByteData(0x51, 2, 0x55), SMBusStatus::Ok);
    uint8_t b0 = 0, b1 = 0;
    EXPECT_EQ(bus.ReadWordData(0x51, 1, b0, b1), SMBusStatus::Ok);
    EXPECT_EQ(b0, 0x08);
    EXPECT_EQ(b1, 0x55);
    // An EEPROM knows no block protocol: the byte at the command comes first, as the count.
    SMBusBlock block;
    EXPECT_EQ(bus.BlockRead(0x50, 0, block), SMBusStatus::Ok);
    EXPECT_EQ(block.nCount, 0x80);
    EXPECT_EQ(block.bAt(0), 0x08);

    EXPECT_EQ(bus.BlockRead(0x2F, 0x10, block), SMBusStatus::Ok);
    EXPECT_EQ(block.nCount, 6);
    EXPECT_EQ(block.bAt(0), 0x10);
    const uint8_t data[3] = {0xA, 0xB, 0xC};
    EXPECT_EQ(bus.BlockWrite(0x2F, 0x40, data, 3), SMBusStatus::Ok);
    EXPECT_EQ(bus.ReadByteData(0x2F, 0x42, b0), SMBusStatus::Ok);
    EXPECT_EQ(b0, 0xC);

    sim::CSMBusTarget& regfile = *bus.pTarget(0, 0x2F);
    regfile.m_nForcedBlockCount = 40;
    EXPECT_EQ(bus.BlockRead(0x2F, 0, block), SMBusStatus::Ok);
    EXPECT_EQ(block.nCount, 40);
    EXPECT_GE(block.Data.size(), 40u);
    regfile.m_nForcedBlockCount = -1;
    const std::pair<SMBusFault, SMBusStatus> faults[] = {{SMBusFault::NoAnswer, SMBusStatus::NoAnswer},
                                                         {SMBusFault::HoldClock, SMBusStatus::Hung},
                                                         {SMBusFault::Collision, SMBusStatus::Collision}};
    for (auto [eFault, eStatus] : faults) {
        regfile.m_eFault = eFault;
        b0 = 0x5A;
        EXPECT_EQ(bus.ReadByteData(0x2F, 1, b0), eStatus);
        EXPECT_EQ(b0, 0x5A) << "outputs are left alone";
        EXPECT_EQ(bus.WriteByteData(0x2F, 1, 0), eStatus);
        EXPECT_EQ(bus.eAddressAnswer(0x2F), eStatus);
    }
    EXPECT_EQ(bus.eAddressAnswer(0x30), SMBusStatus::NoAnswer);
}

// The emulated host on the demo board, driven through its ports on the board clock.
class SMBusSimHost : public ::testing::Test {
protected:
    static constexpr uint16_t BASE = 0x400;
    void SetUp() override
    {
        m_pBoard = LoadBoard("demo");
        ASSERT_NE(m_pBoard, nullptr);
        ASSERT_NE(m_pBoard->pSMBus(0), nullptr);
    }
    uint8_t In(unsigned nRegister)
    {
        uint32_t dw = 0;
        m_pBoard->bPortIn(uint16_t(BASE + nRegister), 1, dw);
        return uint8_t(dw);
    }
    void Out(unsigned nRegister, uint8_t b) { m_pBoard->bPortOut(uint16_t(BASE + nRegister), 1, b); }
    void Wait(uint64_t qwMicroseconds) { m_pBoard->Clock().vSleepMicroseconds(qwMicroseconds); }
    void WriteConfig(unsigned nOffset, uint32_t dwValue)
    {
        m_pBoard->bPortOut(0xCF8, 4, 0x80000000u | (0x1F << 11) | (3 << 8) | nOffset);
        m_pBoard->bPortOut(0xCFC, 4, dwValue);
    }
    void StartByteRead(uint8_t nAddress, uint8_t bCommand)
    {
        Out(0x00, 0xFE);
        Out(0x04, uint8_t(nAddress << 1 | 1));
        Out(0x03, bCommand);
        Out(0x02, 0x48);
    }

    std::unique_ptr<CSimBoard> m_pBoard;
};

TEST_F(SMBusSimHost, AByteReadIsBusyForItsWireTimeAndThenCompletes)
{
    StartByteRead(0x52, 2);
    EXPECT_EQ(In(0x00) & 0x01, 0x01) << "busy right after the start";
    Wait(1000);
    EXPECT_EQ(In(0x00), 0x02) << "completion, nothing else";
    EXPECT_EQ(In(0x05), 0x08) << "the DDR2 SPD's memory type";

    // Nothing answers at 0x6b on the demo board.
    StartByteRead(0x6B, 0);
    Wait(1000);
    EXPECT_EQ(In(0x00), 0x04) << "device error";
    EXPECT_EQ(In(0x05), 0x08) << "the data register keeps its last value";
}

TEST_F(SMBusSimHost, AHeldClockKeepsTheHostBusyUntilItIsKilled)
{
    {
        std::lock_guard<std::mutex> lock(m_pBoard->AccessMutex());
        std::string strError;
        auto pDevice = std::make_unique<sim::CRegisterFile>();
        pDevice->m_eFault = SMBusFault::HoldClock;
        ASSERT_TRUE(m_pBoard->pSMBus(0)->bAttach(0, 0x31, std::move(pDevice), strError));
    }
    StartByteRead(0x31, 0);
    Wait(50000);
    EXPECT_EQ(In(0x00) & 0x01, 0x01);
    Out(0x02, 0x48);  // a start while busy is not taken
    EXPECT_EQ(m_pBoard->pSMBus(0)->Transfers().size(), 1u);
    Out(0x02, 0x02);
    EXPECT_EQ(In(0x00), 0x10) << "failed, not busy";
    Out(0x02, 0x00);
    Out(0x00, 0x10);
    StartByteRead(0x50, 0);
    Wait(1000);
    EXPECT_EQ(In(0x00), 0x02);
    EXPECT_EQ(In(0x05), 0x80);
}

TEST_F(SMBusSimHost, WithTheBlockBufferOnABlockReadFillsTheBufferAtOnce)
{
    {
        std::lock_guard<std::mutex> lock(m_pBoard->AccessMutex());
        std::string strError;
        ASSERT_TRUE(m_pBoard->pSMBus(0)->bAttach(
            0, 0x2F, std::make_unique<sim::CRegisterFile>(std::vector<uint8_t>{9, 8, 7, 6, 5}, 4), strError));
    }
    Out(0x0D, 0x02);
    Out(0x04, 0x2F << 1 | 1);
    Out(0x03, 1);
    Out(0x02, 0x54);
    Wait(1000);
    EXPECT_EQ(In(0x00), 0x02) << "completion without byte-done hand-shakes";
    EXPECT_EQ(In(0x05), 4);
    In(0x02);  // resets the buffer index
    EXPECT_EQ(In(0x07), 8);
    EXPECT_EQ(In(0x07), 7);
    In(0x02);
    EXPECT_EQ(In(0x07), 8);

    // Byte by byte: the host holds the bus after each byte until byte done is cleared.
    Out(0x0D, 0x00);
    Out(0x00, 0xFE);
    Out(0x02, 0x54);
    Wait(1000);
    EXPECT_EQ(In(0x00), 0x81) << "busy, byte done";
    EXPECT_EQ(In(0x07), 8);
    Out(0x02, 0x34);  // the next byte is the last
    Out(0x00, 0x80);
    EXPECT_EQ(In(0x00), 0x01);
    Wait(1000);
    EXPECT_EQ(In(0x00), 0x82) << "byte done and completion, the host let go";
    EXPECT_EQ(In(0x07), 7);
}

TEST_F(SMBusSimHost, ThePortsAnswerOnlyWhileTheFunctionDecodesThemAndTheHostIsEnabled)
{
    EXPECT_EQ(In(0x0D), 0x00);
    WriteConfig(0x04, 0x00000000);  // I/O space off
    EXPECT_EQ(In(0x00), 0xFF);
    EXPECT_EQ(In(0x0D), 0xFF);
    WriteConfig(0x04, 0x00000001);
    EXPECT_EQ(In(0x00) & 0x01, 0x00);
    WriteConfig(0x40, 0x00000000);  // host disabled: a start is not taken
    StartByteRead(0x50, 2);
    EXPECT_EQ(In(0x00) & 0x01, 0x00);
    EXPECT_TRUE(m_pBoard->pSMBus(0)->Transfers().empty());
    WriteConfig(0x40, 0x00000001);
    WriteConfig(0x20, 0x00000801);  // moved away
    EXPECT_EQ(In(0x00), 0xFF);
}

TEST(SMBusSimBoards, TheIntelBoardsCarryTheirControllersAndModules)
{
    struct Case {
        const char* pszBoard;
        uint8_t bMemoryType;
    } cases[] = {{"demo", 0x08}, {"i865pe-ich5", 0x07}, {"i975x-ich7", 0x08}};
    for (const Case& c : cases) {
        auto pBoard = LoadBoard(c.pszBoard);
        ASSERT_NE(pBoard, nullptr);
        CSMBusBus* pBus = pBoard->pSMBus(0);
        ASSERT_NE(pBus, nullptr) << c.pszBoard;
        for (uint8_t nAddress : {0x50, 0x52}) {
            sim::CSMBusTarget* pSPD = pBus->pTarget(0, nAddress);
            ASSERT_NE(pSPD, nullptr) << c.pszBoard << " " << int(nAddress);
            uint8_t b = 0;
            pSPD->bReadByteData(2, b);
            EXPECT_EQ(b, c.bMemoryType) << c.pszBoard;
        }
        // Only demo carries a clock chip at 0x69.
        EXPECT_EQ(pBus->pTarget(0, 0x69) != nullptr, std::string(c.pszBoard) == "demo") << c.pszBoard;
    }
}

TEST(SMBusSimBoards, TheI975xMultiplexerFollowsTheGpioLine)
{
    auto pBoard = LoadBoard("i975x-ich7");
    ASSERT_NE(pBoard, nullptr);
    CSMBusBus* pBus = pBoard->pSMBus(0);
    ASSERT_NE(pBus, nullptr);
    ASSERT_EQ(pBus->nChannels(), 2u);
    uint32_t dwLevel = 0;
    ASSERT_TRUE(pBoard->bPortIn(0x4B8, 1, dwLevel));
    uint8_t b = 0;
    for (unsigned nChannel : {0u, 1u, 0u}) {
        pBoard->bPortOut(0x4B8, 1, (dwLevel & 0xFE) | nChannel);
        std::lock_guard<std::mutex> lock(pBoard->AccessMutex());
        EXPECT_EQ(pBus->nCurrentChannel(), nChannel);
        EXPECT_EQ(pBus->ReadByteData(0x50, 2, b) == SMBusStatus::Ok, nChannel == 0) << nChannel;
        EXPECT_EQ(pBus->ReadByteData(0x2E, 0x4F, b) == SMBusStatus::Ok, nChannel == 1) << nChannel;
    }
}

TEST(SMBusSimBoardFile, BadSectionsAreRefusedNamingTheField)
{
    const std::string strHead = R"({"clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1}, "smbus": )";
    struct Case {
        const char* pszSection;
        const char* pszField;
    } cases[] = {
        {R"({"controller": "intel-ich4", "base": "0x400"})", "smbus"},
        {R"([{"controller": "intel-ich9", "base": "0x400"}])", "smbus[0].controller"},
        {R"([{"controller": "intel-ich4"}])", "smbus[0].base"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "channels": 9}])", "smbus[0].channels"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "function": "0:1f.3"}])", "smbus[0].function"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "devices": [{"address": "0x50", "channel": 1, "type": "spd", "hex": "80"}]}])",
         "smbus[0].devices[0].channel"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "devices": [{"address": "0x80", "type": "registers"}]}])",
         "smbus[0].devices[0].address"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "devices": [{"address": "0x50", "type": "spd"}]}])",
         "smbus[0].devices[0]"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "devices": [{"address": "0x50", "type": "registers", "fault": "smoke"}]}])",
         "smbus[0].devices[0].fault"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "devices": [{"address": "0x50", "type": "spd", "ddr2": {"size_mib": 3000, "mts": 800}}]}])",
         "smbus[0].devices[0].ddr2"},
        {R"([{"controller": "intel-ich4", "base": "0x400", "devices": [{"address": "0x50", "type": "registers"}, {"address": "0x50", "type": "registers"}]}])",
         "smbus[0]"},
        {R"([{"controller": "intel-ich4", "base": "0xcf8"}])", "smbus[0]"},
    };
    for (const Case& c : cases) {
        std::string strError;
        EXPECT_EQ(CSimBoard::FromJson(strHead + c.pszSection + "}", strError), nullptr) << c.pszSection;
        EXPECT_NE(strError.find(c.pszField), std::string::npos) << c.pszSection << " -> " << strError;
    }
    std::string strError;
    EXPECT_NE(CSimBoard::FromJson(strHead + R"([{"controller": "intel-ich1", "base": "0x500", "channels": 2,
        "multiplexer": {"port": "0x4b8"}, "devices": [{"address": "0x50", "channel": 1, "type": "registers", "block_count": 0}]}]})",
                                  strError),
              nullptr)
        << strError;
}

}  // namespace
