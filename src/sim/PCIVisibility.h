// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Functions that firmware can hide: a function that answers configuration cycles only while
// a register of another function holds a given value, as chipsets hide devices with a
// "function disable" or "device present" bit (the ICH's LPC register 0xF2 bit 3 hides its
// SMBus function; the i865's host bridge register 0xF4 bit 1 shows device 6).
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "sim/PCIConfig.h"

namespace sim {

// The function is visible while (register & mask) == value, the register being nWidth
// bytes at nOffset of the function at nBus:nDevice.nFunction.
struct PCIVisibilityRule {
    uint8_t nBus = 0, nDevice = 0, nFunction = 0;
    uint16_t nOffset = 0;
    unsigned nWidth = 1;
    uint32_t dwMask = 0;
    uint32_t dwValue = 0;
};

// A hidden function reads all ones and drops writes, as an absent one. A rule naming a
// function the board does not have keeps the function hidden.
class CConditionalPCIFunction : public CPCIFunction {
public:
    CConditionalPCIFunction(const std::array<uint8_t, 4096>& initial, const CPCIFunctions& functions,
                            const PCIVisibilityRule& rule)
        : CPCIFunction(initial), m_Functions(functions), m_Rule(rule)
    {
    }

    uint32_t dwRead(unsigned nOffset, const AccessContext& context) override;
    void vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context) override;
    bool bVisible() const;

private:
    const CPCIFunctions& m_Functions;
    PCIVisibilityRule m_Rule;
};

// The function a board entry describes: a plain one, or one that can be hidden.
std::unique_ptr<CPCIFunction> MakePCIFunction(const std::array<uint8_t, 4096>& initial,
                                              const std::optional<PCIVisibilityRule>& rule,
                                              const CPCIFunctions& functions);

}  // namespace sim
