// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/PCICommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Output.h"
#include "discovery/PCICapabilities.h"
#include "discovery/PCIDevice.h"
#include "kit/ORVEXSDK.h"

namespace cli {

namespace {

struct PCIOptions {
    bool bIdsOnly = false;
    bool bVerbose = false;
    bool bHex = false;
};

// The kit's trace function while a dump is printed: stdout, or a text for --json.
std::string* s_pCapture = nullptr;

int TraceToStdout(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int n = std::vprintf(pszFormat, args);
    va_end(args);
    return n;
}

int TraceToCapture(const char* pszFormat, ...)
{
    char szText[1024];
    va_list args;
    va_start(args, pszFormat);
    const int n = std::vsnprintf(szText, sizeof szText, pszFormat, args);
    va_end(args);
    if (s_pCapture && n > 0) s_pCapture->append(szText, std::min<size_t>(size_t(n), sizeof szText - 1));
    return n;
}

// Installs a trace function for the life of the object and puts the previous one back.
class CTraceScope {
public:
    explicit CTraceScope(PFN_TRACE pTrace) : m_pPrevious(ORVEXSDK::Instance()->m_pTrace)
    {
        ORVEXSDK::Instance()->m_pTrace = pTrace;
    }
    ~CTraceScope() { ORVEXSDK::Instance()->m_pTrace = m_pPrevious; }

private:
    PFN_TRACE m_pPrevious;
};

std::string strAddress(const CPCIDevice& device)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%02x:%02x.%x", device.m_bBus, device.m_bDevice, device.m_bFunction);
    return sz;
}

// "BB:DD.F CCCC: VVVV:DDDD (rev RR)", as lspci -n prints a function.
std::string strIdLine(const CPCIDevice& device)
{
    const CPCICommonHeader& h = *device.m_pCommonHeader;
    char sz[64];
    int n = std::snprintf(sz, sizeof sz, "%s %02x%02x: %04x:%04x", strAddress(device).c_str(), h.m_bBaseClass,
                          h.m_bSubClass, h.m_wVendorID, h.m_wDeviceID);
    if (h.m_bRevisionID && n > 0 && size_t(n) < sizeof sz)
        std::snprintf(sz + n, sizeof sz - size_t(n), " (rev %02x)", h.m_bRevisionID);
    return sz;
}

// 256 bytes, 16 to a line, as lspci -xxx prints them.
void vPrintHex(const uint8_t* pbConfig)
{
    for (unsigned i = 0; i < PCI_CONFIG_SIZE; ++i) {
        if (!(i & 15)) std::printf("%02x:", i);
        std::printf(" %02x", pbConfig[i]);
        if ((i & 15) == 15) std::putchar('\n');
    }
}

nlohmann::json CapabilitiesJson(const CTList<CPCICapability>* pList)
{
    nlohmann::json list = nlohmann::json::array();
    if (!pList) return list;
    for (CTListItem<CPCICapability>* pItem = pList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        list.push_back({{"id", pItem->m_pObject->m_dwID}, {"offset", pItem->m_pObject->m_dwOffset}});
    return list;
}

nlohmann::json DeviceJson(CPCIDevice& device, const PCIOptions& options)
{
    const CPCICommonHeader& h = *device.m_pCommonHeader;
    nlohmann::json entry = {
        {"address", strAddress(device)},    {"vendor_id", h.m_wVendorID},     {"device_id", h.m_wDeviceID},
        {"revision", h.m_bRevisionID},      {"base_class", h.m_bBaseClass},   {"sub_class", h.m_bSubClass},
        {"prog_if", h.m_bProgIf},           {"header_type", h.m_bHeaderType}, {"description", device.m_szDescription},
        {"capabilities", CapabilitiesJson(device.Capabilities())},
        {"extended_capabilities", CapabilitiesJson(device.ExtCapabilities())},
    };
    if (device.m_pHeader && device.m_pHeader->GetSubsystemVendorID() != 0xFFFF) {
        entry["subsystem_vendor_id"] = device.m_pHeader->GetSubsystemVendorID();
        entry["subsystem_id"] = device.m_pHeader->GetSubsystemID();
    }
    if (options.bHex && device.Config())
        entry["config"] = std::vector<uint8_t>(device.Config(), device.Config() + PCI_CONFIG_SIZE);
    if (options.bVerbose) {
        std::string strDump;
        s_pCapture = &strDump;
        {
            CTraceScope scope(TraceToCapture);
            device.Dump();
        }
        s_pCapture = nullptr;
        entry["dump"] = strDump;
    }
    return entry;
}

void vPrintDevice(CPCIDevice& device, const PCIOptions& options)
{
    std::string strLine = strIdLine(device);
    if (!options.bIdsOnly) strLine += std::string("  ") + device.m_szDescription;
    std::printf("%s\n", strLine.c_str());
    if (options.bVerbose) {
        CTraceScope scope(TraceToStdout);
        device.Dump();
    }
    if (options.bHex && device.Config()) vPrintHex(device.Config());
    if (options.bVerbose || options.bHex) std::putchar('\n');
}

// The PCI functions of the kit, ordered by bus, device and function as lspci lists them.
std::vector<CPCIDevice*> PCIDevices()
{
    std::vector<CPCIDevice*> devices;
    CTList<CDevice>* pList = ORVEXSDK::Instance()->m_pDeviceList;
    for (CTListItem<CDevice>* pItem = pList->m_pHead; pItem && pItem->m_pObject; pItem = pItem->m_pNext)
        if (pItem->m_pObject->m_dwType & DEVICE_PCI) devices.push_back(static_cast<CPCIDevice*>(pItem->m_pObject));
    std::stable_sort(devices.begin(), devices.end(), [](const CPCIDevice* a, const CPCIDevice* b) {
        return (a->m_bBus << 8 | a->m_bDevice << 3 | a->m_bFunction) < (b->m_bBus << 8 | b->m_bDevice << 3 | b->m_bFunction);
    });
    return devices;
}

int nRunPCI(const PCIOptions& options, const GlobalOptions& global)
{
    CSession session(global);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vBuildPCI();
    const bool bHasInterface = ORVEXSDK::Instance()->m_pPCIInterface != nullptr;
    const std::vector<CPCIDevice*> devices = PCIDevices();
    // The plain listing needs the headers only; the rest is read while the device is open.
    if (options.bVerbose || options.bHex || global.bJson)
        for (CPCIDevice* pDevice : devices) pDevice->ReadDetails();
    session.vEnd();
    if (!bHasInterface || devices.empty()) {
        const std::string strFault = session.strFault();
        if (strFault.empty())
            vError("no PCI function answered");
        else
            vError("no PCI function answered: %s", strFault.c_str());
        return EXIT_FAILED;
    }
    if (global.bJson) {
        nlohmann::json list = nlohmann::json::array();
        for (CPCIDevice* pDevice : devices) list.push_back(DeviceJson(*pDevice, options));
        vPrintJson({{"functions", list}});
    } else {
        for (CPCIDevice* pDevice : devices) vPrintDevice(*pDevice, options);
    }
    return EXIT_OK;
}

class CPCICommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        CLI::App* pSub = app.add_subcommand(
            "pci", "List the PCI functions as `lspci -n` does, with their class names (scan of buses 0 to 15)");
        pSub->add_flag("-n,--ids-only", m_Options.bIdsOnly, "exactly the `lspci -n` line, without the class name");
        pSub->add_flag("-v,--verbose", m_Options.bVerbose, "add the headers and capabilities of each function");
        pSub->add_flag("-x,--hex", m_Options.bHex, "add the 256 configuration bytes as `lspci -xxx` prints them");
        pSub->fallthrough();
        pSub->callback([this]() { m_bChosen = true; });
    }
    bool bChosen() const override { return m_bChosen; }
    int nRun(const GlobalOptions& options) override { return nRunPCI(m_Options, options); }

private:
    PCIOptions m_Options;
    bool m_bChosen = false;
};

}  // namespace

std::unique_ptr<CCommand> CreatePCICommand() { return std::make_unique<CPCICommand>(); }

}  // namespace cli
