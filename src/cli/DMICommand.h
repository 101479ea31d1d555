#pragma once
// "dmi": the firmware's SMBIOS/DMI structures. Their reports as text, the main fields as JSON
// keyed by dmidecode's string keywords, or one of them with --string KEYWORD, printed as
// `dmidecode -s KEYWORD` prints it.
#include <memory>

#include "cli/Command.h"

namespace cli {

std::unique_ptr<CCommand> CreateDMICommand();

}  // namespace cli
