// SPDX-License-Identifier: GPL-2.0-or-later
// The FB-DIMM memory clock buffer ICS 9P932 of the simulated board. Registers 8 and 9 hold
// the skew codes of channels A and B (CLKIN in the high nibble, FB-INT in the low one);
// register 10 identifies the part (low nibble 1) and is read-only. A block read sends a fixed
// 16 bytes from the command on. The buffer drives no bus clock.
#include <array>
#include <memory>

#include "sim/ClockChip.h"

namespace sim {

namespace {

class CICS9P932Chip : public CClockChip {
public:
    static constexpr uint8_t REG_IDENTITY = 10;

    explicit CICS9P932Chip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial) {}

    double dFSBMHz() const override { return -1.0; }

protected:
    bool bWritable(uint8_t nRegister) const override { return nRegister != REG_IDENTITY; }

private:
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.nFixedCount = 16;
        return traits;
    }
};

}  // namespace

std::unique_ptr<CClockChip> pCreateICS9P932Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS9P932Chip>(initial);
}

}  // namespace sim
