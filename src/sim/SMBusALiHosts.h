// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The emulated ALi (ULi) host controllers.
//
// M1563: the Intel register layout. Status 0x00 (bit 0 host busy, bit 1 completion, bit 2
// device error, bit 3 bus collision, bit 4 failed, bit 7 byte done; written ones clear bits
// 1..7), control 1 at 0x01 (bit 6 reads 1 once the last byte of a block went; writing bit 6
// ends the block, writing bit 7 resets the host), control 0x02 (bit 2 kill, protocol in bits
// 3..5: 2 byte data, 3 word data, 5 block; bit 6 start), command 0x03, address 0x04, data
// 0x05/0x06 (block: the count), block data 0x07. A block moves one byte for each start, each
// ending with byte done.
//
// M7101: status 0x00 (bit 2 idle, bit 3 host busy, bit 4 done, bit 5 device error, bit 6 bus
// collision, bit 7 terminated; written ones clear bits 4..7), control 0x01 (protocol in bits
// 4..6: 2 byte data, 3 word data; bit 2 kills), start 0x02 (any write), address 0x03, data
// 0x04/0x05, command 0x07.
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/BusHandlers.h"
#include "sim/SMBusBus.h"
#include "sim/SMBusHostCycle.h"

namespace sim {

class CALiM1563SMBusHost : public CBytePortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 16;

    CALiM1563SMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus);


private:
    enum class EBlock : uint8_t { None, Read, Write };

    uint8_t bIn(unsigned nRegister, uint64_t qwNow) override;
    void vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow) override;
    void vStart(uint64_t qwNow);
    void vBlockByte(uint64_t qwNow);
    void vUpdate(uint64_t qwNow);
    void vEndBlock();

    std::shared_ptr<CSMBusBus> m_pBus;
    CSMBusHostCycle m_Cycle;
    uint8_t m_bStatus = 0;
    uint8_t m_bControl1 = 0;
    uint8_t m_bControl = 0;
    uint8_t m_bCommand = 0, m_bAddress = 0, m_bData0 = 0, m_bData1 = 0, m_bBlockData = 0;

    // What the cycle under way ends with.
    uint8_t m_bEndStatus = 0;
    uint8_t m_bEndData0 = 0, m_bEndData1 = 0, m_bEndBlockData = 0;
    bool m_bEndLast = false;

    EBlock m_eBlock = EBlock::None;
    SMBusBlock m_Block;             // read: what the device clocks out
    std::vector<uint8_t> m_Written;  // write: the bytes handed over
    size_t m_nNext = 0;             // bytes of the block moved so far
    size_t m_nLength = 0;           // the block's count (write: at most 32)
};

class CALiM7101SMBusHost : public CBytePortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 16;

    CALiM7101SMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus);


private:
    uint8_t bIn(unsigned nRegister, uint64_t qwNow) override;
    void vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow) override;
    void vStart(uint64_t qwNow);
    void vUpdate(uint64_t qwNow);

    std::shared_ptr<CSMBusBus> m_pBus;
    CSMBusHostCycle m_Cycle;
    uint8_t m_bStatus = 0;  // bits 4..7
    uint8_t m_bControl = 0;
    uint8_t m_bAddress = 0, m_bData0 = 0, m_bData1 = 0, m_bCommand = 0;
    uint8_t m_bEndStatus = 0, m_bEndData0 = 0, m_bEndData1 = 0;
};

}  // namespace sim
