// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The host controller families besides Intel's, as rows of the board's table of SMBus host
// kinds: VIA/ATI (Intel layout with the buffered block), SiS, ALi M1563, ALi M7101, nForce,
// AMD-756 and the Intel 5000 series FB-DIMM SPD controllers.
//
// Options of the board file ("options" of the controller entry):
//   bar_mask, bar_add   the ports answer while (the function's register at "bar", which may
//                       start inside a dword, AND bar_mask) + bar_add is the base (defaults
//                       0xFFF0 and 0)
//   io_enable           0: the function's I/O enable bit does not gate the ports (default 1)
//   enable_reg, enable_mask
//                       the ports answer only while the byte at enable_reg has a bit of
//                       enable_mask set (the host enable bit of the family)
//   channel             5000X: the FB-DIMM channel of the branch device, 0 or 1
//   chunks_after_last   SiS: a faulty host that asks for this many chunks more after the
//                       last one of a block write before it completes (default 0)
#include <string>

#include "sim/SMBusBoard.h"

namespace sim {

bool bBuildVIAHost(SMBusHostContext& context, std::string& strError);
bool bBuildSiSHost(SMBusHostContext& context, std::string& strError);
bool bBuildALiM1563Host(SMBusHostContext& context, std::string& strError);
bool bBuildALiM7101Host(SMBusHostContext& context, std::string& strError);
bool bBuildNForceHost(SMBusHostContext& context, std::string& strError);
bool bBuildAMD756Host(SMBusHostContext& context, std::string& strError);
bool bBuildFBDSPDHost(SMBusHostContext& context, std::string& strError);

}  // namespace sim
