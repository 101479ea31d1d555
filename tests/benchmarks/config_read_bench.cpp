// SPDX-License-Identifier: GPL-2.0-or-later
// The cost of one PCI configuration dword read through the whole kit (I/O space, driver
// request, access device): on the simulated board and through the sysfs path of this host.
// On the host the kernel's own pread of the config file is measured beside it, and the ratio
// of the two is reported as "overhead".
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "BenchBoard.h"
#include "KitOnDevice.h"
#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/LinuxAccessDevice.h"
#include "kit/ORVEXSDK.h"
#include "sim/SimAccessDevice.h"

namespace {

// A kit on the device with a registered PCI configuration space.
class CBenchKit : public CKitOnDevice {
public:
    explicit CBenchKit(std::unique_ptr<CAccessDevice> pDevice) : CKitOnDevice(std::move(pDevice))
    {
        m_pPCI = new CPCIIOSpace;
        Kit().AddIOSpace(m_pPCI);
        m_bOk = bOk();
    }
    bool m_bOk;
    CPCIIOSpace* m_pPCI;
};

void BM_ConfigReadSimBoard(benchmark::State& state)
{
    auto pDevice = QuietBoardDevice(state);
    if (!pDevice) return;
    CBenchKit kit(std::move(pDevice));
    if (!kit.m_bOk) {
        state.SkipWithError("the demo board could not be opened");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(kit.m_pPCI->ReadConfig(0, 0x1F, 3, 0x20));
}
BENCHMARK(BM_ConfigReadSimBoard);

constexpr const char* HOST_CONFIG = "/sys/bus/pci/devices/0000:00:00.0/config";

void BM_ConfigReadHostKernel(benchmark::State& state)
{
    const int nFd = open(HOST_CONFIG, O_RDONLY);
    if (nFd < 0) {
        state.SkipWithError("no PCI host bridge in sysfs");
        return;
    }
    uint32_t dw;
    for (auto _ : state) benchmark::DoNotOptimize(pread(nFd, &dw, 4, 0));
    close(nFd);
}
BENCHMARK(BM_ConfigReadHostKernel);

void BM_ConfigReadHostKit(benchmark::State& state)
{
    if (geteuid() != 0 || access(HOST_CONFIG, R_OK) != 0) {
        state.SkipWithError("needs root and a PCI host bridge in sysfs");
        return;
    }
    CBenchKit kit(std::make_unique<kit::CLinuxAccessDevice>());
    if (!kit.m_bOk) {
        state.SkipWithError("the linux access device could not be opened");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(kit.m_pPCI->ReadConfig(0, 0, 0, 0));
}
BENCHMARK(BM_ConfigReadHostKit);

}  // namespace
