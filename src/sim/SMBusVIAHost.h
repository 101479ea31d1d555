// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The emulated VIA VT82xx / ATI SB host controller: the Intel register layout with a 32-byte
// block buffer that takes the whole block. Status 0x00 (bit 0 host busy, bit 1 completion,
// bit 2 device error, bit 3 bus collision, bit 4 failed; written ones clear bits 1..4),
// control 0x02 (bit 1 kill, protocol in bits 2..4, bit 6 start; reading it puts the block
// buffer index back to 0), command 0x03, address 0x04, data 0x05/0x06 (block: the count),
// block data 0x07 (the buffer, one byte at each access).
#include <array>
#include <cstdint>
#include <memory>

#include "sim/BusHandlers.h"
#include "sim/SMBusHostCycle.h"
#include "sim/SMBusIntelLayout.h"

namespace sim {

class CSMBusBus;

class CVIASMBusHost : public CBytePortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 16;

    CVIASMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus);


private:
    uint8_t bIn(unsigned nRegister, uint64_t qwNow) override;
    void vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow) override;
    void vStart(uint64_t qwNow);
    void vUpdate(uint64_t qwNow);

    std::shared_ptr<CSMBusBus> m_pBus;
    CSMBusHostCycle m_Cycle;
    uint8_t m_bStatus = 0;  // bits 1..4
    uint8_t m_bControl = 0;
    intel_layout::CTransferRegisters m_Transfer;
    std::array<uint8_t, 32> m_Buffer{};
    unsigned m_nIndex = 0;
    // The outcome of the cycle under way, shown when it ends.
    uint8_t m_bPendingStatus = 0;
    uint8_t m_bPendingData0 = 0, m_bPendingData1 = 0;
    std::array<uint8_t, 32> m_PendingBuffer{};
    bool m_bPendingBuffer = false;
};

}  // namespace sim
