// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SMBusOutput.h"

#include <cstdio>

namespace cli {

std::string strSMBusGrid(const SMBusScanResult& answered)
{
    std::string strOut = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";
    char sz[8];
    for (unsigned nRow = 0; nRow < 128; nRow += 16) {
        std::snprintf(sz, sizeof sz, "%02x: ", nRow);
        strOut += sz;
        for (unsigned nAddress = nRow; nAddress < nRow + 16; ++nAddress) {
            if (nAddress < SMBUS_FIRST_SCANNED || nAddress > SMBUS_LAST_SCANNED) {
                strOut += "   ";
            } else if (answered[nAddress]) {
                std::snprintf(sz, sizeof sz, "%02x ", nAddress);
                strOut += sz;
            } else {
                strOut += "-- ";
            }
        }
        strOut += '\n';
    }
    return strOut;
}

std::string strSMBusDump(const SMBusDumpCells& cells, unsigned nRows, bool bBlankMissing)
{
    std::string strOut = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    char sz[8];
    for (unsigned nRow = 0; nRow < 256 && nRow / 16 < nRows; nRow += 16) {
        std::snprintf(sz, sizeof sz, "%02x: ", nRow);
        strOut += sz;
        for (unsigned i = nRow; i < nRow + 16; ++i) {
            if (cells[i]) {
                std::snprintf(sz, sizeof sz, "%02x ", *cells[i]);
                strOut += sz;
            } else {
                strOut += bBlankMissing ? "   " : "XX ";
            }
        }
        strOut += "   ";
        for (unsigned i = nRow; i < nRow + 16; ++i) {
            if (!cells[i]) {
                strOut += bBlankMissing ? ' ' : 'X';
                continue;
            }
            const uint8_t b = *cells[i];
            if (b == 0x00 || b == 0xFF)
                strOut += '.';
            else if (b < 32 || b >= 127)
                strOut += '?';
            else
                strOut += char(b);
        }
        strOut += '\n';
    }
    return strOut;
}

}  // namespace cli
