// SPDX-License-Identifier: GPL-2.0-or-later
// The ICS clock chips of the simulated board whose CPU output divider no register shows: ICS
// 94228, 950405, 954119, 954123, 954148, 9PLRS509 and 9PLRS587 (and the 954519, which shows
// it in register 19). The board's frequency-select straps choose that divider at power-on
// together with the power-on PLL setting, so it is the one that gives the board's bus clock
// from the power-on VCO (4 on a chip that is not on a board); it stays until power-off.
//
// Every part has a byte-count register (register 8, on the 950405 register 6) that comes up
// holding its own index plus one, so that a block read is short until software writes the
// length it wants; the CPU PLL's M/N registers take writes only while the programming-enable
// bit is set. The ICS-style PLLs run from a 14.31818 MHz crystal with
// VCO = 14.31818 × (N + 8) / (M + 2), a 6-bit M in bits 5..0 of the first register and N
// bits 8 and 9 in its bits 7 and 6, N bits 7..0 in the second (the 94228: 7-bit M, N bit 0 in
// bit 7 of the first register, N bits 8..1 in the second). Output dividers are 4-bit codes:
// base[code AND 3] × 2^(code >> 2), bases A {2, 3, 5, 15}, B {2, 3, 5, 7}, E {2, 3, 5, 9}.
//
// ICS 94228: enable register 4 bit 6; M/N in 9 and 10; AGP = VCO over a divider that follows
// the CPU divider d by the select code in register 0 bits 3..0 (2.5 d rounded for 4, 5, 6,
// 13; 2 d for 7..10 and 15; d for 11; 1.5 d rounded for 14; 3 d otherwise); PCI half of it.
// ICS 950405: enable register 10 bit 7; M/N in 11 and 12; AGP = VCO / 6 while register 9
// bit 6 is set, else 66.0 (bit 7 clear) or 75.4 MHz; PCI half of it.
// ICS 954119: enable register 10 bit 7; M/N in 11 and 12; PCI-E = VCO / B(register 19 bits
// 3..0), PCI = VCO / A(register 20 bits 7..4).
// ICS 954123: as the 954119 with a second PLL on 17 and 18; PCI-E from the CPU VCO (register
// 7 bit 4 set) or the second, over B(register 19 bits 3..0); PCI by register 7 bits 7..6: the
// CPU VCO (0) or the second (1) over three times the PCI-E divider, or 33.34 MHz.
// ICS 954148: as the 954123 for the PLLs; PCI-E = second VCO / E(register 4 bits 7..4); PCI
// by register 5 bits 4..3: CPU VCO / 24, 37.5, 40.0 or 33.34 MHz.
// ICS 954519: as the 954148, but enable register 1 bit 2, the CPU divider B(register 19 bits
// 7..4), and PCI by register 6 bits 5..4: second VCO / E(register 6 bits 7..4), 32.0, 36.0
// or 38.4 MHz.
// ICS 9PLRS509 and 9PLRS587: enable register 1 bit 4; VCO = reference × N / M, M in bits
// 5..0 of register 11, N = 4 × register 12 + bits 7..6 of register 11; the CPU PLL's
// reference by register 29 bits 7..4 (0: 14.31818, 8: 48.0, otherwise 47.727264 MHz); the
// PCI-E PLL on 15 and 16 from 47.727264 MHz, its output divider strapped as well (the one
// that brings the power-on VCO nearest to 100 MHz); PCI a third of PCI-E.
#include <array>
#include <cmath>
#include <memory>

#include "sim/ClockChip.h"
#include "sim/ClockChipDividers.h"

namespace sim {

namespace {

constexpr double PLRS_REFERENCE_MHZ = 47.727264;

// The common part: the byte-count register, the gated CPU PLL and the strapped divider.
class CStrappedICSChip : public CClockChip {
public:
    struct Layout {
        uint8_t nCountRegister;
        uint8_t nEnableRegister, bEnableMask;
        uint8_t nRegM, nRegN;  // the CPU PLL
    };

    CStrappedICSChip(const std::array<uint8_t, 256>& initial, const Layout& layout)
        : CClockChip(Traits(layout), initial), m_Layout(layout)
    {
    }

    void vPowerOn(double dBusMHz) override { m_nStrapped = nNearestDivider(dCPUVCO(), dBusMHz, 4); }
    double dFSBMHz() const override
    {
        double dVCO = dCPUVCO();
        return dVCO > 0 ? dVCO / nCPUDivider() : -1.0;
    }

protected:
    virtual double dCPUVCO() const { return dVCO10(m_Layout.nRegM, m_Layout.nRegN); }
    virtual unsigned nCPUDivider() const { return m_nStrapped; }

    bool bWritable(uint8_t nRegister) const override
    {
        bool bCPUPLL = nRegister == m_Layout.nRegM || nRegister == m_Layout.nRegN;
        return !bCPUPLL || (bRegister(m_Layout.nEnableRegister) & m_Layout.bEnableMask);
    }

    // The ICS PLL with a 6-bit M and a 10-bit N.
    double dVCO10(uint8_t nRegM, uint8_t nRegN) const
    {
        unsigned bM = bRegister(nRegM);
        unsigned nN = bRegister(nRegN) | ((bM & 0x80) << 1) | ((bM & 0x40) << 3);
        return CRYSTAL_MHZ * (nN + 8) / ((bM & 0x3F) + 2);
    }

    unsigned m_nStrapped = 4;

private:
    static ClockChipTraits Traits(const Layout& layout)
    {
        ClockChipTraits traits;
        traits.nCountRegister = layout.nCountRegister;
        traits.nCountReset = uint8_t(layout.nCountRegister + 1);
        return traits;
    }

    Layout m_Layout;
};

class CICS94228Chip : public CStrappedICSChip {
public:
    explicit CICS94228Chip(const std::array<uint8_t, 256>& initial) : CStrappedICSChip(initial, {8, 4, 0x40, 9, 10}) {}

    double dGSBMHz() const override
    {
        // Twice the AGP divider's ratio to the CPU divider, by the select code.
        static const unsigned anTwiceRatio[16] = {6, 6, 6, 6, 5, 5, 5, 4, 4, 4, 4, 2, 6, 5, 3, 4};
        double dVCO = dCPUVCO();
        unsigned nAGP = (anTwiceRatio[bRegister(0) & 15] * nCPUDivider() + 1) / 2;
        return dVCO > 0 ? dVCO / nAGP : -1.0;
    }
    double dPCIMHz() const override { return dGSBMHz() > 0 ? dGSBMHz() / 2 : -1.0; }

protected:
    double dCPUVCO() const override
    {
        unsigned bM = bRegister(9);
        unsigned nN = 2 * bRegister(10) + (bM >> 7);
        return CRYSTAL_MHZ * (nN + 8) / ((bM & 0x7F) + 2);
    }
};

class CICS950405Chip : public CStrappedICSChip {
public:
    explicit CICS950405Chip(const std::array<uint8_t, 256>& initial) : CStrappedICSChip(initial, {6, 10, 0x80, 11, 12})
    {
    }

    double dGSBMHz() const override
    {
        if (bRegister(9) & 0x40) return dCPUVCO() / 6;
        return (bRegister(9) & 0x80) ? 75.4 : 66.0;
    }
    double dPCIMHz() const override { return dGSBMHz() / 2; }
};

class CICS954119Chip : public CStrappedICSChip {
public:
    explicit CICS954119Chip(const std::array<uint8_t, 256>& initial) : CStrappedICSChip(initial, {8, 10, 0x80, 11, 12})
    {
    }

    double dGSBMHz() const override { return dCPUVCO() / nDivider(DIVIDER_BASE_B, bRegister(19) & 15); }
    double dPCIMHz() const override { return dCPUVCO() / nDivider(DIVIDER_BASE_A, bRegister(20) >> 4); }
};

class CICS954123Chip : public CStrappedICSChip {
public:
    explicit CICS954123Chip(const std::array<uint8_t, 256>& initial) : CStrappedICSChip(initial, {8, 10, 0x80, 11, 12})
    {
    }

    double dGSBMHz() const override { return dGSBSource() / nPCIEDivider(); }
    double dPCIMHz() const override
    {
        switch (bRegister(7) >> 6) {
        case 0: return dCPUVCO() / (3 * nPCIEDivider());
        case 1: return dVCO10(17, 18) / (3 * nPCIEDivider());
        default: return 33.34;
        }
    }

private:
    unsigned nPCIEDivider() const { return nDivider(DIVIDER_BASE_B, bRegister(19) & 15); }
    double dGSBSource() const { return (bRegister(7) & 0x10) ? dCPUVCO() : dVCO10(17, 18); }
};

class CICS954148Chip : public CStrappedICSChip {
public:
    explicit CICS954148Chip(const std::array<uint8_t, 256>& initial, const Layout& layout = {8, 10, 0x80, 11, 12})
        : CStrappedICSChip(initial, layout)
    {
    }

    double dGSBMHz() const override { return dVCO10(17, 18) / nDivider(DIVIDER_BASE_E, bRegister(4) >> 4); }
    double dPCIMHz() const override
    {
        static const double adFixed[4] = {-1.0, 37.5, 40.0, 33.34};
        unsigned nSource = (bRegister(5) >> 3) & 3;
        return nSource ? adFixed[nSource] : dCPUVCO() / 24;
    }
};

class CICS954519Chip : public CICS954148Chip {
public:
    explicit CICS954519Chip(const std::array<uint8_t, 256>& initial) : CICS954148Chip(initial, {8, 1, 0x04, 11, 12}) {}

    double dPCIMHz() const override
    {
        static const double adFixed[4] = {-1.0, 32.0, 36.0, 38.4};
        unsigned nSource = (bRegister(6) >> 4) & 3;
        return nSource ? adFixed[nSource] : dVCO10(17, 18) / nDivider(DIVIDER_BASE_E, bRegister(6) >> 4);
    }

protected:
    // This part shows its CPU divider.
    unsigned nCPUDivider() const override { return nDivider(DIVIDER_BASE_B, bRegister(19) >> 4); }
};

class CICS9PLRSChip : public CStrappedICSChip {
public:
    explicit CICS9PLRSChip(const std::array<uint8_t, 256>& initial) : CStrappedICSChip(initial, {8, 1, 0x10, 11, 12})
    {
        m_nPCIEDivider = nNearestDivider(dPLL(PLRS_REFERENCE_MHZ, 15, 16), 100.0, 8);
    }

    double dGSBMHz() const override
    {
        double dVCO = dPLL(PLRS_REFERENCE_MHZ, 15, 16);
        return dVCO > 0 ? dVCO / m_nPCIEDivider : -1.0;
    }
    double dPCIMHz() const override { return dGSBMHz() > 0 ? dGSBMHz() / 3 : -1.0; }

protected:
    double dCPUVCO() const override
    {
        unsigned nCode = bRegister(29) >> 4;
        double dReference = nCode == 0 ? CRYSTAL_MHZ : nCode == 8 ? 48.0 : PLRS_REFERENCE_MHZ;
        return dPLL(dReference, 11, 12);
    }

private:
    double dPLL(double dReference, uint8_t nRegM, uint8_t nRegN) const
    {
        unsigned nM = bRegister(nRegM) & 0x3F;
        unsigned nN = 4 * bRegister(nRegN) + (bRegister(nRegM) >> 6);
        return nM ? dReference * nN / nM : -1.0;
    }

    unsigned m_nPCIEDivider;
};

}  // namespace

std::unique_ptr<CClockChip> pCreateICS94228Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS94228Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateICS950405Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS950405Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateICS954119Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS954119Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateICS954123Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS954123Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateICS954148Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS954148Chip>(initial);
}

std::unique_ptr<CClockChip> pCreateICS954519Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS954519Chip>(initial);
}

// The 9PLRS509 and 9PLRS587 differ only in how long a block the driver asks for.
std::unique_ptr<CClockChip> pCreateICS9PLRSChip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS9PLRSChip>(initial);
}

}  // namespace sim
