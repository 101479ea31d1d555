// SPDX-License-Identifier: GPL-2.0-or-later
// SMBus transactions on the simulated ICH4-class controller of the demo board (ICH8), on the
// board clock: a byte read against the 5 ms the protocol waits after its start, and a
// 21-byte block read against the byte-done waits it makes. The ratios say what the
// transaction costs beyond the waits the protocol requires (target: at most 1.05).
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>

#include "KitOnDevice.h"
#include "platform/Clock.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusTargets.h"
#include "sim/SimAccessDevice.h"
#include "smbus/IntelSMBus.h"

namespace {

constexpr uint16_t DEMO_SMBUS_BASE = 0x400;
constexpr uint8_t SPD_ADDRESS = 0x50;
constexpr uint8_t BLOCK_ADDRESS = 0x2F;
constexpr uint8_t BLOCK_BYTES = 21;
constexpr double PROTOCOL_START_WAIT_NS = 5e6;

// Hands everything to the board's clock and adds up the time slept.
class CSleepCountingClock : public platform::IClock {
public:
    explicit CSleepCountingClock(platform::IClock& inner) : m_Inner(inner) {}
    uint64_t qwNanoseconds() override { return m_Inner.qwNanoseconds(); }
    void vSleepMicroseconds(uint64_t qwMicroseconds) override
    {
        m_qwSleptNs += qwMicroseconds * 1000;
        ++m_nSleeps;
        m_Inner.vSleepMicroseconds(qwMicroseconds);
    }
    uint64_t m_qwSleptNs = 0;
    uint64_t m_nSleeps = 0;

private:
    platform::IClock& m_Inner;
};

class CBenchBoard {
public:
    CBenchBoard()
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::Load("demo", strError);
        if (!pBoard)
            return;
        pBoard->Log().vSetEnabled(false);
        m_pBoard = pBoard.get();
        {
            // A device that answers block reads with 21 bytes.
            std::lock_guard<std::mutex> lock(m_pBoard->AccessMutex());
            m_bOk = m_pBoard->pSMBus(0) &&
                    m_pBoard->pSMBus(0)->bAttach(0, BLOCK_ADDRESS, std::make_unique<sim::CRegisterFile>(
                                                                       std::vector<uint8_t>(256, 0x5A), BLOCK_BYTES),
                                                 strError);
        }
        m_pKit = std::make_unique<CKitOnDevice>(std::make_unique<sim::CSimAccessDevice>(std::move(pBoard)));
        m_bOk = m_bOk && m_pKit->bOk();
        m_pClock = std::make_unique<CSleepCountingClock>(platform::Clock());
        platform::SetClock(m_pClock.get());
    }
    ~CBenchBoard()
    {
        if (m_pClock)
            platform::SetClock(&m_pBoard->Clock());
    }

    bool m_bOk = false;
    sim::CSimBoard* m_pBoard = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
    std::unique_ptr<CSleepCountingClock> m_pClock;
};

void BM_SMBusByteReadICH4(benchmark::State& state)
{
    CBenchBoard board;
    if (!board.m_bOk) {
        state.SkipWithError("the demo board could not be opened");
        return;
    }
    Intel_ICH4_SMBusIOSpace controller(DEMO_SMBUS_BASE);
    uint64_t qwBoardNs = 0, nReads = 0;
    for (auto _ : state) {
        uint8_t b = 0;
        uint64_t qwStart = board.m_pBoard->Clock().qwNanoseconds();
        if (!controller.SMBusReadByte(0, SPD_ADDRESS, 2, b)) {
            state.SkipWithError("the SPD EEPROM did not answer");
            return;
        }
        qwBoardNs += board.m_pBoard->Clock().qwNanoseconds() - qwStart;
        ++nReads;
    }
    double dBoardNs = double(qwBoardNs) / double(nReads);
    state.counters["board_us"] = dBoardNs / 1000.0;
    state.counters["ratio_to_5ms"] = dBoardNs / PROTOCOL_START_WAIT_NS;
}
BENCHMARK(BM_SMBusByteReadICH4);

void BM_SMBusBlockRead21ICH4(benchmark::State& state)
{
    CBenchBoard board;
    if (!board.m_bOk) {
        state.SkipWithError("the demo board could not be opened");
        return;
    }
    Intel_ICH4_SMBusIOSpace controller(DEMO_SMBUS_BASE);
    uint64_t qwBoardNs = 0, qwWaitNs = 0, nWaits = 0, nReads = 0;
    for (auto _ : state) {
        uint8_t buffer[32];
        uint64_t qwSlept = board.m_pClock->m_qwSleptNs, nSleeps = board.m_pClock->m_nSleeps;
        uint64_t qwStart = board.m_pBoard->Clock().qwNanoseconds();
        if (controller.SMBusBlockRead(0, BLOCK_ADDRESS, 0, buffer) != BLOCK_BYTES) {
            state.SkipWithError("the block read did not return 21 bytes");
            return;
        }
        qwBoardNs += board.m_pBoard->Clock().qwNanoseconds() - qwStart;
        // The ICH4 block read sleeps nowhere but in its byte-done waits.
        qwWaitNs += board.m_pClock->m_qwSleptNs - qwSlept;
        nWaits += board.m_pClock->m_nSleeps - nSleeps;
        ++nReads;
    }
    state.counters["board_us"] = double(qwBoardNs) / double(nReads) / 1000.0;
    state.counters["ratio_to_byte_done_waits"] = double(qwBoardNs) / double(qwWaitNs);
    state.counters["byte_done_waits_per_byte"] = double(nWaits) / double(nReads) / BLOCK_BYTES;
}
BENCHMARK(BM_SMBusBlockRead21ICH4);

}  // namespace
