// SPDX-License-Identifier: GPL-2.0-or-later
// The ICS 951412 of the simulated board: no PLL registers, only a 5-bit frequency select in
// register 0 that picks one of the chip's 30 clock sets. The select bits take over from the
// strapping pins once bit 7 of register 0 is set. The chip drives the FSB, a 66 MHz-class
// clock, the 100 MHz-class clock at 1.5 times that, and PCI. A block read sends 32 bytes.
#include <array>
#include <memory>

#include "sim/ClockChip.h"

namespace sim {

namespace {

struct FrequencySelect {
    uint8_t bCode;
    double dFSB, d66, dPCI;
};

const FrequencySelect SELECTS[30] = {
    {0x14, 99.75, 66.5, 33.25},    {0x04, 100.0, 66.67, 33.34},   {0x1C, 101.75, 67.83, 33.92},
    {0x0C, 102.0, 68.0, 34.0},     {0x19, 106.73, 71.16, 35.58},  {0x15, 133.0, 66.5, 33.25},
    {0x05, 133.34, 66.67, 33.34},  {0x1D, 135.67, 67.83, 33.92},  {0x0D, 136.0, 68.0, 34.0},
    {0x16, 166.25, 66.5, 33.25},   {0x06, 166.67, 66.67, 33.34},  {0x10, 169.58, 56.53, 28.26},
    {0x1E, 169.58, 67.83, 33.92},  {0x0E, 170.0, 68.0, 34.0},     {0x12, 179.55, 59.85, 29.93},
    {0x02, 180.0, 60.0, 30.0},     {0x18, 185.54, 61.85, 30.92},  {0x08, 186.0, 62.0, 31.0},
    {0x1A, 189.53, 63.18, 31.59},  {0x0A, 190.0, 63.34, 31.67},   {0x17, 199.5, 66.5, 33.25},
    {0x07, 200.0, 66.67, 33.34},   {0x1F, 203.49, 67.83, 33.92},  {0x0F, 204.0, 68.0, 34.0},
    {0x1B, 209.48, 69.83, 34.91},  {0x0B, 210.0, 70.0, 35.0},     {0x09, 214.0, 71.34, 35.67},
    {0x13, 219.45, 73.15, 36.58},  {0x03, 220.0, 73.34, 36.67},   {0x11, 229.43, 76.48, 38.24},
};

class CICS951412Chip : public CClockChip {
public:
    explicit CICS951412Chip(const std::array<uint8_t, 256>& initial)
        : CClockChip(ClockChipTraits{}, initial), m_bStrapped(uint8_t(initial[0] & 31))
    {
    }

    double dFSBMHz() const override { return pSelect() ? pSelect()->dFSB : -1.0; }
    double dGSBMHz() const override { return pSelect() ? pSelect()->d66 * 1.5 : -1.0; }
    double dPCIMHz() const override { return pSelect() ? pSelect()->dPCI : -1.0; }

private:
    const FrequencySelect* pSelect() const
    {
        uint8_t bCode = (bRegister(0) & 0x80) ? uint8_t(bRegister(0) & 31) : m_bStrapped;
        for (const FrequencySelect& select : SELECTS)
            if (select.bCode == bCode) return &select;
        return nullptr;
    }
    uint8_t m_bStrapped;
};

}  // namespace

std::unique_ptr<CClockChip> pCreateICS951412Chip(const std::array<uint8_t, 256>& initial)
{
    return std::make_unique<CICS951412Chip>(initial);
}

}  // namespace sim
