// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How commands print: plain text as the usual tools print it, or one JSON document (--json).
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

class CICCommandSet;

namespace cli {

// "%0*x": a value as setpci prints it, lowercase with as many digits as the width has.
std::string strHex(uint64_t qwValue, unsigned nWidthBytes);
// A block of memory as hexdump -C prints it, addresses counted from qwAddress.
std::string strHexDump(uint64_t qwAddress, const uint8_t* pBytes, size_t nCount);
void vPrintJson(const nlohmann::json& document);
// Why the last operation of a chip's command set failed, to follow "failed": ": no device
// answers at 0x69", ": the controller timed out"; empty when it cannot tell (or p is null).
std::string strBecause(const CICCommandSet* p);

}  // namespace cli
