// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Output.h"

#include <cstdio>

#include "smbus/ICCommandSet.h"

namespace cli {

std::string strHex(uint64_t qwValue, unsigned nWidthBytes)
{
    char sz[24];
    std::snprintf(sz, sizeof sz, "%0*llx", static_cast<int>(2 * nWidthBytes), static_cast<unsigned long long>(qwValue));
    return sz;
}

std::string strHexDump(uint64_t qwAddress, const uint8_t* pBytes, size_t nCount)
{
    std::string strOut;
    char sz[96];
    for (size_t nLine = 0; nLine < nCount; nLine += 16) {
        std::snprintf(sz, sizeof sz, "%08llx ", static_cast<unsigned long long>(qwAddress + nLine));
        strOut += sz;
        std::string strAscii;
        for (size_t i = 0; i < 16; ++i) {
            if (i == 8) strOut += ' ';
            if (nLine + i < nCount) {
                const uint8_t b = pBytes[nLine + i];
                std::snprintf(sz, sizeof sz, " %02x", b);
                strOut += sz;
                strAscii += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
            } else {
                strOut += "   ";
            }
        }
        strOut += "  |" + strAscii + "|\n";
    }
    return strOut;
}

void vPrintJson(const nlohmann::json& document) { std::printf("%s\n", document.dump(2).c_str()); }

std::string strBecause(const CICCommandSet* p)
{
    const std::string strCause = p ? p->strLastFailure() : std::string();
    return strCause.empty() ? strCause : ": " + strCause;
}

}  // namespace cli
