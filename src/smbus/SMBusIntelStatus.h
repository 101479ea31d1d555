// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The host status register of the Intel ICH layout, which the PIIX4, the VIA and ATI south
// bridges and the ALi M1563 share (offset 0x00; bits written back as 1 clear them), and the
// failure each of its error bits tells.
#include <cstdint>

#include "smbus/SMBusFailure.h"

namespace smbus::intel_status {

enum : uint8_t {
    HOST_BUSY = 0x01,
    INTR = 0x02,       // the transaction completed
    DEV_ERR = 0x04,    // device error: the device did not acknowledge (or the command was illegal)
    BUS_ERR = 0x08,    // bus collision: another master won the arbitration
    FAILED = 0x10,     // the transaction failed (killed)
    BYTE_DONE = 0x80,  // a byte of a block transfer is done and held
    ERRORS = DEV_ERR | BUS_ERR | FAILED,
};

// What the error bits of a status say, as the kernel's drivers read them: a collision before
// a device error before a failed transaction; None without error bits.
inline ESMBusFailure eFailure(uint32_t dwStatus)
{
    if (dwStatus & BUS_ERR)
        return ESMBusFailure::Collision;
    if (dwStatus & DEV_ERR)
        return ESMBusFailure::NoAnswer;
    if (dwStatus & FAILED)
        return ESMBusFailure::BusError;
    return ESMBusFailure::None;
}

// A transfer the host ended without an error bit (it completed early): still a bus error.
inline ESMBusFailure eEndedEarly(uint32_t dwStatus)
{
    const ESMBusFailure eFound = eFailure(dwStatus);
    return eFound == ESMBusFailure::None ? ESMBusFailure::BusError : eFound;
}

// A wait that ran out: the error bits if the status shows any (the host gave up on its own
// and will set no byte-done or completion after them), else a time-out.
inline ESMBusFailure eTimedOut(uint32_t dwStatus)
{
    const ESMBusFailure eFound = eFailure(dwStatus);
    return eFound == ESMBusFailure::None ? ESMBusFailure::TimedOut : eFound;
}

}  // namespace smbus::intel_status
