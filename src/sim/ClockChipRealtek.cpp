// SPDX-License-Identifier: GPL-2.0-or-later
// The Realtek RTM 862-410 of the simulated board. It answers word transfers only, with the
// register in bits 6..0 of the command (software sets bit 7) and 0x00 as the first byte.
// CPU PLL: VCO = 300 × 2 × (N / 32 + 2) / ((M + 2) × 3), M = register 11, N = register 15 +
// 256 × bits 6..0 of register 14; the CPU clock is the VCO divided by 2, 3, 4, 5, 6, 7, 8 or
// 10 (bits 6..4 of register 28). Second PLL: VCO2 = 14.31818 × (N2 + 2) / (M2 + 2), N2 =
// register 20 + 256 × bits 7..6 of register 21, M2 = bits 5..0 of register 21. PCI-E by bits
// 6..4 of register 29: VCO / 4, 5, 6, 8, 10, VCO2 / 3, or the third PLL (register 35 and
// bits 3..0 of register 46). PCI by bits 6..4 of register 30: VCO / 20, 24, 30, VCO2 / 9, 8,
// 7 or 12 (bits 1..0 of register 34), or a fixed clock by bits 4..0 of register 33.
// The PLLs run on the dividers they had when bit 0 of register 31 was last set; the chip
// takes them over and clears the bit again.
#include <array>
#include <memory>

#include "sim/ClockChip.h"
#include "sim/ClockChipDividers.h"

namespace sim {

namespace {

constexpr uint8_t REG_LOAD = 31;
constexpr uint8_t LOADED[] = {11, 14, 15, 20, 21};

class CRTM862Chip : public CClockChip {
public:
    explicit CRTM862Chip(const std::array<uint8_t, 256>& initial) : CClockChip(Traits(), initial)
    {
        for (uint8_t nRegister : LOADED) m_Loaded[nRegister] = initial[nRegister];
    }

    bool bWriteWordData(uint8_t bCommand, uint8_t bData0, uint8_t bData1) override
    {
        bool bDone = CClockChip::bWriteWordData(bCommand, bData0, bData1);
        if ((bCommand & 0x7F) == REG_LOAD && (bRegister(REG_LOAD) & 1))
            CClockChip::bWriteWordData(REG_LOAD, 0, uint8_t(bRegister(REG_LOAD) & ~1));
        return bDone;
    }

    double dFSBMHz() const override
    {
        static const unsigned anDivider[8] = {2, 3, 4, 5, 6, 7, 8, 10};
        double dVCO = dCPUVCO();
        return dVCO > 0 ? dVCO / anDivider[(bRegister(28) >> 4) & 7] : -1.0;
    }
    double dGSBMHz() const override
    {
        static const double adDivider[6] = {0, 4, 5, 6, 8, 10};
        unsigned nSource = (bRegister(29) >> 4) & 7;
        if (nSource >= 1 && nSource <= 5) return dCPUVCO() / adDivider[nSource];
        if (nSource == 6) return dVCO2() / 3;
        if (nSource == 7) return CRYSTAL_MHZ * (bRegister(35) + 2) / ((bRegister(46) & 15) + 2);
        return -1.0;
    }
    double dPCIMHz() const override
    {
        static const double adDivider[4] = {0, 20, 24, 30};
        static const double adVCO2Divider[4] = {9, 8, 7, 12};
        static const double adFixed[17] = {37.5,  37.21, 36.92, 36.64, 36.36, 36.09, 35.82, 35.56, 35.3,
                                           35.03, 34.78, 34.53, 34.29, 34.04, 33.8,  33.57, 33.34};
        unsigned nSource = (bRegister(30) >> 4) & 7;
        if (nSource >= 1 && nSource <= 3) return dCPUVCO() / adDivider[nSource];
        if (nSource == 4) return dVCO2() / adVCO2Divider[bRegister(34) & 3];
        if (nSource == 5 && (bRegister(33) & 31) <= 16) return adFixed[bRegister(33) & 31];
        return -1.0;
    }

private:
    static ClockChipTraits Traits()
    {
        ClockChipTraits traits;
        traits.bWordAccess = true;
        traits.bWordCommandMask = 0x7F;
        return traits;
    }
    // The dividers in force, taken over while the load bit is set.
    uint8_t bLoaded(uint8_t nRegister) const
    {
        if (bRegister(REG_LOAD) & 1)
            for (uint8_t n : LOADED) m_Loaded[n] = bRegister(n);
        return m_Loaded[nRegister];
    }
    double dCPUVCO() const
    {
        unsigned nN = bLoaded(15) | (bLoaded(14) & 0x7F) << 8;
        return 300.0 * 2.0 * (nN / 32.0 + 2.0) / ((bLoaded(11) + 2) * 3.0);
    }
    double dVCO2() const
    {
        unsigned nN = bLoaded(20) | (bLoaded(21) >> 6) << 8;
        return CRYSTAL_MHZ * (nN + 2) / ((bLoaded(21) & 0x3F) + 2);
    }

    mutable std::array<uint8_t, 256> m_Loaded{};
};

}  // namespace

std::unique_ptr<CClockChip> pCreateRTM862Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CRTM862Chip>(initial);
}

}  // namespace sim
