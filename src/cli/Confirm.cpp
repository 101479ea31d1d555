// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Confirm.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace cli {

bool bCanAsk(const GlobalOptions& options, const WriteWarning& warning)
{
    if (options.bYes || isatty(STDIN_FILENO)) return true;
    if (warning.strWhat.empty())
        vError("refusing to write to %s without asking: there is no terminal to ask on (pass -y to write)",
               warning.pszTarget);
    else
        vError("refusing to write to %s without asking (the program would %s): there is no terminal to ask on "
               "(pass -y to write)",
               warning.pszTarget, warning.strWhat.c_str());
    return false;
}

bool bConfirm(const GlobalOptions& options, const WriteWarning& warning)
{
    if (options.bYes) return true;
    if (!bCanAsk(options, warning)) return false;
    std::fprintf(stderr, "WARNING! %s\nThe program will %s.\nContinue? [y/N] ", warning.pszRisk,
                 warning.strWhat.c_str());
    std::string strAnswer;
    if (!std::getline(std::cin, strAnswer)) strAnswer.clear();
    if (strAnswer == "y" || strAnswer == "Y" || strAnswer == "yes") return true;
    std::fputs("Aborting on user request.\n", stderr);
    return false;
}

WriteWarning ClockWarning(const std::string& strWhat)
{
    return {"the clock chip",
            "Changing the clocks of a running machine can make it unstable, lose data or damage it.", strWhat};
}

WriteWarning MemoryBufferWarning(const std::string& strWhat)
{
    return {"the memory buffer",
            "Changing the clock skews of the memory buffers can make the memory fail, lose data or stop the "
            "machine.",
            strWhat};
}

WriteWarning SMBusWarning(const std::string& strWhat)
{
    return {"the SMBus", "Writing to an SMBus device can make the machine unstable or damage what is on the bus.",
            strWhat};
}

WriteWarning RawWarning(const std::string& strWhat)
{
    return {"the hardware",
            "Writing a register directly can hang the machine, lose data or damage it; nothing checks the value.",
            strWhat};
}

}  // namespace cli
