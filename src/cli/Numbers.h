// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Parsing of the addresses, registers and values that the command line takes. As in setpci,
// registers and values are hexadecimal, with or without "0x".
#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// Hexadecimal number up to dwMax; nothing for anything else (empty, stray characters, too big).
std::optional<uint64_t> ParseHex(const std::string& str, uint64_t qwMax);
// Octal number up to qwMax.
std::optional<uint64_t> ParseOctal(const std::string& str, uint64_t qwMax);
// Decimal number up to qwMax.
std::optional<uint64_t> ParseDecimal(const std::string& str, uint64_t qwMax);

struct PCIAddress {
    unsigned nBus, nDevice, nFunction;
};
// "BB:DD.F" as lspci prints it (bus 00-ff, device 00-1f, function 0-7), an optional "0000:" domain.
std::optional<PCIAddress> ParsePCIAddress(const std::string& str);

struct Register {
    uint64_t qwOffset;
    unsigned nWidth;  // 1, 2 or 4
};
// "OFFSET[.b|.w|.l]"; without a suffix the width is nDefaultWidth.
std::optional<Register> ParseRegister(const std::string& str, uint64_t qwMaxOffset, unsigned nDefaultWidth);

// "=VALUE": the value to write, which must fit the width.
std::optional<uint64_t> ParseAssignment(const std::string& str, unsigned nWidthBytes);

}  // namespace cli
