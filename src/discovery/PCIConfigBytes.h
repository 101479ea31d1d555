// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Little-endian fields of a configuration image.
#include <cstdint>

namespace discovery {

inline uint16_t wConfigWord(const uint8_t* pbConfig, uint32_t dwOffset)
{
    return static_cast<uint16_t>(pbConfig[dwOffset] | pbConfig[dwOffset + 1] << 8);
}

inline uint32_t dwConfigDword(const uint8_t* pbConfig, uint32_t dwOffset)
{
    return uint32_t(pbConfig[dwOffset]) | uint32_t(pbConfig[dwOffset + 1]) << 8 | uint32_t(pbConfig[dwOffset + 2]) << 16 |
           uint32_t(pbConfig[dwOffset + 3]) << 24;
}

}  // namespace discovery
