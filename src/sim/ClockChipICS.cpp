// SPDX-License-Identifier: GPL-2.0-or-later
// The ICS clock chips of the simulated board. ICS 951462: two PLLs (CPU and PCI Express) from
// a 14.31818 MHz crystal, each VCO = 14.31818 × (N + 8) / (M + 2) with a 6-bit M and a 10-bit
// N, and output dividers chosen by 4-bit codes. The CPU PLL's M/N registers take writes only
// while the programming-enable bit (register 10 bit 7) is set. The byte-count register 8
// comes up at 9, so a block read is short until software writes the length it wants.
#include <array>
#include <memory>

#include "sim/ClockChip.h"
#include "sim/ClockChipDividers.h"

namespace sim {

namespace {

class CICS951462Chip : public CClockChip {
public:
    static constexpr uint8_t REG_COUNT = 8;
    static constexpr uint8_t REG_ENABLE = 10;
    static constexpr uint8_t ENABLE_CPU_PLL = 0x80;
    static constexpr uint8_t REG_CPU_M = 11, REG_CPU_N = 12;
    static constexpr uint8_t REG_PCIE_M = 15, REG_PCIE_N = 16;
    static constexpr uint8_t REG_DIVIDERS = 19, REG_PCI_DIVIDER = 20;

    explicit CICS951462Chip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial) {}

    double dFSBMHz() const override
    {
        return dVCO(REG_CPU_M, REG_CPU_N) / nDivider(DIVIDER_BASE_A, bRegister(REG_DIVIDERS) >> 4);
    }
    double dGSBMHz() const override
    {
        return dVCO(REG_PCIE_M, REG_PCIE_N) / nDivider(DIVIDER_BASE_B, bRegister(REG_DIVIDERS) & 15);
    }
    double dPCIMHz() const override
    {
        return dVCO(REG_PCIE_M, REG_PCIE_N) / 2 / nDivider(DIVIDER_BASE_K, bRegister(REG_PCI_DIVIDER) & 15);
    }

protected:
    bool bWritable(uint8_t nRegister) const override
    {
        bool bCPUPLL = nRegister == REG_CPU_M || nRegister == REG_CPU_N;
        return !bCPUPLL || (bRegister(REG_ENABLE) & ENABLE_CPU_PLL);
    }

private:
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.nCountRegister = REG_COUNT;
        traits.nCountReset = 9;
        return traits;
    }
    // M in bits 5..0 of the first register, N bits 7..0 in the second, N bit 8 in bit 7 and
    // N bit 9 in bit 6 of the first.
    double dVCO(uint8_t nRegM, uint8_t nRegN) const
    {
        unsigned bM = bRegister(nRegM);
        unsigned nN = bRegister(nRegN) | ((bM & 0x80) << 1) | ((bM & 0x40) << 3);
        return CRYSTAL_MHZ * (nN + 8) / ((bM & 0x3F) + 2);
    }
};

}  // namespace

std::unique_ptr<CClockChip> pCreateICS951462Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS951462Chip>(initial);
}

}  // namespace sim
