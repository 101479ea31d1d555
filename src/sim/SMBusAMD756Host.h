// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The emulated AMD-756/766/768 host controller, 16-bit registers: global status 0x00 (bit 0
// abort, bit 1 collision, bit 2 device error, bit 3 host busy, bit 4 cycle complete, bit 5
// time-out, bit 11 bus busy; written ones clear bits 0, 1, 2, 4 and 5), global enable 0x02
// (cycle type in bits 0..2: 0 quick, 2 byte data, 3 word data; bit 3 start, read back 0;
// bit 5 abort), address 0x04, data 0x06 (low byte data0, high byte data1), command 0x08.
// Byte accesses reach either half of a register.
#include <array>
#include <cstdint>
#include <memory>

#include "sim/BusHandlers.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusHostCycle.h"

namespace sim {

class CAMD756SMBusHost : public CPortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 16;

    CAMD756SMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus);

    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override;

private:
    uint16_t wStatus() const;
    void vWriteEnable(uint16_t wValue, uint64_t qwNow);
    void vStart(uint64_t qwNow);
    void vUpdate(uint64_t qwNow);

    std::shared_ptr<CSMBusBus> m_pBus;
    CSMBusHostCycle m_Cycle;
    uint16_t m_wStatus = 0;  // the sticky bits
    std::array<uint8_t, PORT_COUNT> m_Registers{};
    uint16_t m_wEndStatus = 0, m_wEndData = 0;
};

}  // namespace sim
