// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The emulated SiS host controller (SiS 630 to 966). Status 0x00 (bit 1 device error, bit 2
// bus collision, bit 3 completion, bit 4 block chunk ready; written ones clear), control 0x02
// (bits 0..1 read 1 while a transfer is under way), host control 0x03 (0x20 kills the
// transfer; 0x12 byte data, 0x13 word data, 0x15 block start one), address 0x04, command
// 0x05, block count 0x07, data 0x08..0x0F. A block passes through the data registers eight
// bytes at a time: after each chunk the host sets chunk ready and holds the bus until
// software writes that bit back; after the last chunk it completes (a faulty one, on request,
// asks for chunks the block does not have first).
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/BusHandlers.h"
#include "sim/SMBusHostCycle.h"

namespace sim {

class CSMBusBus;

class CSiSSMBusHost : public CBytePortHandler {
public:
    static constexpr uint32_t PORT_COUNT = 16;
    static constexpr unsigned CHUNK = 8;

    CSiSSMBusHost(uint16_t wBase, std::shared_ptr<CSMBusBus> pBus);

    // A faulty host: after the last chunk of a block write it sets chunk ready nExtra times
    // more before it completes (the block itself has gone out whole).
    void vSetChunksAfterLast(uint32_t nExtra) { m_nChunksAfterLast = nExtra; }

private:
    enum class EJob : uint8_t { None, Data, BlockRead, BlockWrite };

    uint8_t bIn(unsigned nRegister, uint64_t qwNow) override;
    void vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow) override;
    void vStart(uint8_t bCode, uint64_t qwNow);
    void vUpdate(uint64_t qwNow);
    // The next chunk of a block goes on the wire (read: into the data registers when it has
    // arrived; write: taken from them now).
    void vNextChunk(uint64_t qwNow);
    void vEnd(uint8_t bStatusBits);
    bool bUnderWay() const { return m_eJob != EJob::None; }

    std::shared_ptr<CSMBusBus> m_pBus;
    CSMBusHostCycle m_Cycle;
    uint8_t m_bStatus = 0;
    uint8_t m_bControl = 0;
    uint8_t m_bHostControl = 0;
    uint8_t m_bAddress = 0, m_bCommand = 0, m_bCount = 0;
    std::array<uint8_t, 8> m_Data{};

    EJob m_eJob = EJob::None;
    bool m_bChunkHeld = false;  // chunk ready is set; the host waits for it to be written back
    uint8_t m_bEndStatus = 0;   // status bits the cycle under way ends with
    std::array<uint8_t, 2> m_EndData{};
    std::vector<uint8_t> m_Block;  // the block's bytes: read from the device, or handed over
    size_t m_nBlockLength = 0;     // bytes the block has (the count)
    size_t m_nDone = 0;            // bytes through the data registers so far
    size_t m_nChunk = 0;           // bytes in the chunk on the wire
    uint32_t m_nChunksAfterLast = 0;  // the fault: extra chunk requests per block write
    uint32_t m_nExtraLeft = 0;        // of them, still to come in the block under way
};

}  // namespace sim
