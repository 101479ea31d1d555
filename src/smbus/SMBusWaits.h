// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The waits of the SMBus hosts. Each reads the host's status until it shows what is waited
// for, sleeping between readings, and gives up once its budget of readings is spent. A wait
// is named by what it waits for (the host to be free, the host to complete, the byte-done
// flag, one of several outcome bits). The families' protocols differ in where the sleeps fall
// and in which reading spends the budget; their timing is part of the protocol (a wait that
// gives up one poll early, or sleeps once less, changes what a slow device gets), so each wait
// is run with the loop of its protocol.
#include <cstdint>

#include "platform/Clock.h"

namespace smbus {

// Where a wait's sleeps fall and how its budget of nBudget readings is spent.
enum class EPoll : uint8_t {
    // Looks at the first reading at once and sleeps before each further one: what is waited
    // for must show within 1 + nBudget readings; a time-out has made nBudget sleeps.
    LookFirst,
    // As LookFirst, but a further reading is counted before it is looked at: it must show
    // within 1 + nBudget readings, and a time-out makes one sleep and one reading more, whose
    // status is not looked at. (The ICH's completion wait after a byte or word start.)
    LookFirstCountFirst,
    // Sleeps after every reading, the one that ends the wait too: what is waited for must show
    // within nBudget readings; a time-out makes one reading (and sleep) more. (The ICH's write
    // completion and byte-done waits.)
    SleepAfterEach,
    // Sleeps after a reading only while it does not show what is waited for: it must show
    // within nBudget readings; a time-out makes one reading more. (The ICH's idle wait.)
    SleepWhileWaiting,
    // Counts each reading before it looks at it and sleeps only before a further reading:
    // what is waited for must show within nBudget readings; a time-out makes one reading more,
    // whose status is not looked at, after nBudget sleeps. (The ICH's byte-done wait of a
    // block write.)
    CountEach,
};

// fnRead() gives the status, fnDone(status) tells whether the wait is over. True when it is;
// dwStatus holds the status read last either way.
template <typename FnRead, typename FnDone>
bool bPoll(FnRead fnRead, FnDone fnDone, EPoll ePoll, int32_t nBudget, uint32_t dwSleepMs, uint32_t& dwStatus)
{
    switch (ePoll) {
    case EPoll::LookFirst:
        dwStatus = fnRead();
        for (int32_t nPolls = 0; !fnDone(dwStatus); ++nPolls) {
            if (nPolls >= nBudget)
                return false;
            platform::Sleep(dwSleepMs);
            dwStatus = fnRead();
        }
        return true;
    case EPoll::LookFirstCountFirst:
        dwStatus = fnRead();
        while (!fnDone(dwStatus)) {
            platform::Sleep(dwSleepMs);
            dwStatus = fnRead();
            if (--nBudget < 0)
                return false;
        }
        return true;
    case EPoll::SleepAfterEach:
        do {
            dwStatus = fnRead();
            platform::Sleep(dwSleepMs);
            if (--nBudget < 0)
                return false;
        } while (!fnDone(dwStatus));
        return true;
    case EPoll::CountEach:
        for (;;) {
            dwStatus = fnRead();
            if (--nBudget < 0)
                return false;
            if (fnDone(dwStatus))
                return true;
            platform::Sleep(dwSleepMs);
        }
    case EPoll::SleepWhileWaiting:
        for (;;) {
            dwStatus = fnRead();
            const bool bDone = fnDone(dwStatus);
            if (!bDone)
                platform::Sleep(dwSleepMs);
            if (--nBudget < 0)
                return false;
            if (bDone)
                return true;
        }
    }
    return false;
}

// The named waits of one host: its status reading, its poll budget and its sleep between
// readings. Each wait leaves the status it read last in dwStatus().
template <typename FnRead>
class CStatusWaits {
public:
    CStatusWaits(FnRead fnRead, int32_t nBudget, uint32_t dwSleepMs)
        : m_fnRead(fnRead), m_nBudget(nBudget), m_dwSleepMs(dwSleepMs)
    {
    }

    // Before a start: the host is free, none of the dwBusy bits set.
    bool bHostFree(uint32_t dwBusy, EPoll ePoll = EPoll::LookFirst)
    {
        return bUntil([dwBusy](uint32_t s) { return !(s & dwBusy); }, ePoll);
    }
    // After a start: the host has completed the transaction, none of the dwBusy bits set.
    bool bCompletion(uint32_t dwBusy, EPoll ePoll = EPoll::LookFirst)
    {
        return bUntil([dwBusy](uint32_t s) { return !(s & dwBusy); }, ePoll);
    }
    // In a block transfer: the byte-done flag shows that the host holds the next byte.
    bool bByteDone(uint32_t dwByteDone, EPoll ePoll = EPoll::LookFirst) { return bAnyOf(dwByteDone, ePoll); }
    // Any of dwBits is set: for hosts that end a transaction with one of several outcome bits
    // (completion, an error, a chunk to take).
    bool bAnyOf(uint32_t dwBits, EPoll ePoll = EPoll::LookFirst)
    {
        return bUntil([dwBits](uint32_t s) { return (s & dwBits) != 0; }, ePoll);
    }
    // Whatever fnDone(status) says.
    template <typename FnDone>
    bool bUntil(FnDone fnDone, EPoll ePoll = EPoll::LookFirst)
    {
        return bPoll(m_fnRead, fnDone, ePoll, m_nBudget, m_dwSleepMs, m_dwStatus);
    }

    uint32_t dwStatus() const { return m_dwStatus; }

private:
    FnRead m_fnRead;
    int32_t m_nBudget;
    uint32_t m_dwSleepMs;
    uint32_t m_dwStatus = 0;
};

}  // namespace smbus
