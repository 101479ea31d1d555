// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "visible_when" of a board file's pci entry:
//   {"at": "00:1f.0", "reg": "0xf2.b", "mask": "0x08", "value": "0x00"}
// The function answers while (register & mask) == value.
#include <optional>
#include <string>

#include "sim/JsonFields.h"
#include "sim/PCIVisibility.h"

namespace sim {

bool bParsePCIVisibility(CFieldReader& reader, const json& value, const std::string& strField,
                         std::optional<PCIVisibilityRule>& rule);

}  // namespace sim
