// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Numbers.h"

#include <cctype>

namespace cli {

namespace {
std::optional<uint64_t> ParseDigits(const std::string& str, unsigned nBase, uint64_t qwMax)
{
    if (str.empty() || str.size() > 20) return std::nullopt;
    uint64_t qw = 0;
    for (char c : str) {
        unsigned nDigit;
        if (c >= '0' && c <= '9' && unsigned(c - '0') < nBase)
            nDigit = c - '0';
        else if (nBase == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            nDigit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        else
            return std::nullopt;
        if (nDigit > qwMax || qw > (qwMax - nDigit) / nBase) return std::nullopt;
        qw = qw * nBase + nDigit;
    }
    return qw;
}
}  // namespace

std::optional<uint64_t> ParseHex(const std::string& str, uint64_t qwMax)
{
    if (str.size() > 2 && str[0] == '0' && (str[1] == 'x' || str[1] == 'X')) return ParseDigits(str.substr(2), 16, qwMax);
    return ParseDigits(str, 16, qwMax);
}

std::optional<uint64_t> ParseDecimal(const std::string& str, uint64_t qwMax) { return ParseDigits(str, 10, qwMax); }

std::optional<uint64_t> ParseOctal(const std::string& str, uint64_t qwMax) { return ParseDigits(str, 8, qwMax); }

std::optional<PCIAddress> ParsePCIAddress(const std::string& strIn)
{
    std::string str = strIn;
    if (str.size() > 5 && str.compare(0, 5, "0000:") == 0) str = str.substr(5);
    const size_t nColon = str.find(':');
    const size_t nDot = str.find('.');
    if (nColon == std::string::npos || nDot == std::string::npos || nDot < nColon) return std::nullopt;
    const auto bus = ParseDigits(str.substr(0, nColon), 16, 0xFF);
    const auto dev = ParseDigits(str.substr(nColon + 1, nDot - nColon - 1), 16, 0x1F);
    const auto fn = ParseDigits(str.substr(nDot + 1), 16, 7);
    if (!bus || !dev || !fn || nColon == 0 || nColon > 2 || nDot - nColon - 1 > 2 || str.size() - nDot - 1 != 1)
        return std::nullopt;
    return PCIAddress{unsigned(*bus), unsigned(*dev), unsigned(*fn)};
}

std::optional<Register> ParseRegister(const std::string& str, uint64_t qwMaxOffset, unsigned nDefaultWidth)
{
    unsigned nWidth = nDefaultWidth;
    std::string strOffset = str;
    const size_t nDot = str.rfind('.');
    if (nDot != std::string::npos) {
        const std::string strSuffix = str.substr(nDot + 1);
        if (strSuffix == "b" || strSuffix == "B")
            nWidth = 1;
        else if (strSuffix == "w" || strSuffix == "W")
            nWidth = 2;
        else if (strSuffix == "l" || strSuffix == "L")
            nWidth = 4;
        else
            return std::nullopt;
        strOffset = str.substr(0, nDot);
    }
    const auto offset = ParseHex(strOffset, qwMaxOffset);
    if (!offset) return std::nullopt;
    return Register{*offset, nWidth};
}

std::optional<uint64_t> ParseAssignment(const std::string& str, unsigned nWidthBytes)
{
    if (str.size() < 2 || str[0] != '=') return std::nullopt;
    const uint64_t qwMax = nWidthBytes >= 8 ? ~0ull : (1ull << (8 * nWidthBytes)) - 1;
    return ParseHex(str.substr(1), qwMax);
}

}  // namespace cli
