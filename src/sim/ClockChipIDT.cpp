// SPDX-License-Identifier: GPL-2.0-or-later
// The IDT clock chips of the simulated board: frequencies set as codes rather than PLL
// dividers.
// CV107: FSB = code × step, code = register 27 + 256 × bits 1..0 of register 26, the step by
// bits 6..4 of register 25 (0.2237216, 0.4474432, 0.29829547, 0.39772728, 0.4474432,
// 0.8948864, 0.8948864, 0.79545456 MHz); AGP = code2 × 0.2237216, code2 = register 29 + 256 ×
// bits 1..0 of register 28; PCI half of AGP. The codes take effect once bit 0 of register 25
// (FSB) and bit 7 of register 30 (AGP) are set; before, the strapped codes run. Byte count in
// register 8, 9 at power-on.
// CV174C: FSB = (code + offset) × multiplier, code = register 17 + 256 × bit 0 of register 16,
// offset 0, 1/3 or 2/3 by bits 2..1 of register 16, multiplier by bits 7..5 of register 0
// (4/3, 2/3, 1, 2/3, 4/3, 1/2, 2, 1). The FSB code is live while bit 3 of register 19 is
// clear. PCI-E is half of register 18 when bit 2 of register 0 is set, else half the FSB
// code; PCI a third of PCI-E. Byte count in register 12, 13 at power-on.
#include <array>
#include <memory>

#include "sim/ClockChip.h"

namespace sim {

namespace {

constexpr double AGP_STEP_MHZ = 0.2237216;

class CCV107Chip : public CClockChip {
public:
    explicit CCV107Chip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial), m_PowerOn(initial) {}

    double dFSBMHz() const override
    {
        static const double adStep[8] = {0.2237216, 0.4474432, 0.29829547, 0.39772728,
                                         0.4474432, 0.8948864, 0.8948864, 0.79545456};
        bool bSoftware = bRegister(25) & 0x01;
        unsigned nCode = (bSoftware ? bRegister(27) : m_PowerOn[27]) | ((bSoftware ? bRegister(26) : m_PowerOn[26]) & 3) << 8;
        return nCode ? nCode * adStep[(bRegister(25) >> 4) & 7] : -1.0;
    }
    double dGSBMHz() const override
    {
        bool bSoftware = bRegister(30) & 0x80;
        unsigned nCode = (bSoftware ? bRegister(29) : m_PowerOn[29]) | ((bSoftware ? bRegister(28) : m_PowerOn[28]) & 3) << 8;
        return nCode ? nCode * AGP_STEP_MHZ : -1.0;
    }
    double dPCIMHz() const override
    {
        double dAGP = dGSBMHz();
        return dAGP > 0 ? dAGP / 2 : -1.0;
    }

private:
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.nCountRegister = 8;
        traits.nCountReset = 9;
        return traits;
    }
    std::array<uint8_t, 256> m_PowerOn;
};

class CCV174CChip : public CClockChip {
public:
    explicit CCV174CChip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial), m_PowerOn(initial) {}

    double dFSBMHz() const override
    {
        static const double adOffset[4] = {0.0, 0.3334, 0.6667, 0.0};
        static const double adMultiplier[8] = {1.3334, 0.6667, 1.0, 0.6667, 1.3334, 0.5, 2.0, 1.0};
        unsigned nCode = nFSBCode();
        if (!nCode) return -1.0;
        return (nCode + adOffset[(bRegister(16) >> 1) & 3]) * adMultiplier[bRegister(0) >> 5];
    }
    double dGSBMHz() const override
    {
        unsigned nCode = (bRegister(0) & 0x04) ? bRegister(18) : nFSBCode();
        return nCode ? nCode * 0.5 : -1.0;
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
    unsigned nFSBCode() const
    {
        bool bSoftware = !(bRegister(19) & 0x08);
        uint8_t bLow = bSoftware ? bRegister(17) : m_PowerOn[17];
        uint8_t bHigh = bSoftware ? bRegister(16) : m_PowerOn[16];
        return bLow | (bHigh & 1) << 8;
    }
    std::array<uint8_t, 256> m_PowerOn;
};

}  // namespace

std::unique_ptr<CClockChip> pCreateCV107Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CCV107Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateCV174CChip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CCV174CChip>(initial);
}

}  // namespace sim
