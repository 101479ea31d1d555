// SPDX-License-Identifier: GPL-2.0-or-later
// The Cypress clock chips of the simulated board.
// CY28346: FSB = reference × N / M with N = register 8 and M = bits 7..1 of register 9; the
// reference is 32.005333, 48.008, 96.016 or 64.010666 MHz by bits 1..0 of register 0, and AGP
// is the FSB divided by 1, 1.5, 3 or 2 by the same bits. New dividers take effect when they
// are written with the load bit (bit 0 of register 9) set; until then the chip keeps the ones
// it runs on. No byte-count register: a block read sends 16 bytes.
// CY28551: FSB = N × reference / M, N = register 14 + 256 × bit 7 of register 15, M = bits
// 6..0 of register 15, the reference 80, 40, 120, 30 or 60 MHz by bits 3..0 of register 4;
// PCI-E = N2 / 2 MHz, N2 = register 16 + 256 × bit 7 of register 18; PCI a third of PCI-E.
// Bits 2 and 3 of register 18 hand the FSB and PCI-E dividers to software; until then the
// strapped ones run. A block read sends 20 bytes.
#include <array>
#include <memory>

#include "sim/ClockChip.h"

namespace sim {

namespace {

class CCY28346Chip : public CClockChip {
public:
    explicit CCY28346Chip(const std::array<uint8_t, 256>& initial)
        : CClockChip(Traits(), initial), m_bN(initial[8]), m_bM(initial[9])
    {
    }

    double dFSBMHz() const override
    {
        static const double adReference[4] = {32.005333, 48.008, 96.016, 64.010666};
        if (bRegister(9) & 1) {
            m_bN = bRegister(8);
            m_bM = bRegister(9);
        }
        unsigned nM = m_bM >> 1;
        if (!nM || !m_bN) return -1.0;
        return adReference[bRegister(0) & 3] * m_bN / nM;
    }
    double dGSBMHz() const override
    {
        static const double adDivider[4] = {1.0, 1.5, 3.0, 2.0};
        double dFSB = dFSBMHz();
        return dFSB > 0 ? dFSB / adDivider[bRegister(0) & 3] : -1.0;
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
        traits.nFixedCount = 16;
        return traits;
    }
    // The dividers the PLL runs on: taken over from the registers while the load bit is set.
    mutable uint8_t m_bN;
    mutable uint8_t m_bM;
};

class CCY28551Chip : public CClockChip {
public:
    explicit CCY28551Chip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial), m_PowerOn(initial) {}

    double dFSBMHz() const override
    {
        static const double adReference[16] = {80, 40, 60, 60, 120, 30, 120, 60, 80, 40, 60, 60, 120, 30, 120, 60};
        bool bSoftware = bRegister(18) & 0x04;
        uint8_t bLow = bSoftware ? bRegister(14) : m_PowerOn[14];
        uint8_t bHigh = bSoftware ? bRegister(15) : m_PowerOn[15];
        unsigned nN = bLow | ((bHigh & 0x80) << 1);
        unsigned nM = bHigh & 0x7F;
        return nM ? nN * adReference[bRegister(4) & 15] / nM : -1.0;
    }
    double dGSBMHz() const override
    {
        bool bSoftware = bRegister(18) & 0x08;
        uint8_t bLow = bSoftware ? bRegister(16) : m_PowerOn[16];
        uint8_t bHigh = bSoftware ? bRegister(18) : m_PowerOn[18];
        unsigned nN = bLow | ((bHigh & 0x80) << 1);
        return nN ? nN * 30.0 / 60.0 : -1.0;
    }
    double dPCIMHz() const override
    {
        double dPCIE = dGSBMHz();
        return dPCIE > 0 ? dPCIE / 3 : -1.0;
    }

private:
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.nFixedCount = 20;
        return traits;
    }
    std::array<uint8_t, 256> m_PowerOn;
};

}  // namespace

std::unique_ptr<CClockChip> pCreateCY28346Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CCY28346Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateCY28551Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CCY28551Chip>(initial);
}

}  // namespace sim
