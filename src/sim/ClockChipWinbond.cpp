// SPDX-License-Identifier: GPL-2.0-or-later
// The Winbond clock chips of the simulated board. Both run one PLL from a 14.31818 MHz
// crystal, VCO = 14.31818 × (N + 4) / M, M and N in registers 8 and 9. Until software sets
// bit 7 of register 13 the PLL runs at the frequency strapped at power-on, whatever the
// registers say. Neither has a byte-count register: a block read always sends 14 bytes.
// W83194BG-SD: 7-bit M, N bit 8 in bit 7 of register 8; the CPU clock is the VCO divided by
// 2, 3, 4 or 5 (bits 1..0 of register 12), AGP by 5, 6, 7, 8, 10 or 12 (bits 6..4) unless
// bits 1..0 of register 4 pick one of four fixed AGP clocks (bits 1..0 of register 7).
// W83195BG-101: 6-bit M, N bits 8 and 9 in bits 7 and 6 of register 8 and bit 10 in bit 6 of
// register 13; the CPU clock is the VCO divided by a divider that no register shows: the
// board's frequency-select straps choose it at power-on, together with the power-on PLL
// setting, so it is the one that gives the board's bus clock from the power-on VCO (4 on a
// chip that is not on a board). PCI-E runs at 100 MHz, PCI at 33.3.
#include <array>
#include <memory>

#include "sim/ClockChip.h"
#include "sim/ClockChipDividers.h"

namespace sim {

namespace {

class CWinbondChip : public CClockChip {
public:
    explicit CWinbondChip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial), m_PowerOn(initial) {}

protected:
    // The PLL registers in force: the written ones once programming is enabled.
    uint8_t bPLL(unsigned nRegister) const
    {
        return (bRegister(13) & 0x80) ? bRegister(nRegister) : m_PowerOn[nRegister & 0xFF];
    }
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.nFixedCount = 14;
        return traits;
    }

private:
    std::array<uint8_t, 256> m_PowerOn;
};

class CW83194Chip : public CWinbondChip {
public:
    using CWinbondChip::CWinbondChip;

    double dFSBMHz() const override
    {
        static const unsigned anDivider[4] = {2, 3, 4, 5};
        return dVCO() / anDivider[bRegister(12) & 3];
    }
    double dGSBMHz() const override
    {
        static const double adFixed[4] = {66.67, 72.1, 79.9, 68.7};
        static const unsigned anDivider[8] = {5, 6, 7, 8, 10, 12, 12, 12};
        unsigned nSource = bRegister(4) & 3;
        if (nSource == 1 || nSource == 2) return adFixed[bRegister(7) & 3];
        return dVCO() / anDivider[(bRegister(12) >> 4) & 7];
    }
    double dPCIMHz() const override { return dGSBMHz() / 2; }

private:
    double dVCO() const
    {
        unsigned nM = bPLL(8) & 0x7F;
        unsigned nN = bPLL(9) | ((bPLL(8) & 0x80) << 1);
        return nM ? CRYSTAL_MHZ * (nN + 4) / nM : -1.0;
    }
};

class CW83195Chip : public CWinbondChip {
public:
    using CWinbondChip::CWinbondChip;

    void vPowerOn(double dBusMHz) override { m_nCPUDivider = nNearestDivider(dVCO(), dBusMHz, 4); }
    double dFSBMHz() const override
    {
        double d = dVCO();
        return d > 0 ? d / m_nCPUDivider : -1.0;
    }
    double dGSBMHz() const override { return 100.0; }
    double dPCIMHz() const override { return 100.0 / 3; }

private:
    double dVCO() const
    {
        unsigned nM = bPLL(8) & 0x3F;
        unsigned nN = bPLL(9) | ((bPLL(8) & 0x80) << 1) | ((bPLL(8) & 0x40) << 3) | ((bPLL(13) & 0x40) << 4);
        return nM ? CRYSTAL_MHZ * (nN + 4) / nM : -1.0;
    }

    unsigned m_nCPUDivider = 4;  // strapped
};

}  // namespace

std::unique_ptr<CClockChip> pCreateW83194Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CW83194Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateW83195Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CW83195Chip>(initial);
}

}  // namespace sim
