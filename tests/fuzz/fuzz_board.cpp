// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer: the board file parser of the simulated machine on any bytes. A board file is
// untrusted input: bad ones are refused with a reason, none may crash the parser.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/SimBoard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    std::string strError;
    const auto pBoard = sim::CSimBoard::FromJson(strText, strError);
    if (!pBoard && strError.empty()) std::abort();
    return 0;
}
