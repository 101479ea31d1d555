#pragma once
// How commands print: plain text as the usual tools print it, or one JSON document (--json).
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace cli {

// "%0*x": a value as setpci prints it, lowercase with as many digits as the width has.
std::string strHex(uint64_t qwValue, unsigned nWidthBytes);
// A block of memory as hexdump -C prints it, addresses counted from qwAddress.
std::string strHexDump(uint64_t qwAddress, const uint8_t* pBytes, size_t nCount);
void vPrintJson(const nlohmann::json& document);

}  // namespace cli
