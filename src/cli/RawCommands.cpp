// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/RawCommands.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/Confirm.h"
#include "cli/Numbers.h"
#include "cli/Output.h"
#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/PCIConfig.h"
#include "platform/Processors.h"

namespace cli {

namespace {

constexpr uint32_t MAX_MEMORY_DUMP = 1u << 20;

// The parts of a raw command line, checked before anything is touched.
struct RawPlan {
    PCIAddress pci{};
    Register reg{};
    std::optional<uint64_t> value;
    uint64_t qwLength = 0;
};

int nUsage(const char* pszFormat, const std::string& strWhat)
{
    vError(pszFormat, strWhat.c_str());
    return EXIT_USAGE;
}

// Optional "=VALUE" at position nIndex, fitting the width.
int nParseValue(const std::vector<std::string>& args, size_t nIndex, unsigned nWidth, RawPlan& plan)
{
    if (args.size() <= nIndex) return EXIT_OK;
    if (args.size() > nIndex + 1) return nUsage("unexpected argument '%s'", args[nIndex + 1]);
    plan.value = ParseAssignment(args[nIndex], nWidth);
    if (!plan.value) return nUsage("bad value '%s' (=HEX that fits the register's width)", args[nIndex]);
    return EXIT_OK;
}

int nPlanPCI(const std::vector<std::string>& args, RawPlan& plan)
{
    if (args.size() < 2) return nUsage("%s", "usage: raw pci BB:DD.F OFFSET[.b|.w|.l] [=VALUE]");
    const auto address = ParsePCIAddress(args[0]);
    if (!address) return nUsage("bad PCI address '%s' (BB:DD.F, as lspci prints it)", args[0]);
    const auto reg = ParseRegister(args[1], 0xFFF, 1);
    if (!reg) return nUsage("bad register '%s' (hex offset below 0x1000, then .b, .w or .l)", args[1]);
    if (reg->qwOffset % reg->nWidth) return nUsage("unaligned register '%s'", args[1]);
    plan.pci = *address;
    plan.reg = *reg;
    if (int n = nParseValue(args, 2, reg->nWidth, plan)) return n;
    if (plan.value && reg->qwOffset >= 256 && reg->nWidth != 4)
        return nUsage("'%s': beyond 0xff only whole dwords (.l) can be written", args[1]);
    return EXIT_OK;
}

int nPlanPort(const std::vector<std::string>& args, RawPlan& plan)
{
    if (args.empty()) return nUsage("%s", "usage: raw port PORT[.b|.w|.l] [=VALUE]");
    const auto reg = ParseRegister(args[0], 0xFFFF, 1);
    if (!reg || reg->qwOffset + reg->nWidth > 0x10000) return nUsage("bad port '%s' (hex 0 to ffff, then .b, .w or .l)", args[0]);
    plan.reg = *reg;
    return nParseValue(args, 1, reg->nWidth, plan);
}

int nPlanMemory(const std::vector<std::string>& args, RawPlan& plan)
{
    if (args.size() != 2) return nUsage("%s", "usage: raw mem ADDRESS LENGTH (both hexadecimal)");
    const auto address = ParseHex(args[0], 0xFFFFFFFF);
    if (!address) return nUsage("bad address '%s' (hex, below 4 GiB)", args[0]);
    const auto length = ParseHex(args[1], MAX_MEMORY_DUMP);
    if (!length || *length == 0) return nUsage("bad length '%s' (hex, 1 to 100000)", args[1]);
    if (*address + *length > 0x100000000ull) return nUsage("'%s': the range runs past 4 GiB", args[1]);
    plan.reg.qwOffset = *address;
    plan.qwLength = *length;
    return EXIT_OK;
}

int nPlanMsr(const std::vector<std::string>& args, RawPlan& plan)
{
    if (args.empty()) return nUsage("%s", "usage: raw msr INDEX [--cpu N] [=VALUE]");
    const auto index = ParseHex(args[0], 0xFFFFFFFF);
    if (!index) return nUsage("bad MSR index '%s' (hex)", args[0]);
    plan.reg = Register{*index, 8};
    return nParseValue(args, 1, 8, plan);
}

// After an access that failed, the device's own word for it, if it said one.
int nFailed(CSession& session, const char* pszWhat)
{
    const std::string strFault = session.strFault();
    if (strFault.empty())
        vError("%s failed", pszWhat);
    else
        vError("%s failed: %s", pszWhat, strFault.c_str());
    return EXIT_FAILED;
}

void vPrintValue(const GlobalOptions& options, nlohmann::json document, uint64_t qwValue, unsigned nWidth)
{
    if (options.bJson) {
        document["width"] = nWidth;
        document["value"] = qwValue;
        vPrintJson(document);
    } else {
        std::printf("%s\n", strHex(qwValue, nWidth).c_str());
    }
}

int nRunPCI(CSession& session, const RawPlan& plan)
{
    const PCIAddress& a = plan.pci;
    const uint32_t dwOffset = static_cast<uint32_t>(plan.reg.qwOffset);
    if (plan.value) {
        const uint32_t dwValue = static_cast<uint32_t>(*plan.value);
        uint32_t bOk;
        if (plan.reg.nWidth == 4) {
            bOk = kit::bWritePCIConfig(a.nBus, a.nDevice, a.nFunction, dwOffset, dwValue);
        } else {
            CPCIIOSpace* pSpace = kit::FindPCIConfigSpace();
            bOk = pSpace && pSpace->WriteConfigPart(a.nBus, a.nDevice, a.nFunction, dwOffset, dwValue, plan.reg.nWidth);
        }
        if (!bOk) {
            if (dwOffset >= 256 && !kit::FindPCIExpressSpace())
                vError("no enhanced configuration space is known on this machine: offsets from 0x100 cannot be reached");
            else
                return nFailed(session, "configuration write");
            return EXIT_FAILED;
        }
        return EXIT_OK;
    }
    if (dwOffset >= 256 && !kit::FindPCIExpressSpace()) {
        vError("no enhanced configuration space is known on this machine: offsets from 0x100 cannot be reached");
        return EXIT_FAILED;
    }
    session.Driver().pAccessDevice()->vClearFault();
    uint64_t qwValue = kit::dwReadPCIConfig(a.nBus, a.nDevice, a.nFunction, dwOffset);
    if (!session.strFault().empty()) return nFailed(session, "configuration read");
    if (plan.reg.nWidth < 4) qwValue &= (1u << (8 * plan.reg.nWidth)) - 1;
    char szAddress[16];
    std::snprintf(szAddress, sizeof szAddress, "%02x:%02x.%x", a.nBus, a.nDevice, a.nFunction);
    vPrintValue(session.Options(), {{"address", szAddress}, {"offset", dwOffset}}, qwValue, plan.reg.nWidth);
    return EXIT_OK;
}

int nRunPort(CSession& session, const RawPlan& plan)
{
    CDeviceDriver& driver = session.Driver();
    const uint32_t dwPort = static_cast<uint32_t>(plan.reg.qwOffset);
    const unsigned nWidth = plan.reg.nWidth;
    if (plan.value) {
        const uint32_t dwValue = static_cast<uint32_t>(*plan.value);
        const uint32_t bOk = nWidth == 1   ? driver.bWritePortByte(dwPort, dwValue)
                             : nWidth == 2 ? driver.bWritePortWord(dwPort, dwValue)
                                           : driver.bWritePortDword(dwPort, dwValue);
        return bOk ? EXIT_OK : nFailed(session, "port write");
    }
    uint32_t dwValue = 0, bOk;
    if (nWidth == 1) {
        uint8_t b;
        bOk = driver.bReadPortByte(dwPort, b);
        dwValue = b;
    } else if (nWidth == 2) {
        uint16_t w;
        bOk = driver.bReadPortWord(dwPort, w);
        dwValue = w;
    } else {
        bOk = driver.bReadPortDword(dwPort, dwValue);
    }
    if (!bOk) return nFailed(session, "port read");
    vPrintValue(session.Options(), {{"port", dwPort}}, dwValue, nWidth);
    return EXIT_OK;
}

int nRunMemory(CSession& session, const RawPlan& plan)
{
    std::vector<uint8_t> bytes(plan.qwLength);
    const uint32_t dwAddress = static_cast<uint32_t>(plan.reg.qwOffset);
    if (!session.Driver().bReadPhysicalMemory(dwAddress, static_cast<uint32_t>(bytes.size()), bytes.data()))
        return nFailed(session, "memory read");
    if (session.Options().bJson)
        vPrintJson({{"address", dwAddress}, {"bytes", bytes}});
    else
        std::fputs(strHexDump(dwAddress, bytes.data(), bytes.size()).c_str(), stdout);
    return EXIT_OK;
}

int nRunMsr(CSession& session, const RawPlan& plan, unsigned nCpu)
{
    platform::IProcessors& processors = platform::Processors();
    if (nCpu >= processors.nCount()) {
        vError("there is no CPU %u (this machine has %u)", nCpu, processors.nCount());
        return EXIT_USAGE;
    }
    platform::CThreadPin pin(nCpu);
    if (!pin.bPinned()) {
        vError("cannot run on CPU %u", nCpu);
        return EXIT_FAILED;
    }
    CDeviceDriver& driver = session.Driver();
    const uint32_t dwIndex = static_cast<uint32_t>(plan.reg.qwOffset);
    if (plan.value) {
        const uint32_t bOk = driver.bWriteMSR(dwIndex, static_cast<uint32_t>(*plan.value >> 32),
                                              static_cast<uint32_t>(*plan.value));
        return bOk ? EXIT_OK : nFailed(session, "MSR write");
    }
    uint32_t dwHigh, dwLow;
    if (!driver.bReadMSR(dwIndex, dwHigh, dwLow)) return nFailed(session, "MSR read");
    vPrintValue(session.Options(), {{"msr", dwIndex}, {"cpu", nCpu}}, (uint64_t(dwHigh) << 32) | dwLow, 8);
    return EXIT_OK;
}


// What a raw write writes, for the question asked before it.
std::string strWhatIsWritten(const std::string& strChosen, const RawPlan& plan, unsigned nCpu)
{
    const std::string strValue = "0x" + strHex(*plan.value, plan.reg.nWidth);
    const char* pszWidth = plan.reg.nWidth == 1 ? "byte" : plan.reg.nWidth == 2 ? "word" : plan.reg.nWidth == 4 ? "dword" : "qword";
    char sz[160];
    if (strChosen == "pci")
        std::snprintf(sz, sizeof sz, "write %s to configuration register 0x%03llx of %02x:%02x.%x (%s)",
                      strValue.c_str(), static_cast<unsigned long long>(plan.reg.qwOffset), plan.pci.nBus,
                      plan.pci.nDevice, plan.pci.nFunction, pszWidth);
    else if (strChosen == "port")
        std::snprintf(sz, sizeof sz, "write %s to I/O port 0x%04llx (%s)", strValue.c_str(),
                      static_cast<unsigned long long>(plan.reg.qwOffset), pszWidth);
    else
        std::snprintf(sz, sizeof sz, "write %s to MSR 0x%llx of CPU %u", strValue.c_str(),
                      static_cast<unsigned long long>(plan.reg.qwOffset), nCpu);
    return sz;
}

struct RawArguments {
    std::vector<std::string> arguments;
    unsigned nCpu = 0;
};

void vAddRawCommands(CLI::App& app, RawArguments& args, std::string& strChosen)
{
    CLI::App* pRaw = app.add_subcommand("raw", "Direct access to PCI registers, ports, memory and MSRs (hex numbers)");
    pRaw->require_subcommand(1);
    struct Command {
        const char* pszName;
        const char* pszHelp;
    };
    static const Command commands[] = {
        {"pci", "raw pci BB:DD.F OFFSET[.b|.w|.l] [=VALUE]: read or write a configuration register"},
        {"port", "raw port PORT[.b|.w|.l] [=VALUE]: read or write an I/O port"},
        {"mem", "raw mem ADDRESS LENGTH: dump physical memory"},
        {"msr", "raw msr INDEX [--cpu N] [=VALUE]: read or write a model-specific register"},
    };
    for (const Command& command : commands) {
        CLI::App* pSub = pRaw->add_subcommand(command.pszName, command.pszHelp);
        pSub->add_option("arguments", args.arguments, "see the usage line above")->allow_extra_args();
        if (std::string(command.pszName) == "msr") pSub->add_option("--cpu", args.nCpu, "processor to run on (decimal)");
        pSub->callback([&strChosen, pSub]() { strChosen = pSub->get_name(); });
    }
}

int nRunRaw(const std::string& strChosen, const RawArguments& args, const GlobalOptions& options)
{
    RawPlan plan;
    int nPlan = EXIT_USAGE;
    if (strChosen == "pci") nPlan = nPlanPCI(args.arguments, plan);
    if (strChosen == "port") nPlan = nPlanPort(args.arguments, plan);
    if (strChosen == "mem") nPlan = nPlanMemory(args.arguments, plan);
    if (strChosen == "msr") nPlan = nPlanMsr(args.arguments, plan);
    if (nPlan != EXIT_OK) return nPlan;
    if (plan.value && !bConfirm(options, RawWarning(strWhatIsWritten(strChosen, plan, args.nCpu)))) return EXIT_USAGE;

    CSession session(options);
    if (int n = session.nStart()) return n;
    if (!session.bBegin()) return EXIT_FAILED;
    session.vEnsurePCISpace();
    int nResult = EXIT_FAILED;
    if (strChosen == "pci") nResult = nRunPCI(session, plan);
    if (strChosen == "port") nResult = nRunPort(session, plan);
    if (strChosen == "mem") nResult = nRunMemory(session, plan);
    if (strChosen == "msr") nResult = nRunMsr(session, plan, args.nCpu);
    session.vEnd();
    return nResult;
}

}  // namespace

std::unique_ptr<CCommand> CreateRawCommand()
{
    return std::make_unique<CSubcommandGroup<RawArguments>>(vAddRawCommands, nRunRaw);
}

}  // namespace cli
