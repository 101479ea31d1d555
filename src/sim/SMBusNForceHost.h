// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The emulated nForce (MCP) host controller: protocol 0x00 (a write starts the transaction:
// bit 0 read, bits 1..3 the kind: 1 quick, 3 byte data, 4 word data; it reads 0 once the
// transaction is done), status 0x01 (bit 7 done, bits 0..4 the outcome: 0 answered, 0x10 no
// acknowledge, 0x12 bus collision, 0x13 any other failure; a start clears it), address 0x02 (the 7-bit address in
// bits 1..7), command 0x03, data 0x04/0x05.
#include <cstdint>
#include <memory>

#include "sim/BusHandlers.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusHostCycle.h"

namespace sim {

class CNForceSMBusHost : public CBytePortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 64;
    static constexpr uint8_t OUTCOME_NO_ACK = 0x10;
    static constexpr uint8_t OUTCOME_COLLISION = 0x12;
    static constexpr uint8_t OUTCOME_UNKNOWN_ERROR = 0x13;

    CNForceSMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus);


private:
    uint8_t bIn(unsigned nRegister, uint64_t qwNow) override;
    void vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow) override;
    void vStart(uint64_t qwNow);
    void vUpdate(uint64_t qwNow);

    std::shared_ptr<CSMBusBus> m_pBus;
    CSMBusHostCycle m_Cycle;
    uint8_t m_bProtocol = 0, m_bStatus = 0, m_bAddress = 0, m_bCommand = 0, m_bData0 = 0, m_bData1 = 0;
    uint8_t m_bEndStatus = 0, m_bEndData0 = 0, m_bEndData1 = 0;
};

}  // namespace sim
