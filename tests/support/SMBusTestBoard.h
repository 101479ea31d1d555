// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small board with one SMBus controller of each Intel class (ICH1 class at 0x500, ICH4
// class at 0x600), each with the same devices on its own bus, and the kit on it; helpers to
// read the controller's register accesses back from the board's log and to see the waits
// the program makes on the board clock.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "KitOnDevice.h"
#include "platform/Clock.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusTargets.h"
#include "sim/SimAccessDevice.h"

namespace smbustest {

constexpr uint16_t ICH1_BASE = 0x500;
constexpr uint16_t ICH4_BASE = 0x600;

// Devices on both buses.
constexpr uint8_t REGS = 0x2F;           // register file: register i holds 0x40 + i, block count 8
constexpr uint8_t SPD = 0x50;            // DDR2 SPD EEPROM
constexpr uint8_t EMPTY = 0x20;          // nothing there
constexpr uint8_t HOLDS_CLOCK = 0x31;    // holds the clock low for ever
constexpr uint8_t COLLIDES = 0x32;       // loses arbitration
constexpr uint8_t COUNT_40 = 0x33;       // block count 40
constexpr uint8_t COUNT_0 = 0x34;        // block count 0
constexpr uint8_t COUNT_1 = 0x35;        // block count 1
constexpr uint8_t SILENT = 0x36;         // a device that does not answer
constexpr uint8_t REGS_FIRST = 0x40;     // value of register 0 of the register files

inline std::string strRegisterHex(uint8_t bFirst)
{
    std::string strHex;
    char sz[4];
    for (unsigned i = 0; i < 256; ++i) {
        snprintf(sz, sizeof sz, "%02x", uint8_t(bFirst + i));
        strHex += sz;
    }
    return strHex;
}

inline std::string strDevices()
{
    const std::string strRegs = "\"hex\": \"" + strRegisterHex(REGS_FIRST) + "\"";
    return "[{\"address\": \"0x2f\", \"type\": \"registers\", " + strRegs + ", \"block_count\": 8},"
           " {\"address\": \"0x50\", \"type\": \"spd\", \"ddr2\": {\"size_mib\": 1024, \"mts\": 800, \"ranks\": 2}},"
           " {\"address\": \"0x31\", \"type\": \"registers\", \"fault\": \"hold_clock\"},"
           " {\"address\": \"0x32\", \"type\": \"registers\", \"fault\": \"collision\"},"
           " {\"address\": \"0x33\", \"type\": \"registers\", " + strRegs + ", \"block_count\": 40},"
           " {\"address\": \"0x34\", \"type\": \"registers\", " + strRegs + ", \"block_count\": 0},"
           " {\"address\": \"0x35\", \"type\": \"registers\", " + strRegs + ", \"block_count\": 1},"
           " {\"address\": \"0x36\", \"type\": \"registers\", \"fault\": \"no_answer\"}]";
}

inline std::string strBoardText()
{
    return "{\"name\": \"smbus-test\", \"clock\": {\"bus_mhz\": 200, \"multiplier\": 10}, \"cpus\": {\"count\": 1},"
           " \"smbus\": [{\"controller\": \"intel-ich1\", \"base\": \"0x500\", \"devices\": " + strDevices() + "},"
           " {\"controller\": \"intel-ich4\", \"base\": \"0x600\", \"devices\": " + strDevices() + "}]}";
}

// A clock that hands everything to the board's clock and notes each sleep together with the
// number of accesses the board had served by then.
class CRecordingClock : public platform::IClock {
public:
    struct Sleep {
        size_t nAccessesBefore;
        uint64_t qwMicroseconds;
    };
    CRecordingClock(platform::IClock& inner, sim::CAccessLog& log) : m_Inner(inner), m_Log(log) {}
    uint64_t qwNanoseconds() override { return m_Inner.qwNanoseconds(); }
    void vSleepMicroseconds(uint64_t qwMicroseconds) override
    {
        m_Sleeps.push_back(Sleep{m_Log.Records().size(), qwMicroseconds});
        m_Inner.vSleepMicroseconds(qwMicroseconds);
    }
    std::vector<Sleep> m_Sleeps;

private:
    platform::IClock& m_Inner;
    sim::CAccessLog& m_Log;
};

// One access to a controller register.
struct RegisterAccess {
    bool bWrite;
    unsigned nRegister;
    uint8_t bValue;
    size_t nIndex;  // position in the board's log
};

class CSMBusKit {
public:
    explicit CSMBusKit(const std::string& strText = strBoardText())
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::FromJson(strText, strError);
        if (!pBoard) {
            ADD_FAILURE() << strError;
            return;
        }
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
        EXPECT_TRUE(m_pKit->bOk());
        m_pClock = std::make_unique<CRecordingClock>(platform::Clock(), m_pSim->Board().Log());
        platform::SetClock(m_pClock.get());
    }
    ~CSMBusKit()
    {
        if (m_pClock)
            platform::SetClock(&m_pSim->Board().Clock());
    }

    bool bReady() const { return m_pSim != nullptr; }
    sim::CSimBoard& Board() { return m_pSim->Board(); }
    sim::CSMBusBus& Bus(uint16_t wBase) { return *Board().pSMBus(wBase == ICH1_BASE ? 0 : 1); }
    CRecordingClock& Clock() { return *m_pClock; }

    // Starts the record afresh.
    void vClearRecords()
    {
        Board().Log().vClear();
        m_pClock->m_Sleeps.clear();
        Bus(ICH1_BASE).vClearTransfers();
        Bus(ICH4_BASE).vClearTransfers();
    }

    // The byte accesses to the controller's registers since the last vClearRecords.
    std::vector<RegisterAccess> Accesses(uint16_t wBase)
    {
        std::vector<RegisterAccess> accesses;
        std::vector<sim::AccessRecord> records = Board().Log().Records();
        for (size_t i = 0; i < records.size(); ++i) {
            const sim::AccessRecord& r = records[i];
            if ((r.eKind != sim::AccessKind::PortRead && r.eKind != sim::AccessKind::PortWrite) || r.qwAddress < wBase ||
                r.qwAddress >= wBase + 32u)
                continue;
            accesses.push_back(RegisterAccess{r.eKind == sim::AccessKind::PortWrite, unsigned(r.qwAddress - wBase),
                                              uint8_t(r.qwValue), i});
        }
        return accesses;
    }

    // Changes a device while the board serves nothing else.
    template <typename F>
    void vWithDevice(uint16_t wBase, uint8_t nAddress, F f)
    {
        std::lock_guard<std::mutex> lock(Board().AccessMutex());
        sim::CSMBusTarget* pTarget = Bus(wBase).pTarget(0, nAddress);
        ASSERT_NE(pTarget, nullptr);
        f(*pTarget);
    }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
    std::unique_ptr<CRecordingClock> m_pClock;
};

}  // namespace smbustest
