// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The plain devices of a board: RAM regions and the ACPI power management timer.
#include <cstdint>
#include <vector>

#include "sim/BusHandlers.h"

namespace sim {

// Memory that reads back what was written; zero-filled unless the board file gives bytes.
class CRamRegion : public CMemoryHandler {
public:
    CRamRegion(uint64_t qwBase, uint64_t qwSize, const std::vector<uint8_t>& initial);
    void vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context) override;
    void vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext& context) override;

private:
    std::vector<uint8_t> m_Bytes;
};

// The PM timer: a read-only 32-bit port whose low 24 bits count at 3.579545 MHz of board
// time and wrap; the upper bits read 0.
class CPMTimer : public CPortHandler {
public:
    static constexpr uint64_t FREQUENCY_HZ = 3579545;
    static constexpr uint32_t COUNT_MASK = 0xFFFFFF;

    explicit CPMTimer(uint16_t wPort) : CPortHandler(wPort, 4) {}
    static uint32_t dwCountAt(uint64_t qwNanoseconds);
    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t, unsigned, uint32_t, const AccessContext&) override {}
};

}  // namespace sim
