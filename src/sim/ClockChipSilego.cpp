// SPDX-License-Identifier: GPL-2.0-or-later
// The Silego SLG505YC56D of the simulated board: the FSB in whole MHz in register 15 and bits
// 1..0 of register 14, PCI-E in whole MHz in register 16, PCI a third of PCI-E (× 0.334).
// The written values run once bit 7 (FSB) and bit 6 (PCI-E) of register 17 are set; before,
// the strapped ones do. Byte count in register 12, 13 at power-on.
#include <array>
#include <memory>

#include "sim/ClockChip.h"

namespace sim {

namespace {

class CSLG505Chip : public CClockChip {
public:
    explicit CSLG505Chip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial), m_PowerOn(initial) {}

    double dFSBMHz() const override
    {
        bool bSoftware = bRegister(17) & 0x80;
        unsigned nMHz = (bSoftware ? bRegister(15) : m_PowerOn[15]) | ((bSoftware ? bRegister(14) : m_PowerOn[14]) & 3) << 8;
        return nMHz ? double(nMHz) : -1.0;
    }
    double dGSBMHz() const override
    {
        unsigned nMHz = (bRegister(17) & 0x40) ? bRegister(16) : m_PowerOn[16];
        return nMHz ? double(nMHz) : -1.0;
    }
    double dPCIMHz() const override
    {
        double dPCIE = dGSBMHz();
        return dPCIE > 0 ? dPCIE * 0.334 : -1.0;
    }

private:
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.nCountRegister = 12;
        traits.nCountReset = 13;
        return traits;
    }
    std::array<uint8_t, 256> m_PowerOn;
};

}  // namespace

std::unique_ptr<CClockChip> pCreateSLG505Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CSLG505Chip>(initial);
}

}  // namespace sim
