// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "dmi": the firmware's SMBIOS/DMI structures. Their reports as text, the main fields as JSON
// keyed by dmidecode's string keywords, or one of them with --string KEYWORD, printed as
// `dmidecode -s KEYWORD` prints it.
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"

class CDMIInterface;

namespace cli {

std::unique_ptr<CCommand> CreateDMICommand();

// The values of a dmidecode -s keyword, one per structure of its type; empty for an unknown
// keyword or when the table has no such structure.
std::vector<std::string> DMIKeywordValues(const CDMIInterface& dmi, const std::string& strKeyword);

}  // namespace cli
