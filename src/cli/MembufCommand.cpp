// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/MembufCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/Confirm.h"
#include "cli/Output.h"
#include "cli/PLLOutput.h"
#include "kit/ORVEXSDK.h"
#include "smbus/SMBusInterface.h"
#include "pll/MemoryBuffer.h"
#include "pll/MemoryBufferInterface.h"

namespace cli {

namespace {

constexpr uint32_t INTERFACE_LOCK_MS = 2000;
constexpr const char* CHANNEL_NAMES[2] = {"A", "B"};

struct MembufArguments {
    std::string strChannel;
    std::string strCLKIN;
    std::string strFBINT;
};

struct MembufPlan {
    std::string strAction;
    int32_t nChannel = -1;
    int32_t nCLKIN = -1;  // -1: unchanged
    int32_t nFBINT = -1;
};

// "450", "450ps" or "450 ps": the code of that row of the skew table.
std::optional<int32_t> ParseSkew(const std::string& str)
{
    std::string strName = str;
    while (!strName.empty() && strName.back() == ' ') strName.pop_back();
    if (strName.size() > 2 && strName.compare(strName.size() - 2, 2, "ps") == 0) strName.resize(strName.size() - 2);
    while (!strName.empty() && strName.back() == ' ') strName.pop_back();
    strName += " ps";
    for (const SKEW_ENTRY* p = g_ICS9P932SkewTable; p->dwCode != SKEW_CODE_END; ++p)
        if (strName == p->szName) return int32_t(p->dwCode);
    return std::nullopt;
}

// The name of a code, or "code N" for one that is not in the table.
std::string strSkewName(int32_t nCode)
{
    for (const SKEW_ENTRY* p = g_ICS9P932SkewTable; p->dwCode != SKEW_CODE_END; ++p)
        if (int32_t(p->dwCode) == nCode) return p->szName;
    return nCode < 0 ? "unknown" : "code " + std::to_string(nCode);
}

std::string strSkewList()
{
    std::string str;
    for (const SKEW_ENTRY* p = g_ICS9P932SkewTable; p->dwCode != SKEW_CODE_END; ++p)
        str += std::string(str.empty() ? "" : ", ") + p->szName;
    return str;
}

int nPlan(const std::string& strAction, const MembufArguments& args, MembufPlan& plan)
{
    plan.strAction = strAction;
    if (strAction == "read") return EXIT_OK;
    if (args.strChannel == "A" || args.strChannel == "a")
        plan.nChannel = 0;
    else if (args.strChannel == "B" || args.strChannel == "b")
        plan.nChannel = 1;
    else {
        vError("membuf set needs --channel A or B");
        return EXIT_USAGE;
    }
    if (args.strCLKIN.empty() && args.strFBINT.empty()) {
        vError("membuf set needs --clkin PS, --fbint PS or both");
        return EXIT_USAGE;
    }
    const struct {
        const std::string& str;
        int32_t& nCode;
        const char* pszOption;
    } skews[] = {{args.strCLKIN, plan.nCLKIN, "--clkin"}, {args.strFBINT, plan.nFBINT, "--fbint"}};
    for (const auto& skew : skews) {
        if (skew.str.empty()) continue;
        std::optional<int32_t> code = ParseSkew(skew.str);
        if (!code) {
            vError("bad %s '%s' (one of %s)", skew.pszOption, skew.str.c_str(), strSkewList().c_str());
            return EXIT_USAGE;
        }
        skew.nCode = *code;
    }
    return EXIT_OK;
}

void vPrintSkews(const GlobalOptions& options, const ICS_9P932_MemoryBuffer& buffer)
{
    if (options.bJson) {
        nlohmann::json channels = nlohmann::json::array();
        for (int32_t n = 0; n < 2; ++n)
            channels.push_back({{"channel", CHANNEL_NAMES[n]},
                                {"clkin_code", buffer.GetCLKINSkew(n)},
                                {"clkin", strSkewName(buffer.GetCLKINSkew(n))},
                                {"fbint_code", buffer.GetFBINTSkew(n)},
                                {"fbint", strSkewName(buffer.GetFBINTSkew(n))}});
        vPrintJson({{"chip", "ICS 9P932"},
                    {"channels", channels},
                    {"registers", std::vector<uint8_t>(buffer.m_abRegisters,
                                                       buffer.m_abRegisters + std::max(0, buffer.m_nRegisterCount))}});
        return;
    }
    std::printf("chip\tICS 9P932\n");
    for (int32_t n = 0; n < 2; ++n)
        std::printf("channel %s\tCLKIN %s\tFB-INT %s\n", CHANNEL_NAMES[n], strSkewName(buffer.GetCLKINSkew(n)).c_str(),
                    strSkewName(buffer.GetFBINTSkew(n)).c_str());
    std::printf("registers (%d):\n%s", int(buffer.m_nRegisterCount),
                strRegisterImage(buffer.m_abRegisters, buffer.m_nRegisterCount).c_str());
}

// The question before a set, with the skews read and the ones asked for.
std::string strWhatIsWritten(const MembufPlan& plan, const ICS_9P932_MemoryBuffer& buffer, int32_t nCLKIN,
                             int32_t nFBINT)
{
    return std::string("set the clock skews of memory channel ") + CHANNEL_NAMES[plan.nChannel] + ": CLKIN from " +
           strSkewName(buffer.GetCLKINSkew(plan.nChannel)) + " to " + strSkewName(nCLKIN) + ", FB-INT from " +
           strSkewName(buffer.GetFBINTSkew(plan.nChannel)) + " to " + strSkewName(nFBINT);
}

int nRunSet(const GlobalOptions& options, const MembufPlan& plan, ICS_9P932_MemoryBuffer& buffer)
{
    const int32_t nCLKIN = plan.nCLKIN >= 0 ? plan.nCLKIN : buffer.GetCLKINSkew(plan.nChannel);
    const int32_t nFBINT = plan.nFBINT >= 0 ? plan.nFBINT : buffer.GetFBINTSkew(plan.nChannel);
    if (!bConfirm(options, MemoryBufferWarning(strWhatIsWritten(plan, buffer, nCLKIN, nFBINT)))) return EXIT_USAGE;
    if (!buffer.SetCLKINSkew(plan.nChannel, nCLKIN) || !buffer.SetFBINTSkew(plan.nChannel, nFBINT) ||
        !buffer.bApply()) {
        vError("writing the memory buffer failed%s", strBecause(buffer.m_pCommandSet).c_str());
        return EXIT_FAILED;
    }
    // Read back: the chip must hold what was written.
    if (!buffer.bReadRegisters() || buffer.GetCLKINSkew(plan.nChannel) != nCLKIN ||
        buffer.GetFBINTSkew(plan.nChannel) != nFBINT) {
        vError("the memory buffer did not take the new skews (read back CLKIN %s, FB-INT %s)",
               strSkewName(buffer.GetCLKINSkew(plan.nChannel)).c_str(),
               strSkewName(buffer.GetFBINTSkew(plan.nChannel)).c_str());
        return EXIT_FAILED;
    }
    std::printf("channel %s\tCLKIN %s\tFB-INT %s\n", CHANNEL_NAMES[plan.nChannel], strSkewName(nCLKIN).c_str(),
                strSkewName(nFBINT).c_str());
    return EXIT_OK;
}

int nRunOnKit(const GlobalOptions& options, const MembufPlan& plan)
{
    auto* pInterface =
        static_cast<CMemoryBufferInterface*>(ORVEXSDK::Instance()->FindInterface(INTERFACE_MEMORY_BUFFER));
    if (!pInterface || !pInterface->m_pMemoryBuffer) {
        if (const std::string strRefusal = strSMBusRefusal(); !strRefusal.empty())
            vError("the memory buffer cannot be reached: %s", strRefusal.c_str());
        else
            vError("no FB-DIMM memory buffer (ICS 9P932) found at SMBus address 0x6a (%s)",
                   strSMBusNotFound(MEMORY_BUFFER_SMBUS_ADDRESS).c_str());
        return EXIT_FAILED;
    }
    if (!pInterface->Lock(INTERFACE_LOCK_MS)) {
        vError("the memory buffer is busy (another program holds its lock)");
        return EXIT_FAILED;
    }
    ICS_9P932_MemoryBuffer& buffer = *pInterface->m_pMemoryBuffer;
    int nResult = EXIT_OK;
    if (!buffer.bReadRegisters()) {
        vError("reading the memory buffer failed%s", strBecause(buffer.m_pCommandSet).c_str());
        nResult = EXIT_FAILED;
    } else if (plan.strAction == "read") {
        vPrintSkews(options, buffer);
    } else {
        nResult = nRunSet(options, plan, buffer);
    }
    pInterface->Unlock();
    return nResult;
}

int nRunMembuf(const std::string& strAction, const MembufArguments& args, const GlobalOptions& options)
{
    MembufPlan plan;
    if (int n = nPlan(strAction, args, plan)) return n;
    // The question names the skews read, so it comes after the read; a write that could not
    // be asked for is refused before anything is touched.
    if (strAction == "set" && !bCanAsk(options, MemoryBufferWarning(std::string("change the clock skews of memory "
                                                                                "channel ") +
                                                                    CHANNEL_NAMES[plan.nChannel])))
        return EXIT_USAGE;
    return nRunOnWholeKit(options, [&] { return nRunOnKit(options, plan); });
}

class CMembufCommand : public CCommand {
public:
    void vAdd(CLI::App& app) override
    {
        CLI::App* pMembuf = app.add_subcommand("membuf", "The FB-DIMM memory clock buffer: clock skews per channel");
        pMembuf->require_subcommand(1);
        CLI::App* pRead = pMembuf->add_subcommand("read", "membuf read: the CLKIN and FB-INT skews of channels A, B");
        pRead->callback([this]() { m_strChosen = "read"; });
        CLI::App* pSet = pMembuf->add_subcommand(
            "set", "membuf set --channel A|B [--clkin PS] [--fbint PS]: set skews (asks first unless -y)");
        pSet->add_option("--channel", m_Arguments.strChannel, "A or B");
        pSet->add_option("--clkin", m_Arguments.strCLKIN, "input clock skew: " + strSkewList());
        pSet->add_option("--fbint", m_Arguments.strFBINT, "feedback clock skew: " + strSkewList());
        pSet->callback([this]() { m_strChosen = "set"; });
    }
    bool bChosen() const override { return !m_strChosen.empty(); }
    int nRun(const GlobalOptions& options) override { return nRunMembuf(m_strChosen, m_Arguments, options); }

private:
    MembufArguments m_Arguments;
    std::string m_strChosen;
};

}  // namespace

std::unique_ptr<CCommand> CreateMembufCommand() { return std::make_unique<CMembufCommand>(); }

}  // namespace cli
