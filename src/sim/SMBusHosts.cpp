// SPDX-License-Identifier: GPL-2.0-or-later
// The SMBus host controller families a board file can name, as data: one row per family,
// the name used in the "smbus" section and the function that builds its emulation.
#include <memory>

#include "sim/BusHandlers.h"
#include "sim/IntelSMBusHost.h"
#include "sim/SMBusBoard.h"
#include "sim/SMBusOtherHosts.h"

namespace sim {

namespace {

template <bool bICH4>
bool bBuildIntel(SMBusHostContext& context, std::string& strError)
{
    const SMBusControllerConfig& config = context.Config;
    CIntelSMBusHost::Function function;
    function.bPresent = config.bHasFunction;
    function.nBus = config.nBus;
    function.nDevice = config.nDevice;
    function.nFunction = config.nFunction;
    function.nBarOffset = config.nBarOffset;
    return context.Ports.bAdd(std::make_unique<CIntelSMBusHost>(config.wBase, bICH4, context.pBus, &context.Pci, function),
                              strError);
}

}  // namespace

const std::vector<SMBusHostKind>& SMBusHostKinds()
{
    static const std::vector<SMBusHostKind> kinds = {
        {"intel-ich1", bBuildIntel<false>},
        {"intel-ich4", bBuildIntel<true>},
        {"via", bBuildVIAHost},
        {"sis", bBuildSiSHost},
        {"ali-m1563", bBuildALiM1563Host},
        {"ali-m7101", bBuildALiM7101Host},
        {"nforce", bBuildNForceHost},
        {"amd756", bBuildAMD756Host},
        {"intel-5000x-spd", bBuildFBDSPDHost},
    };
    return kinds;
}

}  // namespace sim
