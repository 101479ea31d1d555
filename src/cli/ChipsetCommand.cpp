// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ChipsetCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/Output.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/PCIDevice.h"
#include "kit/ORVEXSDK.h"

namespace cli {

namespace {

constexpr double MAX_BUS_MHZ = 10000.0;

using json = nlohmann::json;

std::string strLocation(const CPCIDevice* pDevice)
{
    if (!pDevice) return "?";
    char sz[16];
    std::snprintf(sz, sizeof sz, "%02x:%02x.%x", pDevice->m_bBus, pDevice->m_bDevice, pDevice->m_bFunction);
    return sz;
}

std::string strIds(const CPCIDevice* pDevice)
{
    if (!pDevice || !pDevice->m_pCommonHeader) return "?";
    char sz[16];
    std::snprintf(sz, sizeof sz, "%04x:%04x", pDevice->m_pCommonHeader->m_wVendorID,
                  pDevice->m_pCommonHeader->m_wDeviceID);
    return sz;
}

// "2.5", "5": a latency as written on a memory module.
std::string strClocks(float f)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%g", double(f));
    return sz;
}

template <typename TBridge>
json BridgeJson(const TBridge& bridge)
{
    return {{"vendor", bridge.m_szVendor},   {"model", bridge.m_szModel},          {"revision", bridge.m_szRevision},
            {"location", strLocation(bridge.m_pDevice)}, {"id", strIds(bridge.m_pDevice)}, {"state", bridge.m_nState}};
}

json Known(int32_t n) { return n == -1 ? json(nullptr) : json(n); }
json Known(float f) { return f > 0.0f ? json(double(f)) : json(nullptr); }

json MemoryJson(const CMemoryInfo& info)
{
    const char* pszType = CMemoryInfo::pszTypeName(info.m_nMemoryType);
    return {
        {"type", Known(info.m_nMemoryType)},
        {"type_name", pszType ? json(pszType) : json(nullptr)},
        {"ratio", info.m_szRatio[0] ? json(info.m_szRatio) : json(nullptr)},
        {"ratio_value", Known(info.m_fRatio)},
        {"offset_mhz", Known(info.m_fOffset)},
        {"divider", Known(info.m_nDivider)},
        {"cas", Known(info.m_fCAS)},
        {"rcd", Known(info.m_nTiming[MEMORY_TIMING_RCD])},
        {"rp", Known(info.m_nTiming[MEMORY_TIMING_RP])},
        {"ras", Known(info.m_nTiming[MEMORY_TIMING_RAS])},
        {"rc", Known(info.m_nTiming[MEMORY_TIMING_RC])},
        {"command_rate", Known(info.m_nTiming[MEMORY_TIMING_COMMAND_RATE])},
        {"channels", Known(info.m_nChannels)},
        {"ecc", info.m_szECC[0] ? json(info.m_szECC) : json(nullptr)},
        {"ecc_enabled", info.m_bECCEnabled != 0},
        {"nominal_mhz", Known(info.m_fNominal)},
    };
}

template <typename TBridge>
void vPrintBridge(const char* pszRole, const TBridge& bridge)
{
    std::printf("%-13s %s %s, revision %s, at %s (%s)\n", pszRole, bridge.m_szVendor, bridge.m_szModel,
                bridge.m_szRevision, strLocation(bridge.m_pDevice).c_str(), strIds(bridge.m_pDevice).c_str());
}

void vPrintMemory(const CMemoryInfo& info)
{
    std::string strType = "unknown";
    if (info.m_nMemoryType != -1) {
        const char* pszType = CMemoryInfo::pszTypeName(info.m_nMemoryType);
        strType = pszType ? std::string(pszType) + " (type " + std::to_string(info.m_nMemoryType) + ")"
                          : "type " + std::to_string(info.m_nMemoryType);
    }
    std::printf("Memory:       %s\n", strType.c_str());
    if (info.m_szRatio[0]) std::printf("Ratio:        %s\n", info.m_szRatio);
    std::string strTimings;
    if (info.m_fCAS > 0.0f) strTimings = "CAS " + strClocks(info.m_fCAS);
    const unsigned slots[] = {MEMORY_TIMING_RCD, MEMORY_TIMING_RP, MEMORY_TIMING_RAS, MEMORY_TIMING_RC};
    std::string strRow;
    for (unsigned nSlot : slots) {
        if (info.m_nTiming[nSlot] == -1) continue;
        strRow += (strRow.empty() ? "" : "-") + std::to_string(info.m_nTiming[nSlot]);
    }
    if (!strRow.empty()) strTimings += (strTimings.empty() ? "" : ", ") + strRow;
    if (info.m_nTiming[MEMORY_TIMING_COMMAND_RATE] != -1)
        strTimings += (strTimings.empty() ? "" : ", ") + std::to_string(info.m_nTiming[MEMORY_TIMING_COMMAND_RATE]) + "T";
    if (!strTimings.empty()) std::printf("Timings:      %s\n", strTimings.c_str());
    if (info.m_nChannels != -1) std::printf("Channels:     %d\n", info.m_nChannels);
    if (info.m_szECC[0]) std::printf("ECC:          %s\n", info.m_szECC);
}

struct ChipsetOptions {
    bool bBus = false;  // --bus was given
    double dBus = 0.0;
};

int nRunChipset(const GlobalOptions& options, const ChipsetOptions& chipsetOptions)
{
    if (chipsetOptions.bBus && !(chipsetOptions.dBus > 0.0 && chipsetOptions.dBus <= MAX_BUS_MHZ)) {
        vError("bad bus clock %g (MHz, above 0 and at most %g)", chipsetOptions.dBus, MAX_BUS_MHZ);
        return EXIT_USAGE;
    }
    CSession session(options);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vBuildKit();
    CChipsetInterface* pChipset = ORVEXSDK::Instance()->m_pChipsetInterface;
    if (!pChipset) {
        session.vEnd();
        vError("the chipset could not be identified (no PCI access on this machine)");
        return EXIT_FAILED;
    }
    // The bus clock is the processor interface's to measure; without it the memory clock is
    // only known when the user gives the bus clock.
    const float fBus = chipsetOptions.bBus ? float(chipsetOptions.dBus) : -1.0f;
    const float fMemoryClock = pChipset->GetMemoryClock(fBus, -1.0f);
    const CMemoryInfo& info = *pChipset->m_pMemoryInfo;

    if (options.bJson) {
        json north = json::array();
        for (CTListItem<CNorthBridge>* p = pChipset->m_pNorthBridges->m_pHead; p && p->m_pObject; p = p->m_pNext) {
            json bridge = BridgeJson(*p->m_pObject);
            bridge["main"] = p->m_pObject == pChipset->m_pNorthBridge;
            north.push_back(bridge);
        }
        vPrintJson({{"north_bridges", north},
                    {"south_bridge", pChipset->m_pSouthBridge ? BridgeJson(*pChipset->m_pSouthBridge) : json(nullptr)},
                    {"memory", MemoryJson(info)},
                    {"bus_clock_mhz", Known(fBus)},
                    {"memory_clock_mhz", Known(fMemoryClock)}});
    } else {
        if (pChipset->m_pNorthBridge) vPrintBridge("North bridge:", *pChipset->m_pNorthBridge);
        for (CTListItem<CNorthBridge>* p = pChipset->m_pNorthBridges->m_pHead; p && p->m_pObject; p = p->m_pNext)
            if (p->m_pObject != pChipset->m_pNorthBridge) vPrintBridge("Host bridge:", *p->m_pObject);
        if (pChipset->m_pSouthBridge) {
            vPrintBridge("South bridge:", *pChipset->m_pSouthBridge);
            if (pChipset->m_pSouthBridge->m_nState == SOUTH_BRIDGE_UNHIDDEN)
                std::printf("              the SMBus function was hidden and is shown while the kit runs\n");
            if (pChipset->m_pSouthBridge->m_nState == SOUTH_BRIDGE_HIDING_FAILED)
                std::printf("              the SMBus function is hidden and could not be shown\n");
        } else
            std::printf("South bridge: none found\n");
        vPrintMemory(info);
        if (fMemoryClock > 0.0f)
            std::printf("Memory clock: %.2f MHz at a bus clock of %.2f MHz\n", double(fMemoryClock), double(fBus));
        else if (fBus > 0.0f)
            std::printf("Memory clock: unknown (the memory controller gives no ratio to the bus clock)\n");
        else
            std::printf("Memory clock: unknown (no bus clock measured; give one with --bus MHZ)\n");
    }
    session.vEnd();
    return EXIT_OK;
}

class CChipsetCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        m_pCommand = app.add_subcommand("chipset", "North and south bridges, memory settings and memory clock");
        m_pBus = m_pCommand->add_option("--bus", m_Options.dBus, "bus (FSB) clock in MHz to work out the memory clock from");
    }
    bool bChosen() const override { return m_pCommand && m_pCommand->parsed(); }
    int nRun(const GlobalOptions& options) override
    {
        m_Options.bBus = m_pBus && m_pBus->count() > 0;
        return nRunChipset(options, m_Options);
    }

private:
    CLI::App* m_pCommand = nullptr;
    CLI::Option* m_pBus = nullptr;
    ChipsetOptions m_Options;
};

}  // namespace

std::unique_ptr<CCommand> CreateChipsetCommand() { return std::make_unique<CChipsetCommand>(); }

}  // namespace cli
