// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The time a host controller's transaction takes on the wire: a cycle starts at a board time
// and ends the wire time later, or never when a device holds the clock low. The emulated
// hosts put the whole transaction on the bus at the start and show its outcome (status bits,
// data) only once the cycle has ended, as software sees the silicon.
#include <cstdint>

#include "sim/SMBusBus.h"

namespace sim {

class CSMBusHostCycle {
public:
    // Starts a cycle at qwNow that lasts qwWireNs; a hung bus makes it last until Stop().
    void vStart(uint64_t qwNow, uint64_t qwWireNs, bool bHung)
    {
        m_bRunning = true;
        m_bHung = bHung;
        m_qwEnd = qwNow + qwWireNs;
    }
    // True once, at the first look after the cycle ended: the caller then shows its outcome.
    bool bEndsBy(uint64_t qwNow)
    {
        if (!m_bRunning || m_bHung || qwNow < m_qwEnd)
            return false;
        m_bRunning = false;
        return true;
    }
    bool bRunning() const { return m_bRunning; }
    // A kill or reset: the cycle ends at once without an outcome.
    void vStop() { m_bRunning = m_bHung = false; }

private:
    bool m_bRunning = false;
    bool m_bHung = false;
    uint64_t m_qwEnd = 0;
};

// The controller status bits an outcome on the wire gives, in the Intel layout's terms.
enum class SMBusOutcome : uint8_t { Done, DeviceError, Collision, Failed };

inline SMBusOutcome eOutcome(SMBusStatus eStatus)
{
    switch (eStatus) {
    case SMBusStatus::Ok:
        return SMBusOutcome::Done;
    case SMBusStatus::Collision:
        return SMBusOutcome::Collision;
    case SMBusStatus::Failed:
        return SMBusOutcome::Failed;
    default:
        return SMBusOutcome::DeviceError;
    }
}

}  // namespace sim
