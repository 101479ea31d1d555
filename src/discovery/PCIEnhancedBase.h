// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the PCI-Express enhanced configuration space lies, read from a register of the known
// north bridges: base = ((value >> shift right) & mask) << shift left, in 32 bits.
#include <cstdint>

namespace discovery {

struct EnhancedBaseRule {
    uint16_t wVendorID;
    uint16_t wDeviceID;
    uint8_t bRegister;      // configuration offset read through the PCI space
    uint8_t bShiftRight;
    uint32_t dwMask;
    uint8_t bShiftLeft;
};

// The rule for a north bridge, or null when it is not one the kit knows.
const EnhancedBaseRule* pFindEnhancedBaseRule(uint16_t wVendorID, uint16_t wDeviceID);
// The base a rule derives from the value read (0: the bridge does not say).
uint32_t dwDeriveEnhancedBase(const EnhancedBaseRule& rule, uint32_t dwValue);

// Walks the kit's PCI functions and registers a CPCIExpressIOSpace at the base the last known
// north bridge gives. True when a space was registered.
bool bRegisterEnhancedConfigSpace();

}  // namespace discovery
