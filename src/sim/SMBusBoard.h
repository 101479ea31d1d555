// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "smbus" section of a board file: the board's SMBus host controllers, each with its own
// bus (channels, multiplexer select line, devices), and how they are put on the board. A host
// controller family is one row of the table of host kinds (SMBusHosts.cpp): a name used in
// board files and the function that builds its emulation on the board's buses.
#include <memory>
#include <string>
#include <vector>

#include "sim/JsonFields.h"
#include "sim/SMBusConfig.h"

namespace sim {

class CSMBusBus;
class CPortMap;
class CPCIFunctions;
struct BoardConfig;

// What a host emulation is built with. The bus is shared by the host and the board.
struct SMBusHostContext {
    const SMBusControllerConfig& Config;
    std::shared_ptr<CSMBusBus> pBus;
    CPortMap& Ports;
    CPCIFunctions& Pci;
};

using PFN_BUILD_SMBUS_HOST = bool (*)(SMBusHostContext& context, std::string& strError);

struct SMBusHostKind {
    const char* pszType;
    PFN_BUILD_SMBUS_HOST pfnBuild;
};

// The host controller families the board knows (SMBusHosts.cpp).
const std::vector<SMBusHostKind>& SMBusHostKinds();

// Decodes the "smbus" section into config.SMBus.
bool bParseSMBusSection(const json& smbus, CFieldReader& reader, BoardConfig& config);

// Builds the buses, devices and host emulations; buses receives one bus per controller, in
// the order of the file.
bool bBuildSMBus(const std::vector<SMBusControllerConfig>& controllers, CPortMap& ports, CPCIFunctions& pci,
                 std::vector<std::shared_ptr<CSMBusBus>>& buses, std::string& strError);

}  // namespace sim
