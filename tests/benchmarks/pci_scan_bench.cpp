// SPDX-License-Identifier: GPL-2.0-or-later
// A full PCI scan (buses 0 to 15, the capability chains, the enhanced window) through the whole
// kit: on the demo board and on this machine through the linux access device. Beside the
// host's scan, reading every function's 256 configuration bytes straight from sysfs (what
// lspci does) is measured as the reference.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "app/InterfaceCreation.h"
#include "discovery/PCIInterface.h"
#include "BenchBoard.h"
#include "KitOnDevice.h"
#include "kit/DeviceDriver.h"
#include "kit/LinuxAccessDevice.h"
#include "kit/ORVEXSDK.h"
#include "sim/SimAccessDevice.h"

namespace {

// A driver kept open over the given device; each scan gets a fresh kit root.
class CScanKit : public CKitOnDevice {
public:
    explicit CScanKit(std::unique_ptr<CAccessDevice> pDevice) : CKitOnDevice(std::move(pDevice)), m_bOk(bOk()) {}
    // A new root with the PCI interface, not yet scanned.
    CPCIInterface* pFreshInterface()
    {
        CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
        ORVEXSDK::Destroy();
        ORVEXSDK* pKit = ORVEXSDK::Instance();
        pKit->m_pDriver = pDriver;
        return app::CreatePCIInterface(pKit) ? pKit->m_pPCIInterface : nullptr;
    }
    bool m_bOk;
};

void vRunScans(benchmark::State& state, CScanKit& kit)
{
    uint32_t nFunctions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CPCIInterface* pPCI = kit.pFreshInterface();
        state.ResumeTiming();
        if (!pPCI) {
            state.SkipWithError("the PCI interface could not be created");
            return;
        }
        pPCI->Scan();
        nFunctions = ORVEXSDK::Instance()->m_pDeviceList->m_nCount;
    }
    state.counters["functions"] = nFunctions;
}

void BM_PCIScanDemoBoard(benchmark::State& state)
{
    auto pDevice = QuietBoardDevice(state);
    if (!pDevice) return;
    CScanKit kit(std::move(pDevice));
    if (!kit.m_bOk) {
        state.SkipWithError("the demo board could not be opened");
        return;
    }
    vRunScans(state, kit);
}
BENCHMARK(BM_PCIScanDemoBoard)->Unit(benchmark::kMillisecond);

constexpr const char* SYSFS_DEVICES = "/sys/bus/pci/devices";

void BM_PCIScanHostKit(benchmark::State& state)
{
    if (geteuid() != 0 || access(SYSFS_DEVICES, R_OK) != 0) {
        state.SkipWithError("needs root and PCI functions in sysfs");
        return;
    }
    CScanKit kit(std::make_unique<kit::CLinuxAccessDevice>());
    if (!kit.m_bOk) {
        state.SkipWithError("the linux access device could not be opened");
        return;
    }
    vRunScans(state, kit);
}
BENCHMARK(BM_PCIScanHostKit)->Unit(benchmark::kMillisecond);

// The reference: every function's 256 bytes read from its sysfs file.
void BM_PCIScanHostSysfs(benchmark::State& state)
{
    uint32_t nFunctions = 0;
    for (auto _ : state) {
        DIR* pDir = opendir(SYSFS_DEVICES);
        if (!pDir) {
            state.SkipWithError("no PCI functions in sysfs");
            return;
        }
        nFunctions = 0;
        uint8_t abConfig[256];
        while (dirent* pEntry = readdir(pDir)) {
            if (pEntry->d_name[0] == '.') continue;
            const std::string strPath = std::string(SYSFS_DEVICES) + "/" + pEntry->d_name + "/config";
            const int nFd = open(strPath.c_str(), O_RDONLY);
            if (nFd < 0) continue;
            benchmark::DoNotOptimize(pread(nFd, abConfig, sizeof abConfig, 0));
            close(nFd);
            ++nFunctions;
        }
        closedir(pDir);
    }
    state.counters["functions"] = nFunctions;
}
BENCHMARK(BM_PCIScanHostSysfs)->Unit(benchmark::kMillisecond);

}  // namespace
