// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/AccessDeviceChoice.h"

#include <cstdlib>
#include <cstring>

#include "app/RunNamespace.h"
#include "kit/LinuxAccessDevice.h"
#include "platform/LockDirectory.h"
#if PENDULON_SIM
#include "sim/SimAccessDevice.h"
#endif

namespace app {

std::unique_ptr<CAccessDevice> CreateAccessDevice(const std::string& strBoard, std::string& strError)
{
    // The locks opened from here on (the kit's among them) are the board's own: a simulation
    // neither waits for the real hardware nor holds it up.
    platform::SetLockNamespace(strBoardNamespace(strBoard));
    if (strBoard.empty()) return std::make_unique<kit::CLinuxAccessDevice>();
#if PENDULON_SIM
    std::unique_ptr<sim::CSimBoard> pBoard = sim::CSimBoard::Load(strBoard, strError);
    if (!pBoard) return nullptr;
    // PENDULON_BOARD_REAL_TIME=1: the board's waits take their time, so that the windows show
    // a walk as a real machine would.
    const char* pszRealTime = std::getenv("PENDULON_BOARD_REAL_TIME");
    pBoard->vSetRealTimeWaits(pszRealTime && std::strcmp(pszRealTime, "1") == 0);
    return std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
#else
    strError = strNoSimulatedBoards();
    return nullptr;
#endif
}

bool bHasSimulatedBoards() { return PENDULON_SIM != 0; }

std::string strNoSimulatedBoards()
{
    return "this build has no simulated boards (it was configured with -DPENDULON_SIM=OFF): "
           "--board cannot be used";
}

}  // namespace app
