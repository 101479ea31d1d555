#include "app/AccessDeviceChoice.h"

#include "kit/LinuxAccessDevice.h"
#include "sim/SimAccessDevice.h"

namespace app {

std::unique_ptr<CAccessDevice> CreateAccessDevice(const std::string& strBoard, std::string& strError)
{
    if (strBoard.empty()) return std::make_unique<kit::CLinuxAccessDevice>();
    std::unique_ptr<sim::CSimBoard> pBoard = sim::CSimBoard::Load(strBoard, strError);
    if (!pBoard) return nullptr;
    return std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
}

}  // namespace app
