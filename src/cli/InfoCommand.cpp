// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/DMICommand.h"
#include "cli/Output.h"
#include "discovery/ChipsetBridges.h"
#include "discovery/ChipsetInterface.h"
#include "discovery/DMIInterface.h"
#include "discovery/MemoryInfo.h"
#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/ACPIInterface.h"
#include "kit/ORVEXSDK.h"
#include "platform/Processors.h"

namespace cli {

namespace {

using json = nlohmann::json;

std::string strDMI(const std::string& strKeyword)
{
    CDMIInterface* pDMI = ORVEXSDK::Instance()->m_pDMIInterface;
    if (!pDMI) return "";
    const std::vector<std::string> values = DMIKeywordValues(*pDMI, strKeyword);
    return values.empty() ? "" : values.front();
}

// The brand string of processor 0, trimmed; "" when the processor has none.
std::string strProcessorBrand()
{
    platform::CThreadPin pin(0);
    platform::IProcessors& processors = platform::Processors();
    if (processors.Cpuid(0x80000000, 0).eax < 0x80000004) return "";
    char szBrand[49] = {};
    for (uint32_t n = 0; n < 3; ++n) {
        const platform::CpuidRegs regs = processors.Cpuid(0x80000002 + n, 0);
        std::memcpy(szBrand + 16 * n, &regs, 16);
    }
    std::string str = szBrand;
    str.erase(0, str.find_first_not_of(' '));
    return str;
}

std::string strLocation(const CPCIDevice* p)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%02x:%02x.%x", p->m_bBus, p->m_bDevice, p->m_bFunction);
    return sz;
}

template <typename TBridge>
std::string strBridge(const TBridge* pBridge)
{
    if (!pBridge) return "";
    std::string str = std::string(pBridge->m_szVendor) + " " + pBridge->m_szModel + ", revision " + pBridge->m_szRevision;
    if (pBridge->m_pDevice) str += " at " + strLocation(pBridge->m_pDevice);
    return str;
}

std::string strMemory(const CMemoryInfo& info)
{
    std::string str;
    if (const char* pszType = CMemoryInfo::pszTypeName(info.m_nMemoryType)) str = pszType;
    if (info.m_szRatio[0]) str += (str.empty() ? "" : ", ") + std::string("ratio ") + info.m_szRatio;
    if (info.m_nChannels > 0) str += (str.empty() ? "" : ", ") + std::to_string(info.m_nChannels) + " channel(s)";
    return str;
}

struct Facts {
    std::string strMachine, strBIOS, strProcessor, strNorth, strSouth, strMemory;
    unsigned nLogical = 0, nPCIFunctions = 0;
    std::vector<std::string> displays;
    uint32_t dwRSDP = 0, dwPMTimerPort = 0;
};

Facts Gather()
{
    Facts facts;
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    const std::string strMaker = strDMI("system-manufacturer"), strProduct = strDMI("system-product-name");
    facts.strMachine = strMaker + (strMaker.empty() || strProduct.empty() ? "" : " ") + strProduct;
    const std::string strVendor = strDMI("bios-vendor");
    if (!strVendor.empty())
        facts.strBIOS = strVendor + " " + strDMI("bios-version") + ", " + strDMI("bios-release-date");
    facts.strProcessor = strProcessorBrand();
    facts.nLogical = platform::Processors().nCount();
    if (CChipsetInterface* pChipset = pKit->m_pChipsetInterface) {
        facts.strNorth = strBridge(pChipset->m_pNorthBridge);
        facts.strSouth = strBridge(pChipset->m_pSouthBridge);
        if (pChipset->m_pMemoryInfo) facts.strMemory = strMemory(*pChipset->m_pMemoryInfo);
    }
    if (CPCIInterface* pPCI = pKit->m_pPCIInterface) {
        for (CTListItem<CDevice>* p = pKit->m_pDeviceList->m_pHead; p && p->m_pObject; p = p->m_pNext)
            if (p->m_pObject->m_dwType & DEVICE_PCI) ++facts.nPCIFunctions;
        CTList<CPCIDevice> displays;
        pPCI->CountDevicesByClass(3, 0, &displays);
        for (CTListItem<CPCIDevice>* p = displays.m_pHead; p && p->m_pObject; p = p->m_pNext) {
            CPCIDevice* pDevice = p->m_pObject;
            const char* pszBus = pDevice->FindCapability(PCI_CAP_PCIE) ? "PCI Express"
                                 : pDevice->FindCapability(PCI_CAP_AGP) ? "AGP"
                                                                        : "PCI";
            char sz[64];
            std::snprintf(sz, sizeof sz, " %04x:%04x (%s)", pDevice->m_pCommonHeader->m_wVendorID,
                          pDevice->m_pCommonHeader->m_wDeviceID, pszBus);
            facts.displays.push_back(strLocation(pDevice) + sz);
        }
    }
    if (CACPIInterface* pACPI = pKit->m_pACPIInterface) {
        facts.dwRSDP = pACPI->m_dwRSDPAddress;
        if (pACPI->m_pTimer) facts.dwPMTimerPort = pACPI->m_dwPMTimerBlock;
    }
    return facts;
}

void vPrint(const Facts& f, const GlobalOptions& options)
{
    auto orUnknown = [](const std::string& str) { return str.empty() ? std::string("unknown") : str; };
    std::printf("Machine:      %s\n", orUnknown(f.strMachine).c_str());
    if (!f.strBIOS.empty()) std::printf("BIOS:         %s\n", f.strBIOS.c_str());
    std::printf("Access:       %s\n", options.strBoard.empty() ? "this machine" : ("simulated board " + options.strBoard).c_str());
    std::printf("Processors:   %u logical, %s\n", f.nLogical, orUnknown(f.strProcessor).c_str());
    std::printf("North bridge: %s\n", orUnknown(f.strNorth).c_str());
    std::printf("South bridge: %s\n", orUnknown(f.strSouth).c_str());
    std::printf("Memory:       %s\n", orUnknown(f.strMemory).c_str());
    std::printf("PCI:          %u functions\n", f.nPCIFunctions);
    for (const std::string& str : f.displays) std::printf("Display:      %s\n", str.c_str());
    if (f.dwRSDP)
        std::printf("ACPI:         RSDP at 0x%05x, PM timer %s\n", f.dwRSDP,
                    f.dwPMTimerPort ? ("at port 0x" + strHex(f.dwPMTimerPort, 2)).c_str() : "none");
    else
        std::printf("ACPI:         no tables found\n");
}

json ToJson(const Facts& f, const GlobalOptions& options)
{
    auto orNull = [](const std::string& str) { return str.empty() ? json(nullptr) : json(str); };
    return {{"machine", orNull(f.strMachine)},
            {"bios", orNull(f.strBIOS)},
            {"board", orNull(options.strBoard)},
            {"logical_processors", f.nLogical},
            {"processor", orNull(f.strProcessor)},
            {"north_bridge", orNull(f.strNorth)},
            {"south_bridge", orNull(f.strSouth)},
            {"memory", orNull(f.strMemory)},
            {"pci_functions", f.nPCIFunctions},
            {"displays", f.displays},
            {"rsdp", f.dwRSDP ? json(f.dwRSDP) : json(nullptr)},
            {"pm_timer_port", f.dwPMTimerPort ? json(f.dwPMTimerPort) : json(nullptr)}};
}

class CInfoCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        m_pCommand = app.add_subcommand("info", "A one-screen summary of the machine");
    }
    bool bChosen() const override { return m_pCommand && m_pCommand->parsed(); }
    int nRun(const GlobalOptions& options) override
    {
        Facts facts;
        if (int n = nRunOnWholeKit(options, [&] {
                facts = Gather();
                return EXIT_OK;
            }))
            return n;
        if (options.bJson)
            vPrintJson(ToJson(facts, options));
        else
            vPrint(facts, options);
        return EXIT_OK;
    }

private:
    CLI::App* m_pCommand = nullptr;
};

}  // namespace

std::unique_ptr<CCommand> CreateInfoCommand() { return std::make_unique<CInfoCommand>(); }

}  // namespace cli
