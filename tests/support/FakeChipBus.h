// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A clock chip as the drivers see it through their IC command set, for tests: a register
// file that records every transfer (and every wait, through a clock installed for the test),
// can answer a block read with fewer bytes than asked, refuse writes or let single word
// reads fail. The driver goes by machine facts the test sets: no kit is built.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <vector>

#include "FakeMachineFacts.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLChipRegistry.h"
#include "smbus/ICCommandSet.h"

struct FakeTransfer {
    enum Kind { READ_BLOCK, WRITE_BLOCK, READ_WORD, WRITE_WORD, SLEEP } eKind;
    uint8_t bCommand = 0;
    int32_t nValue = 0;             // block: bytes moved; word: the 16-bit value; sleep: ms
    std::vector<uint8_t> Data;      // a block write's bytes
};

class CFakeChipBus : public CICCommandSet {
public:
    // A block read sends the next of m_BlockCounts, then m_nBlockCount bytes (a count
    // register, when set, decides instead, as the chips do).
    int32_t ReadBlock(uint8_t bCommand, int32_t, uint8_t* pBuffer) override
    {
        int32_t nCount = m_nBlockCount;
        if (!m_BlockCounts.empty()) {
            nCount = m_BlockCounts.front();
            m_BlockCounts.pop_front();
        } else if (m_nCountRegister >= 0) {
            nCount = m_Registers[size_t(m_nCountRegister)];
        }
        vLog(FakeTransfer::READ_BLOCK, bCommand, nCount);
        for (int32_t i = 0; i < nCount; ++i) pBuffer[i] = m_Registers[uint8_t(bCommand + i)];
        return nCount;
    }
    int32_t WriteBlock(uint8_t bCommand, int32_t nCount, const uint8_t* pBuffer) override
    {
        FakeTransfer& transfer = vLog(FakeTransfer::WRITE_BLOCK, bCommand, nCount);
        transfer.Data.assign(pBuffer, pBuffer + nCount);
        if (m_bRefuseWrites) return -1;
        for (int32_t i = 0; i < nCount; ++i) m_Registers[uint8_t(bCommand + i)] = pBuffer[i];
        return nCount;
    }
    // Word transfers reach register (command AND m_bWordMask); the first byte is 0.
    uint16_t ReadWord(uint8_t bCommand) override
    {
        vLog(FakeTransfer::READ_WORD, bCommand, 0);
        if (m_FailingWords.count(bCommand)) return 0xFFFF;
        return m_Registers[bCommand & m_bWordMask];
    }
    uint32_t WriteWord(uint8_t bCommand, uint16_t wValue) override
    {
        vLog(FakeTransfer::WRITE_WORD, bCommand, wValue);
        if (m_bRefuseWrites) return 0;
        m_Registers[bCommand & m_bWordMask] = uint8_t(wValue & 0xFF);
        return 1;
    }

    FakeTransfer& vLog(FakeTransfer::Kind eKind, uint8_t bCommand, int32_t nValue)
    {
        m_Log.push_back(FakeTransfer{eKind, bCommand, nValue, {}});
        return m_Log.back();
    }
    size_t nCount(FakeTransfer::Kind eKind) const
    {
        size_t n = 0;
        for (const FakeTransfer& t : m_Log) n += t.eKind == eKind;
        return n;
    }
    const FakeTransfer* pLast(FakeTransfer::Kind eKind) const
    {
        for (auto it = m_Log.rbegin(); it != m_Log.rend(); ++it)
            if (it->eKind == eKind) return &*it;
        return nullptr;
    }
    // The word writes in order as (command, low byte) pairs.
    std::vector<std::pair<uint8_t, uint8_t>> WordWrites() const
    {
        std::vector<std::pair<uint8_t, uint8_t>> writes;
        for (const FakeTransfer& t : m_Log)
            if (t.eKind == FakeTransfer::WRITE_WORD) writes.emplace_back(t.bCommand, uint8_t(t.nValue));
        return writes;
    }

    std::array<uint8_t, 256> m_Registers{};
    std::deque<int32_t> m_BlockCounts;
    int32_t m_nBlockCount = 32;
    int32_t m_nCountRegister = -1;
    bool m_bRefuseWrites = false;
    std::set<uint8_t> m_FailingWords;
    uint8_t m_bWordMask = 0x7F;
    std::vector<FakeTransfer> m_Log;
};

// A clock whose waits cost nothing and go into the bus's log.
class CFakeChipClock : public platform::IClock {
public:
    explicit CFakeChipClock(CFakeChipBus& bus) : m_Bus(bus) {}
    uint64_t qwNanoseconds() override { return m_qwNow; }
    void vSleepMicroseconds(uint64_t qwMicroseconds) override
    {
        m_qwNow += qwMicroseconds * 1000;
        m_Bus.vLog(FakeTransfer::SLEEP, 0, int32_t(qwMicroseconds / 1000));
    }

private:
    CFakeChipBus& m_Bus;
    uint64_t m_qwNow = 1;
};

// One chip driver on a fake bus, with the fake clock installed and machine facts of its own
// (a measured bus clock when asked, AGP graphics, no PCI functions).
class CChipOnFakeBus {
public:
    explicit CChipOnFakeBus(uint32_t dwID) : m_Clock(m_Bus)
    {
        platform::SetClock(&m_Clock);
        m_pChip.reset(pCreateSMBusClockChip(dwID));
        if (m_pChip) m_pChip->m_pCommandSet = &m_Bus;
    }
    ~CChipOnFakeBus() { platform::SetClock(nullptr); }
    CChipOnFakeBus(const CChipOnFakeBus&) = delete;
    CChipOnFakeBus& operator=(const CChipOnFakeBus&) = delete;

    void vSetBusClock(float fMHz) { m_Facts.m_fBusClock = fMHz; }
    // The registers at power-on, from register 0.
    void vLoad(std::initializer_list<std::pair<int, uint8_t>> registers)
    {
        for (const auto& [nRegister, bValue] : registers) m_Bus.m_Registers[size_t(nRegister)] = bValue;
    }
    // Reads the chip into a fresh set.
    CFrequencySet Read()
    {
        CFrequencySet set;
        m_bLastRead = m_pChip->bReadClocks(set);
        return set;
    }

    bool bHasChip() const { return m_pChip != nullptr; }
    CClockGenerator& Chip() { return *m_pChip; }
    CFakeChipBus m_Bus;
    CFakeMachineFacts m_Facts;
    uint32_t m_bLastRead = 0;

private:
    CFakeChipClock m_Clock;
    std::unique_ptr<CClockGenerator> m_pChip;
};
