// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The descriptive name of a PCI function's class: the base class name (base classes 1 to 17),
// replaced by the sub-class name and then by the programming interface name where those are
// known; "BaseClass 0x%02X, SubClass 0x%02X, PI 0x%02X" when the base class has no name.
#include <cstddef>
#include <cstdint>

namespace discovery {

void vDescribePCIClass(uint8_t bBaseClass, uint8_t bSubClass, uint8_t bProgIf, char* pszText, size_t nSize);

}  // namespace discovery
