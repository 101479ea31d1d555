// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SMBusOtherHosts.h"

#include <memory>

#include "sim/BusHandlers.h"
#include "sim/FBDSPDFunction.h"
#include "sim/PCIConfig.h"
#include "sim/PCIVisibility.h"
#include "sim/SMBusALiHosts.h"
#include "sim/SMBusAMD756Host.h"
#include "sim/SMBusNForceHost.h"
#include "sim/SMBusSiSHost.h"
#include "sim/SMBusVIAHost.h"

namespace sim {

namespace {

constexpr unsigned PCI_COMMAND = 0x04;

// How the controller's PCI function decides whether its ports answer.
struct DecodeRule {
    bool bPresent = false;
    uint8_t nBus = 0, nDevice = 0, nFunction = 0;
    uint8_t nBarOffset = 0x20;
    uint32_t dwBarMask = 0xFFF0;
    uint32_t dwBarAdd = 0;
    bool bIOEnable = true;
    bool bHostEnable = false;
    unsigned nEnableOffset = 0;
    uint8_t bEnableMask = 0;
};

uint64_t qwOption(const SMBusControllerConfig& config, const char* pszName, uint64_t qwDefault)
{
    auto it = config.Options.find(pszName);
    return it == config.Options.end() ? qwDefault : it->second;
}

DecodeRule Rule(const SMBusControllerConfig& config)
{
    DecodeRule rule;
    rule.bPresent = config.bHasFunction;
    rule.nBus = config.nBus;
    rule.nDevice = config.nDevice;
    rule.nFunction = config.nFunction;
    rule.nBarOffset = config.nBarOffset;
    rule.dwBarMask = uint32_t(qwOption(config, "bar_mask", 0xFFF0));
    rule.dwBarAdd = uint32_t(qwOption(config, "bar_add", 0));
    rule.bIOEnable = qwOption(config, "io_enable", 1) != 0;
    rule.bHostEnable = config.Options.count("enable_reg") != 0;
    rule.nEnableOffset = unsigned(qwOption(config, "enable_reg", 0) & 0xFF);
    rule.bEnableMask = uint8_t(qwOption(config, "enable_mask", 1));
    return rule;
}

// The host's ports as the function decodes them: all ones and dropped writes while it does
// not (hidden, I/O disabled, its base register elsewhere, the host switched off).
class CDecodedPorts : public CPortHandler {
public:
    CDecodedPorts(std::unique_ptr<CPortHandler> pHost, const CPCIFunctions& pci, const DecodeRule& rule)
        : CPortHandler(pHost->wFirst(), pHost->nCount()), m_pHost(std::move(pHost)), m_Pci(pci), m_Rule(rule)
    {
    }

    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override
    {
        if (!bDecodes())
            return nWidth == 4 ? 0xFFFFFFFF : (uint32_t(1) << (8 * nWidth)) - 1;
        return m_pHost->dwIn(wPort, nWidth, context);
    }
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override
    {
        if (bDecodes())
            m_pHost->vOut(wPort, nWidth, dwValue, context);
    }

private:
    bool bDecodes() const
    {
        if (!m_Rule.bPresent)
            return true;
        const CPCIFunction* pFunction = m_Pci.pFind(m_Rule.nBus, m_Rule.nDevice, m_Rule.nFunction);
        if (!pFunction)
            return false;
        if (auto* pHideable = dynamic_cast<const CConditionalPCIFunction*>(pFunction); pHideable && !pHideable->bVisible())
            return false;
        if (m_Rule.bIOEnable && !(pFunction->dwPeek(PCI_COMMAND) & 1))
            return false;
        if (m_Rule.bHostEnable) {
            const uint32_t dwEnable = pFunction->dwPeek(m_Rule.nEnableOffset & 0xFC) >> (8 * (m_Rule.nEnableOffset & 3));
            if (!(dwEnable & m_Rule.bEnableMask))
                return false;
        }
        const uint32_t dwBar = pFunction->dwPeek(m_Rule.nBarOffset & 0xFC) >> (8 * (m_Rule.nBarOffset & 3));
        return ((dwBar & m_Rule.dwBarMask) + m_Rule.dwBarAdd) == wFirst();
    }

    std::unique_ptr<CPortHandler> m_pHost;
    const CPCIFunctions& m_Pci;
    DecodeRule m_Rule;
};

bool bAddPortHost(SMBusHostContext& context, std::unique_ptr<CPortHandler> pHost, std::string& strError)
{
    return context.Ports.bAdd(std::make_unique<CDecodedPorts>(std::move(pHost), context.Pci, Rule(context.Config)),
                              strError);
}

template <typename THost>
bool bBuildPortHost(SMBusHostContext& context, std::string& strError)
{
    return bAddPortHost(context, std::make_unique<THost>(context.Config.wBase, context.pBus), strError);
}

}  // namespace

bool bBuildVIAHost(SMBusHostContext& context, std::string& strError)
{
    return bBuildPortHost<CVIASMBusHost>(context, strError);
}

bool bBuildSiSHost(SMBusHostContext& context, std::string& strError)
{
    auto pHost = std::make_unique<CSiSSMBusHost>(context.Config.wBase, context.pBus);
    pHost->vSetChunksAfterLast(uint32_t(qwOption(context.Config, "chunks_after_last", 0)));
    return bAddPortHost(context, std::move(pHost), strError);
}

bool bBuildALiM1563Host(SMBusHostContext& context, std::string& strError)
{
    return bBuildPortHost<CALiM1563SMBusHost>(context, strError);
}

bool bBuildALiM7101Host(SMBusHostContext& context, std::string& strError)
{
    return bBuildPortHost<CALiM7101SMBusHost>(context, strError);
}

bool bBuildNForceHost(SMBusHostContext& context, std::string& strError)
{
    return bBuildPortHost<CNForceSMBusHost>(context, strError);
}

bool bBuildAMD756Host(SMBusHostContext& context, std::string& strError)
{
    return bBuildPortHost<CAMD756SMBusHost>(context, strError);
}

bool bBuildFBDSPDHost(SMBusHostContext& context, std::string& strError)
{
    const SMBusControllerConfig& config = context.Config;
    if (!config.bHasFunction) {
        strError = "an FB-DIMM SPD controller needs the branch device as its function";
        return false;
    }
    const uint64_t qwChannel = qwOption(config, "channel", 0);
    if (qwChannel > 1) {
        strError = "options.channel must be 0 or 1";
        return false;
    }
    CPCIFunction* pFound = context.Pci.pFind(config.nBus, config.nDevice, config.nFunction);
    auto* pSpd = dynamic_cast<CFBDSPDFunction*>(pFound);
    if (!pSpd) {
        std::unique_ptr<CPCIFunction> pBranch = context.Pci.pTake(config.nBus, config.nDevice, config.nFunction);
        if (!pBranch) {
            strError = "the branch device is not among the board's PCI functions";
            return false;
        }
        auto pWrapped = std::make_unique<CFBDSPDFunction>(std::move(pBranch));
        pSpd = pWrapped.get();
        context.Pci.bAdd(config.nBus, config.nDevice, config.nFunction, std::move(pWrapped));
    }
    pSpd->vAttach(unsigned(qwChannel), context.pBus);
    return true;
}

}  // namespace sim
