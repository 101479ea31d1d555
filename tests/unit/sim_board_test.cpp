// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated board as the hardware it stands for: configuration mechanism #1 and the
// enhanced window, the timers on board time, processors and MSRs, memory, the board file.
#include <gtest/gtest.h>

#include <chrono>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "sim/SimBoard.h"

namespace {

using sim::AccessKind;
using sim::AccessRecord;
using sim::CSimBoard;

const std::string DEMO_FILE = std::string(PENDULON_BOARDS_DIR) + "/demo.json";

std::unique_ptr<CSimBoard> LoadDemo()
{
    std::string strError;
    std::unique_ptr<CSimBoard> pBoard = CSimBoard::Load(DEMO_FILE, strError);
    EXPECT_NE(pBoard, nullptr) << strError;
    return pBoard;
}

std::string ReadDemoText()
{
    std::ifstream file(DEMO_FILE);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

uint32_t In(CSimBoard& board, uint16_t wPort, unsigned nWidth)
{
    uint32_t dwValue = 0;
    EXPECT_TRUE(board.bPortIn(wPort, nWidth, dwValue));
    return dwValue;
}

void Out(CSimBoard& board, uint16_t wPort, unsigned nWidth, uint32_t dwValue)
{
    EXPECT_TRUE(board.bPortOut(wPort, nWidth, dwValue));
}

uint32_t Latch(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset)
{
    return 0x80000000u | nBus << 16 | nDevice << 11 | nFunction << 8 | (nOffset & 0xFC);
}

uint32_t ConfigByPorts(CSimBoard& board, unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset)
{
    Out(board, 0xCF8, 4, Latch(nBus, nDevice, nFunction, nOffset));
    return In(board, 0xCFC, 4);
}

uint32_t Memory32(CSimBoard& board, uint64_t qwAddress)
{
    uint32_t dwValue = 0;
    EXPECT_TRUE(board.bReadPhysical(qwAddress, 4, &dwValue));
    return dwValue;
}

uint64_t Msr(CSimBoard& board, unsigned nCpu, uint32_t dwIndex)
{
    uint64_t qwValue = 0;
    EXPECT_TRUE(board.bReadMsr(nCpu, dwIndex, qwValue)) << std::hex << dwIndex;
    return qwValue;
}

// ---------------------------------------------------------------------------------------
// PCI configuration

TEST(SimBoardPci, MechanismOneReachesTheFunctionTheLatchNames)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;

    Out(board, 0xCF8, 4, Latch(0, 0x1F, 3, 0));
    EXPECT_EQ(In(board, 0xCF8, 4), Latch(0, 0x1F, 3, 0));  // the latch reads back
    EXPECT_EQ(In(board, 0xCFC, 4), 0x283E8086u);
    EXPECT_EQ(In(board, 0xCFE, 2), 0x283Eu);
    EXPECT_EQ(In(board, 0xCFF, 1), 0x28u);

    Out(board, 0xCF8, 4, Latch(0, 0x1F, 3, 0x08));
    EXPECT_EQ(In(board, 0xCFE, 1), 0x05u);  // offset 0x0A: SMBus sub-class
    EXPECT_EQ(In(board, 0xCFC, 4) >> 8, 0x0C0500u);

    // Bit 31 clear: the data window answers all ones and drops writes.
    const uint32_t dwHostConfig = board.dwPeekConfig(0, 0x1F, 3, 0x40);
    Out(board, 0xCF8, 4, Latch(0, 0x1F, 3, 0x40) & 0x7FFFFFFF);
    EXPECT_EQ(In(board, 0xCFC, 4), 0xFFFFFFFFu);
    EXPECT_EQ(In(board, 0xCFD, 1), 0xFFu);
    Out(board, 0xCFC, 4, 0);
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x40), dwHostConfig);

    // Only dword accesses reach the latch.
    Out(board, 0xCF8, 4, Latch(0, 0, 0, 0));
    Out(board, 0xCF8, 1, 0x12);
    Out(board, 0xCFA, 2, 0x3456);
    EXPECT_EQ(In(board, 0xCF8, 4), Latch(0, 0, 0, 0));
    EXPECT_EQ(In(board, 0xCF8, 1), 0xFFu);

    EXPECT_EQ(ConfigByPorts(board, 0, 5, 0, 0), 0xFFFFFFFFu);   // nobody at 00:05.0
    EXPECT_EQ(ConfigByPorts(board, 9, 0, 0, 0), 0xFFFFFFFFu);   // nor on bus 9
}

TEST(SimBoardPci, IdentificationBytesAreWiredTheRestTakesWrites)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    const uint32_t dwIds = board.dwPeekConfig(0, 0x1F, 3, 0x00);
    const uint32_t dwClass = board.dwPeekConfig(0, 0x1F, 3, 0x08);
    const uint32_t dwHeader = board.dwPeekConfig(0, 0x1F, 3, 0x0C);

    for (unsigned nOffset : {0x00u, 0x08u, 0x0Cu}) {
        Out(board, 0xCF8, 4, Latch(0, 0x1F, 3, nOffset));
        Out(board, 0xCFC, 4, 0xA5A5A5A5);
    }
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x00), dwIds);
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x08), dwClass);
    // Cache line, latency and BIST take the value; the header type byte does not.
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x0C), (dwHeader & 0x00FF0000) | 0xA500A5A5);

    // A byte at 0xCFC + n changes only byte n of the dword.
    Out(board, 0xCF8, 4, Latch(0, 0x1F, 3, 0x40));
    Out(board, 0xCFC, 4, 0x11223344);
    Out(board, 0xCFE, 1, 0xEE);
    Out(board, 0xCFC, 2, 0xBEEF);
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x40), 0x11EEBEEFu);
    EXPECT_EQ(In(board, 0xCFD, 2), 0xEEBEu);
}

TEST(SimBoardPci, EnhancedWindowAgreesWithThePortsForEveryFunction)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    const uint64_t qwBase = board.qwEnhancedConfigBase();
    ASSERT_EQ(qwBase, 0xF0000000u);
    unsigned nFunctions = 0;
    for (unsigned nBus = 0; nBus < 2; ++nBus) {
        for (unsigned nDevice = 0; nDevice < 32; ++nDevice) {
            for (unsigned nFunction = 0; nFunction < 8; ++nFunction) {
                const uint64_t qwAt = qwBase + (nBus << 20 | nDevice << 15 | nFunction << 12);
                if (!board.bHasFunction(nBus, nDevice, nFunction)) {
                    EXPECT_EQ(Memory32(board, qwAt), 0xFFFFFFFFu);
                    EXPECT_EQ(ConfigByPorts(board, nBus, nDevice, nFunction, 0), 0xFFFFFFFFu);
                    continue;
                }
                ++nFunctions;
                uint32_t window[64];
                ASSERT_TRUE(board.bReadPhysical(qwAt, sizeof window, window));
                for (unsigned n = 0; n < 64; ++n)
                    ASSERT_EQ(window[n], ConfigByPorts(board, nBus, nDevice, nFunction, 4 * n))
                        << nBus << ":" << nDevice << "." << nFunction << " offset " << 4 * n;
            }
        }
    }
    EXPECT_EQ(nFunctions, 8u);

    // Writes through the window follow the same rules, and reach beyond offset 0xFF.
    const uint64_t qwSmbus = qwBase + (0x1Fu << 15 | 3u << 12);
    EXPECT_TRUE(board.bWritePhysicalDword(qwSmbus + 0x104, 0xCAFEF00D));
    EXPECT_TRUE(board.bWritePhysicalDword(qwSmbus, 0));
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x104), 0xCAFEF00Du);
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0), 0x283E8086u);
    uint8_t bytes[3];
    ASSERT_TRUE(board.bReadPhysical(qwSmbus + 0x105, 3, bytes));  // unaligned, inside one dword
    EXPECT_EQ(bytes[0], 0xF0);
    EXPECT_EQ(bytes[2], 0xCA);
}

TEST(SimBoardPci, DemoBoardDescribesItselfConsistently)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    // Every device with functions besides 0 says so in function 0's header type.
    for (unsigned nBus = 0; nBus < 256; ++nBus)
        for (unsigned nDevice = 0; nDevice < 32; ++nDevice)
            for (unsigned nFunction = 1; nFunction < 8; ++nFunction)
                if (board.bHasFunction(nBus, nDevice, nFunction)) {
                    EXPECT_TRUE(board.dwPeekConfig(nBus, nDevice, 0, 0x0C) & 0x00800000)
                        << nBus << ":" << nDevice << " has function " << nFunction;
                }
    EXPECT_TRUE(board.bHasFunction(0, 0x1D, 1));
    EXPECT_EQ(ConfigByPorts(board, 0, 0x1D, 0, 0x0C) >> 16 & 0xFF, 0x80u);
    EXPECT_EQ(ConfigByPorts(board, 0, 0x01, 0, 0x0C) >> 16 & 0xFF, 0x01u);  // the root port: a bridge
    EXPECT_EQ(ConfigByPorts(board, 0, 0x01, 0, 0x18) >> 8 & 0xFF, 1u);      // to bus 1
    EXPECT_EQ(ConfigByPorts(board, 1, 0, 0, 0x08) >> 8, 0x030000u);          // display controller there

    // The chipset registers point where the board has its devices.
    const uint32_t dwPciExBar = board.dwPeekConfig(0, 0, 0, 0x60);
    EXPECT_EQ(dwPciExBar & 1, 1u);                                 // enabled
    EXPECT_EQ(dwPciExBar & 0xF0000000, board.qwEnhancedConfigBase());
    EXPECT_EQ(dwPciExBar >> 1 & 3, 2u);                            // 64 buses
    EXPECT_EQ((board.dwPeekConfig(0, 0x1F, 0, 0x40) & 0xFF80) + 8, board.wPMTimerPort());
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x20) & 0xFFE0, 0x400u);
    EXPECT_EQ(board.dwPeekConfig(0, 0x1F, 3, 0x40) & 1, 1u);       // SMBus host enabled
}

// ---------------------------------------------------------------------------------------
// Timers and the clock

TEST(SimBoardTimers, AccessesAndWaitsCostBoardTimeOnly)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    platform::IClock& clock = board.Clock();
    uint32_t dw = 0;
    uint64_t qw = 0;
    const uint64_t t0 = clock.qwNanoseconds();
    EXPECT_EQ(clock.qwNanoseconds() - t0, 50u);                  // each reading costs 50 ns
    board.bPortIn(0x80, 1, dw);
    EXPECT_EQ(clock.qwNanoseconds() - t0, 50u + 50 + 1000);
    board.bReadPhysical(0, 4, &dw);
    board.bReadMsr(0, 0x1B, qw);
    EXPECT_EQ(clock.qwNanoseconds() - t0, 3 * 50u + 1000 + 104 + 100);
    clock.vSleepMicroseconds(3'000'000);                          // three seconds, at once
    EXPECT_EQ(clock.qwNanoseconds() - t0, 4 * 50u + 1204 + 3'000'000'000u);

    // With real-time waits a wait also lasts on the wall clock (at least as long), and the
    // board's time moves by the wait alone, as before.
    board.vSetRealTimeWaits(true);
    const auto wall = std::chrono::steady_clock::now();
    const uint64_t t1 = clock.qwNanoseconds();
    clock.vSleepMicroseconds(30'000);
    EXPECT_GE(std::chrono::steady_clock::now() - wall, std::chrono::milliseconds(30));
    EXPECT_EQ(clock.qwNanoseconds() - t1, 50u + 30'000'000u);
}

TEST(SimBoardTimers, PMTimerCountsAt3579545HzAndWrapsAt24Bits)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    const uint16_t wPort = board.wPMTimerPort();
    ASSERT_EQ(wPort, 0x808);
    auto ticksAt = [](uint64_t qwNs) { return uint32_t((unsigned __int128)qwNs * 3579545 / 1000000000) & 0xFFFFFF; };

    const uint64_t t0 = board.Clock().qwNanoseconds() + 50;  // the port is read right after
    const uint32_t dwFirst = In(board, wPort, 4);
    board.Clock().vSleepMicroseconds(1'000'000);
    const uint32_t dwSecond = In(board, wPort, 4);
    EXPECT_EQ(dwFirst, ticksAt(t0));
    EXPECT_NEAR(double(dwSecond - dwFirst), 3579545.0, 4.0);    // one second of board time
    EXPECT_EQ(dwSecond, ticksAt(t0 + 1'000'001'000));
    const uint64_t t1 = board.Clock().qwNanoseconds() + 50;
    EXPECT_EQ(In(board, wPort + 1, 1), ticksAt(t1) >> 8 & 0xFF);  // a byte of the count

    // 2^24 ticks take 4.69 s: 0.1 s before the next wrap the count is near the top, 0.1 s
    // after it near the bottom.
    const uint64_t qwToWrapUs = uint64_t(0x1000000 - In(board, wPort, 4)) * 1'000'000 / 3579545;
    board.Clock().vSleepMicroseconds(qwToWrapUs - 100'000);
    const uint32_t dwHigh = In(board, wPort, 4);
    board.Clock().vSleepMicroseconds(200'000);
    const uint32_t dwWrapped = In(board, wPort, 4);
    EXPECT_GT(dwHigh, 0x1000000u - 400'000u);
    EXPECT_LT(dwWrapped, 400'000u);
    EXPECT_EQ(dwWrapped >> 24, 0u);
    EXPECT_NEAR(double((dwWrapped - dwHigh) & 0xFFFFFF), 0.2 * 3579545, 8.0);
    Out(board, wPort, 4, 0);  // read-only: the count goes on
    EXPECT_GT(In(board, wPort, 4), dwWrapped);
}

TEST(SimBoardTimers, TimeStampCounterRunsAtBusClockTimesMultiplier)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    platform::IProcessors& cpus = board.Processors();
    const uint64_t qwStart = cpus.qwReadTSC();
    board.Clock().vSleepMicroseconds(1'000'000);
    const uint64_t qwEnd = cpus.qwReadTSC();
    EXPECT_NEAR(double(qwEnd - qwStart), 266.666e6 * 9, 30.0);  // 2399.994 MHz

    // MSR 0x10 is the same counter, and writing it sets this processor's count only.
    const uint64_t qwMsr = Msr(board, 0, 0x10);
    EXPECT_GT(qwMsr, qwEnd);
    EXPECT_LT(qwMsr - qwEnd, 1000u);
    ASSERT_TRUE(board.bWriteMsr(0, 0x10, 1'000'000));
    const uint64_t qwAfterWrite = Msr(board, 0, 0x10);
    EXPECT_GE(qwAfterWrite, 1'000'000u);
    EXPECT_LT(qwAfterWrite, 1'001'000u);
    EXPECT_GT(Msr(board, 1, 0x10), qwEnd);
    // APERF and MPERF exist because CPUID leaf 6 announces them; they count with the TSC.
    const uint64_t qwAperf = Msr(board, 0, 0xE8);
    board.Clock().vSleepMicroseconds(1000);
    EXPECT_NEAR(double(Msr(board, 0, 0xE8) - qwAperf), 2399994.0, 1000.0);
}

TEST(SimBoardTimers, ApicTimerCountsDownAtBusClockOverTheDivider)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    const uint64_t qwApic = 0xFEE00000;
    EXPECT_EQ(Memory32(board, qwApic + 0x30), 0x00050014u);
    EXPECT_EQ(Memory32(board, qwApic + 0x20), 0u);
    ASSERT_TRUE(board.Processors().bPinThread(1));
    EXPECT_EQ(Memory32(board, qwApic + 0x20), 1u << 24);  // each processor sees its own APIC

    // The board's timer runs periodic from 0xFFFFFFFF, divided by 1.
    const uint32_t dwBefore = Memory32(board, qwApic + 0x390);
    board.Clock().vSleepMicroseconds(1000);
    const uint32_t dwAfter = Memory32(board, qwApic + 0x390);
    EXPECT_NEAR(double(dwBefore - dwAfter), 266666.0, 100.0);

    // One-shot, divided by 16: 1 ms is 16667 counts; then it stops at 0.
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x320, 0x000100EF));
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x3E0, 0x3));
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x380, 1'000'000));
    board.Clock().vSleepMicroseconds(1000);
    EXPECT_NEAR(double(1'000'000 - Memory32(board, qwApic + 0x390)), 16667.0, 10.0);
    board.Clock().vSleepMicroseconds(100'000);
    EXPECT_EQ(Memory32(board, qwApic + 0x390), 0u);
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x390, 5));  // read-only
    EXPECT_EQ(Memory32(board, qwApic + 0x390), 0u);

    // Periodic, divided by 128 (code 0xA): the count reloads and never sticks at 0.
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x320, 0x000200EF));
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x3E0, 0xA));
    EXPECT_TRUE(board.bWritePhysicalDword(qwApic + 0x380, 1000));
    board.Clock().vSleepMicroseconds(470);  // 979 counts
    EXPECT_NEAR(double(Memory32(board, qwApic + 0x390)), 21.0, 2.0);
    board.Clock().vSleepMicroseconds(20);   // 42 counts later: reloaded on the way
    EXPECT_NEAR(double(Memory32(board, qwApic + 0x390)), 979.0, 2.0);

    // The other processor's timer was left alone.
    ASSERT_TRUE(board.Processors().bPinThread(0));
    EXPECT_EQ(Memory32(board, qwApic + 0x3E0), 0xBu);
}

TEST(SimBoardTimers, ApicTimerStandsStillUnlessTheBoardRunsIt)
{
    std::string strError;
    auto pBoard = CSimBoard::FromJson(R"({"clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1}})",
                                      strError);
    ASSERT_NE(pBoard, nullptr) << strError;
    EXPECT_EQ(Memory32(*pBoard, 0xFEE00390), 0u);
    EXPECT_EQ(Memory32(*pBoard, 0xFEE00320), 0x00010000u);  // masked, one-shot
    EXPECT_EQ(Msr(*pBoard, 0, 0x1B), 0xFEE00900u);           // enabled, bootstrap processor
    EXPECT_EQ(pBoard->wPMTimerPort(), 0);
    EXPECT_EQ(pBoard->qwEnhancedConfigBase(), 0u);
    EXPECT_EQ(pBoard->strName(), "unnamed");
}

// ---------------------------------------------------------------------------------------
// Processors and MSRs

TEST(SimBoardProcessors, MsrsArePerProcessorAndUnknownOnesFault)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    EXPECT_EQ(Msr(board, 0, 0x1B), 0xFEE00900u);
    EXPECT_EQ(Msr(board, 1, 0x1B), 0xFEE00800u);
    EXPECT_EQ(Msr(board, 1, 0x198) >> 8 & 0x1F, 9u);  // current ratio
    EXPECT_EQ(Msr(board, 0, 0x2A) >> 22 & 0x1F, 9u);

    uint64_t qwValue = 0;
    EXPECT_FALSE(board.bReadMsr(0, 0xCE, qwValue));
    EXPECT_FALSE(board.bWriteMsr(0, 0xCE, 1));
    EXPECT_FALSE(board.bReadMsr(2, 0x1B, qwValue));  // there is no third processor
    ASSERT_TRUE(board.bWriteMsr(1, 0x199, 0x0820));
    EXPECT_EQ(Msr(board, 1, 0x199), 0x0820u);
    EXPECT_EQ(Msr(board, 0, 0x199), 0x092Cu);

    // The microcode revision: write 0 to MSR 0x8B, execute CPUID leaf 1, read it.
    ASSERT_TRUE(board.bWriteMsr(0, 0x8B, 0));
    EXPECT_EQ(Msr(board, 0, 0x8B), 0u);
    board.Processors().Cpuid(1, 0);
    EXPECT_EQ(Msr(board, 0, 0x8B) >> 32, 0xC6u);
}

TEST(SimBoardProcessors, CpuidAnswersFromThePinnedProcessorsTable)
{
    auto pBoard = LoadDemo();
    platform::IProcessors& cpus = pBoard->Processors();
    ASSERT_EQ(cpus.nCount(), 2u);
    platform::CpuidRegs regs = cpus.Cpuid(0, 0);
    char szVendor[13] = {};
    std::memcpy(szVendor, &regs.ebx, 4);
    std::memcpy(szVendor + 4, &regs.edx, 4);
    std::memcpy(szVendor + 8, &regs.ecx, 4);
    EXPECT_STREQ(szVendor, "GenuineIntel");
    const uint32_t nMaxLeaf = regs.eax;

    regs = cpus.Cpuid(1, 0);
    EXPECT_EQ(regs.eax, 0x6F6u);  // family 6, model 15, stepping 6
    EXPECT_EQ(regs.ebx >> 24, 0u);
    ASSERT_TRUE(cpus.bPinThread(1));
    EXPECT_EQ(cpus.Cpuid(1, 0).ebx >> 24, 1u);  // the second processor's APIC id

    char szBrand[49] = {};
    for (uint32_t n = 0; n < 3; ++n) {
        regs = cpus.Cpuid(0x80000002 + n, 0);
        std::memcpy(szBrand + 16 * n, &regs, 16);
    }
    EXPECT_STREQ(szBrand, "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz");

    // Cache leaf 4 by sub-leaf: L1 data, L1 code, L2, then the end of the list.
    EXPECT_EQ(cpus.Cpuid(4, 0).eax & 0xFF, 0x21u);
    EXPECT_EQ(cpus.Cpuid(4, 2).eax & 0xFF, 0x43u);
    EXPECT_EQ(cpus.Cpuid(4, 3).eax, 0u);
    EXPECT_EQ(cpus.Cpuid(3, 0).edx, 0u);  // a leaf the processor does not fill

    // Beyond the last basic or extended leaf: the highest basic leaf's answer.
    const platform::CpuidRegs top = cpus.Cpuid(nMaxLeaf, 0);
    for (uint32_t nLeaf : {nMaxLeaf + 1, 0x40000000u, 0x80000009u, 0xC0000000u}) {
        regs = cpus.Cpuid(nLeaf, 0);
        EXPECT_EQ(regs.eax, top.eax) << std::hex << nLeaf;
        EXPECT_EQ(regs.edx, top.edx) << std::hex << nLeaf;
    }
    EXPECT_NE(top.eax, 0u);
}

TEST(SimBoardProcessors, AffinityBelongsToTheThreadAndTheBoard)
{
    auto pBoard = LoadDemo();
    auto pOther = LoadDemo();
    platform::IProcessors& cpus = pBoard->Processors();
    EXPECT_EQ(cpus.GetThreadAffinity(), (std::vector<unsigned>{0, 1}));
    EXPECT_EQ(cpus.nPinnedProcessor(), 0u);
    EXPECT_FALSE(cpus.bSetThreadAffinity({}));
    EXPECT_FALSE(cpus.bSetThreadAffinity({2}));
    ASSERT_TRUE(cpus.bSetThreadAffinity({1, 0, 1}));
    EXPECT_EQ(cpus.GetThreadAffinity(), (std::vector<unsigned>{0, 1}));
    ASSERT_TRUE(cpus.bPinThread(1));
    EXPECT_EQ(cpus.nPinnedProcessor(), 1u);
    EXPECT_EQ(pOther->Processors().nPinnedProcessor(), 0u);

    unsigned nSeenByAnotherThread = 99;
    std::thread([&] { nSeenByAnotherThread = cpus.nPinnedProcessor(); }).join();
    EXPECT_EQ(nSeenByAnotherThread, 0u);
}

TEST(SimBoardProcessors, ThreadsShareTheBoardWithoutLosingAccessesOrTime)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    board.Log().vClear();
    const uint64_t t0 = board.Clock().qwNanoseconds();
    constexpr int ROUNDS = 2000;
    auto work = [&](unsigned nCpu) {
        board.Processors().bPinThread(nCpu);
        uint32_t dw = 0;
        uint64_t qw = 0;
        for (int n = 0; n < ROUNDS; ++n) {
            board.bPortIn(0x808, 4, dw);
            board.bReadMsr(nCpu, 0x10, qw);
            board.bReadPhysical(0xFEE00390, 4, &dw);
            board.Processors().qwReadTSC();
        }
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    EXPECT_EQ(board.Log().Records().size(), 2u * 3 * ROUNDS);
    // Every access's time was counted once: ports 1000 ns, MSRs 100, memory 104, RDTSC 10.
    EXPECT_EQ(board.Clock().qwNanoseconds() - t0, 50u + 2u * ROUNDS * (1000 + 100 + 104 + 10));
}

// ---------------------------------------------------------------------------------------
// Memory

TEST(SimBoardMemory, RegionsHoldWhatIsWrittenAndHolesReadAllOnes)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    EXPECT_EQ(Memory32(board, 0x9FFFC), 0u);
    ASSERT_TRUE(board.bWritePhysicalDword(0x9FFFC, 0x44332211));
    EXPECT_EQ(Memory32(board, 0x9FFFC), 0x44332211u);
    uint8_t bytes[6];
    ASSERT_TRUE(board.bReadPhysical(0x9FFFE, sizeof bytes, bytes));  // runs into the VGA hole
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[1], 0x44);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(bytes[i], 0xFF);

    ASSERT_TRUE(board.bWritePhysicalDword(0xC0000, 0x12345678));  // nothing there: dropped
    EXPECT_EQ(Memory32(board, 0xC0000), 0xFFFFFFFFu);
    ASSERT_TRUE(board.bWritePhysicalDword(0xFFFFE, 0xAABBCCDD));  // straddles the end of the BIOS area
    EXPECT_EQ(Memory32(board, 0xFFFFC), 0xCCDD0000u);
    EXPECT_EQ(Memory32(board, 0xFFFFFFFFFFFFFFFEull), 0xFFFFFFFFu);  // past the top of memory

    EXPECT_TRUE(board.bReadPhysical(0, 0, nullptr));
    EXPECT_FALSE(board.bReadPhysical(0, 4, nullptr));
}

// ---------------------------------------------------------------------------------------
// The board file

struct BadBoard {
    const char* pszWhy;
    std::string strJson;
    std::string strField;  // the error must name it
};

TEST(SimBoardFile, EachFaultOfAFileIsNamedClearly)
{
    const std::string strCpus = R"("clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1})";
    auto board = [&](const std::string& strMore) { return "{\"name\": \"t\", " + strCpus + strMore + "}"; };
    const BadBoard cases[] = {
        {"bad JSON", "{\"name\": \"t\", \"clock\": ", "bad JSON at line 1"},
        {"not an object", "[1, 2]", "the file"},
        {"nested too deep", std::string(40, '[') + std::string(40, ']'), "nested deeper"},
        {"missing clock", R"({"cpus": {"count": 1}})", "clock"},
        {"wrong type", board(R"(, "pm_timer": {"port": true})"), "pm_timer.port"},
        {"count as words", R"({"clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": "two"}})", "cpus.count"},
        {"negative", board(R"(, "memory": [{"base": -1, "size": 16}])"), "memory[0].base"},
        {"unknown field", board(R"(, "pm_timers": {})"), "pm_timers"},
        {"bad address", board(R"(, "pci": [{"at": "00:1g.0", "id": "8086:1234"}])"), "pci[0].at"},
        {"device past 1f", board(R"(, "pci": [{"at": "00:20.0", "id": "8086:1234"}])"), "pci[0].at"},
        {"duplicate function",
         board(R"(, "pci": [{"at": "00:1f.3", "id": "8086:283e"}, {"at": "00:1f.3", "id": "8086:283e"}])"),
         "pci[1].at"},
        {"revision out of range", board(R"(, "pci": [{"at": "00:00.0", "id": "8086:1234", "rev": 256}])"),
         "pci[0].rev"},
        {"register past the space", board(R"(, "pci": [{"at": "00:00.0", "id": "8086:1234", "regs": {"0xffe.l": 1}}])"),
         "pci[0].regs.0xffe.l"},
        {"byte too wide", board(R"(, "pci": [{"at": "00:00.0", "id": "8086:1234", "regs": {"0x40.b": "0x100"}}])"),
         "pci[0].regs.0x40.b"},
        {"odd hex", board(R"(, "memory": [{"base": 0, "size": 16, "hex": "abc"}])"), "memory[0].hex"},
        {"hex longer than the region", board(R"(, "memory": [{"base": 0, "size": 1, "hex": "0102"}])"),
         "memory[0].hex"},
        {"overlapping memory", board(R"(, "memory": [{"base": 0, "size": 16}, {"base": 8, "size": 16}])"),
         "memory[1]"},
        {"huge memory", board(R"(, "memory": [{"base": 0, "size": "0xffffffffff"}])"), "memory[0].size"},
        {"timer on the config ports", board(R"(, "pm_timer": {"port": "0xcfc"})"), "pm_timer.port"},
        {"unaligned APIC", board(R"(, "apic": {"base": "0xfee00010"})"), "apic.base"},
        {"zero bus clock", R"({"clock": {"bus_mhz": 0, "multiplier": 10}, "cpus": {"count": 1}})", "clock.bus_mhz"},
        {"too many processors", R"({"clock": {"bus_mhz": 1, "multiplier": 1}, "cpus": {"count": 100000}})",
         "cpus.count"},
        {"CPUID with three registers",
         R"({"clock": {"bus_mhz": 1, "multiplier": 1}, "cpus": {"count": 1, "cpuid": {"0x1": [1, 2, 3]}}})",
         "cpus.cpuid.0x1"},
        {"CPUID leaf both ways",
         R"({"clock": {"bus_mhz": 1, "multiplier": 1}, "cpus": {"count": 1, "cpuid": {"4": [1,2,3,4], "0x4.0": [1,2,3,4]}}})",
         "cpus.cpuid"},
        {"TSC as a fixed MSR",
         R"({"clock": {"bus_mhz": 1, "multiplier": 1}, "cpus": {"count": 1, "msrs": {"0x10": 5}}})", "cpus.msrs.0x10"},
        {"two processors, one APIC id",
         R"({"clock": {"bus_mhz": 1, "multiplier": 1}, "cpus": {"count": 2, "per_cpu": [{}, {"apic_id": 0}]}})",
         "cpus.per_cpu[1].apic_id"},
    };
    for (const BadBoard& bad : cases) {
        std::string strError;
        EXPECT_EQ(CSimBoard::FromJson(bad.strJson, strError), nullptr) << bad.pszWhy;
        EXPECT_NE(strError.find("board '"), std::string::npos) << bad.pszWhy << ": " << strError;
        EXPECT_NE(strError.find(bad.strField), std::string::npos) << bad.pszWhy << ": " << strError;
        EXPECT_EQ(strError.find('\n'), std::string::npos) << bad.pszWhy << ": " << strError;
    }
}

class SimBoardFileLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        char szTemplate[] = "/tmp/pendulon-boards-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_strDir = szTemplate;
        const char* pszOld = std::getenv("PENDULON_BOARDS");
        m_bHadOld = pszOld != nullptr;
        if (m_bHadOld)
            m_strOld = pszOld;
        setenv("PENDULON_BOARDS", m_strDir.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_bHadOld)
            setenv("PENDULON_BOARDS", m_strOld.c_str(), 1);
        else
            unsetenv("PENDULON_BOARDS");
        std::system(("rm -rf '" + m_strDir + "'").c_str());
    }
    void Write(const std::string& strFile, const std::string& strText)
    {
        std::ofstream(m_strDir + "/" + strFile) << strText;
    }
    std::string m_strDir, m_strOld;
    bool m_bHadOld = false;
};

TEST_F(SimBoardFileLookup, NamesAreLookedUpInTheBoardsDirectoryAndNothingElse)
{
    Write("mini.json", R"({"clock": {"bus_mhz": 100, "multiplier": 8}, "cpus": {"count": 1}})");
    std::string strError;
    auto pBoard = CSimBoard::Load("mini", strError);
    ASSERT_NE(pBoard, nullptr) << strError;
    EXPECT_EQ(pBoard->strName(), "mini");  // the file gives no name: the file's

    EXPECT_EQ(CSimBoard::Load("demo", strError), nullptr);  // not in this directory
    EXPECT_NE(strError.find("board 'demo'"), std::string::npos) << strError;
    EXPECT_NE(strError.find(m_strDir + "/demo.json"), std::string::npos) << strError;

    for (const char* pszName : {"..", "mini board", "", "mini\n"}) {
        EXPECT_EQ(CSimBoard::Load(pszName, strError), nullptr) << pszName;
        EXPECT_NE(strError.find("not a board name"), std::string::npos) << strError;
    }
    // With a '/' it is a path, read as it is: never resolved inside the boards directory.
    ASSERT_EQ(mkdir((m_strDir + "/sub").c_str(), 0700), 0);
    EXPECT_EQ(CSimBoard::Load("sub/../mini", strError), nullptr);
    EXPECT_NE(strError.find("cannot open sub/../mini"), std::string::npos) << strError;
    Write("secret", "root:x:0:0:root:/root:/bin/bash\n");
    // A file that is no board is not echoed in the message.
    EXPECT_EQ(CSimBoard::Load(m_strDir + "/secret", strError), nullptr);
    EXPECT_NE(strError.find("bad JSON at line 1"), std::string::npos) << strError;
    EXPECT_EQ(strError.find("root:"), std::string::npos) << strError;
    EXPECT_EQ(CSimBoard::Load(m_strDir, strError), nullptr);  // a directory
    EXPECT_NE(strError.find("not a regular file"), std::string::npos) << strError;

    pBoard = CSimBoard::Load(m_strDir + "/mini.json", strError);
    ASSERT_NE(pBoard, nullptr) << strError;
}

TEST(SimBoardFile, DamagedDemoFilesFailCleanly)
{
    const std::string strDemo = ReadDemoText();
    ASSERT_FALSE(strDemo.empty());
    std::string strError;
    ASSERT_NE(CSimBoard::FromJson(strDemo, strError), nullptr) << strError;
    for (size_t nLength = 0; nLength + 1 < strDemo.size(); nLength += 61) {
        EXPECT_EQ(CSimBoard::FromJson(strDemo.substr(0, nLength), strError), nullptr);
        EXPECT_FALSE(strError.empty());
    }
    // Flipped bytes: loaded or refused with a message, never a crash.
    std::mt19937 random(1234);
    for (int n = 0; n < 300; ++n) {
        std::string strText = strDemo;
        for (int k = 0; k < 3; ++k)
            strText[random() % strText.size()] = char(random() % 256);
        auto pBoard = CSimBoard::FromJson(strText, strError);
        EXPECT_TRUE(pBoard != nullptr || !strError.empty());
    }
}

// ---------------------------------------------------------------------------------------
// The access log

TEST(SimBoardLog, RecordsKindAddressWidthAndValue)
{
    auto pBoard = LoadDemo();
    CSimBoard& board = *pBoard;
    ASSERT_TRUE(board.Processors().bPinThread(1));
    board.Log().vClear();
    uint32_t dw = 0;
    uint64_t qw = 0;
    uint8_t block[16];
    Out(board, 0xCF8, 4, Latch(0, 0, 0, 0));
    In(board, 0xCFC, 4);
    In(board, 0x80, 1);                                   // nobody's port: still fine
    EXPECT_FALSE(board.bPortIn(0x80, 3, dw));             // no such width
    board.bReadPhysical(0xFEE00030, 4, &dw);
    board.bReadPhysical(0, sizeof block, block);
    board.bWritePhysicalDword(0x100, 0xDEADBEEF);
    board.bReadMsr(1, 0x198, qw);
    board.bReadMsr(1, 0xCE, qw);
    board.bWriteMsr(0, 0x199, 0x92C);

    const std::vector<AccessRecord> records = board.Log().Records();
    struct Expected {
        AccessKind eKind;
        uint64_t qwAddress;
        uint32_t nWidth;
        uint64_t qwValue;
        uint32_t nCpu;
        bool bOk;
    };
    const Expected expected[] = {
        {AccessKind::PortWrite, 0xCF8, 4, 0x80000000, 0, true},
        {AccessKind::PortRead, 0xCFC, 4, 0x29A08086, 0, true},
        {AccessKind::PortRead, 0x80, 1, 0xFF, 0, true},
        {AccessKind::PortRead, 0x80, 3, 0xFFFFFFFF, 0, false},
        {AccessKind::MemoryRead, 0xFEE00030, 4, 0x00050014, 0, true},
        {AccessKind::MemoryRead, 0, 16, 0, 0, true},
        {AccessKind::MemoryWrite, 0x100, 4, 0xDEADBEEF, 0, true},
        {AccessKind::MsrRead, 0x198, 8, 0x0616092C0600092Cull, 1, true},
        {AccessKind::MsrRead, 0xCE, 8, 0, 1, false},
        {AccessKind::MsrWrite, 0x199, 8, 0x92C, 0, true},
    };
    ASSERT_EQ(records.size(), std::size(expected));
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].eKind, expected[i].eKind) << i;
        EXPECT_EQ(records[i].qwAddress, expected[i].qwAddress) << i;
        EXPECT_EQ(records[i].nWidth, expected[i].nWidth) << i;
        EXPECT_EQ(records[i].qwValue, expected[i].qwValue) << i;
        EXPECT_EQ(records[i].nCpu, expected[i].nCpu) << i;
        EXPECT_EQ(records[i].bOk, expected[i].bOk) << i;
    }

    board.Log().vSetEnabled(false);
    In(board, 0x80, 1);
    EXPECT_EQ(board.Log().Records().size(), std::size(expected));
    board.Log().vClear();
    EXPECT_TRUE(board.Log().Records().empty());
}

}  // namespace
