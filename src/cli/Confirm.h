// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The question asked before anything is written to the hardware, as i2cset asks it: -y
// answers it in advance; without a terminal to ask on nothing is written.
#include <string>

#include "cli/Session.h"

namespace cli {

// What is about to be written and what it risks.
struct WriteWarning {
    const char* pszTarget;  // "the clock chip", as in "refusing to write to the clock chip"
    const char* pszRisk;    // the warning's sentence
    std::string strWhat;    // what the program will do: "set the FSB to 213 MHz"
};

// True when the question can be asked (-y answers it, or there is a terminal to ask on);
// false after saying why on stderr. Lets a command refuse before it touches anything.
bool bCanAsk(const GlobalOptions& options, const WriteWarning& warning);

// True with -y or on a "y" answer; false (after saying why on stderr) without a terminal to
// ask on, or on any other answer.
bool bConfirm(const GlobalOptions& options, const WriteWarning& warning);

// The warnings of the writes the commands make.
WriteWarning ClockWarning(const std::string& strWhat);
WriteWarning MemoryBufferWarning(const std::string& strWhat);
WriteWarning SMBusWarning(const std::string& strWhat);
WriteWarning RawWarning(const std::string& strWhat);

}  // namespace cli
