// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/SMBusFailure.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<uint64_t> s_qwNextSerial{1};

// Only failures are kept, in a small table of plain data: nothing to build or destroy, so a
// controller that goes away at exit, after the thread's storage, still finds it. A thread
// that fails on more controllers than the table holds loses the oldest record first.
struct LastFailure {
    uint64_t qwController;  // 0: free
    ESMBusFailure eFailure;
};
constexpr size_t RECORDS = 32;
thread_local LastFailure t_Records[RECORDS];
thread_local size_t t_nNextRecord;

LastFailure* pRecord(uint64_t qwController)
{
    for (LastFailure& record : t_Records)
        if (record.qwController == qwController)
            return &record;
    return nullptr;
}

}  // namespace

const char* pszSMBusFailure(ESMBusFailure eFailure)
{
    switch (eFailure) {
    case ESMBusFailure::None:
        return "the transaction completed";
    case ESMBusFailure::NoAnswer:
        return "no device answers";
    case ESMBusFailure::TimedOut:
        return "the controller timed out";
    case ESMBusFailure::Collision:
        return "the controller lost the bus to another master (collision)";
    case ESMBusFailure::BusError:
        return "the controller reported a bus error";
    case ESMBusFailure::NotSupported:
        return "the controller cannot do that transaction";
    case ESMBusFailure::Busy:
        return "the controller stayed busy and did not start the transaction";
    }
    return "the transaction failed";
}

std::string strSMBusFailure(ESMBusFailure eFailure, uint8_t nAddress)
{
    if (eFailure != ESMBusFailure::NoAnswer)
        return pszSMBusFailure(eFailure);
    char sz[40];
    std::snprintf(sz, sizeof sz, "no device answers at 0x%02x", nAddress);
    return sz;
}

namespace smbus {

uint64_t qwNewControllerSerial() { return s_qwNextSerial.fetch_add(1, std::memory_order_relaxed); }

void vSetLastFailure(uint64_t qwController, ESMBusFailure eFailure)
{
    if (qwController == 0)
        return;
    LastFailure* pFound = pRecord(qwController);
    if (eFailure == ESMBusFailure::None) {
        if (pFound)
            *pFound = LastFailure{0, ESMBusFailure::None};
        return;
    }
    if (!pFound)
        pFound = pRecord(0);
    if (!pFound) {
        pFound = &t_Records[t_nNextRecord];
        t_nNextRecord = (t_nNextRecord + 1) % RECORDS;
    }
    *pFound = LastFailure{qwController, eFailure};
}

ESMBusFailure eLastFailure(uint64_t qwController)
{
    const LastFailure* pFound = qwController ? pRecord(qwController) : nullptr;
    return pFound ? pFound->eFailure : ESMBusFailure::None;
}

void vForgetController(uint64_t qwController) { vSetLastFailure(qwController, ESMBusFailure::None); }

}  // namespace smbus
