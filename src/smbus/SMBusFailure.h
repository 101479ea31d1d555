// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Why an SMBus transaction failed. The transactions keep their 0/1 (or byte count) results;
// beside them every controller keeps, for each thread, the cause of the last transaction
// that thread ran on it, which a caller asks for when it has to say what went wrong. Each
// host family tells the cause from its own status register.
#include <cstdint>
#include <string>

enum class ESMBusFailure : uint8_t {
    None,          // the transaction completed
    NoAnswer,      // no device acknowledged its address (or a byte of the transfer)
    TimedOut,      // the host never completed the transaction within its poll budget
    Collision,     // another master won the arbitration: the bus was lost
    BusError,      // the host reported the transaction failed (device error, failed, killed)
    NotSupported,  // the controller cannot run that transaction
    Busy,          // the host stayed busy, so the transaction was never started
};

// The cause in words, for messages: "the controller timed out", "no device answers".
const char* pszSMBusFailure(ESMBusFailure eFailure);
// The same with the device's address where the cause concerns the device: "no device answers
// at 0x69".
std::string strSMBusFailure(ESMBusFailure eFailure, uint8_t nAddress);

namespace smbus {

// The per-thread record behind CSMBusIOSpace::eLastFailure. A controller is known by a
// serial number that is never given out twice, so a record cannot outlive its controller
// and be taken for another's.
uint64_t qwNewControllerSerial();
void vSetLastFailure(uint64_t qwController, ESMBusFailure eFailure);
ESMBusFailure eLastFailure(uint64_t qwController);
// Drops this thread's record of the controller (when the controller goes away).
void vForgetController(uint64_t qwController);

}  // namespace smbus
