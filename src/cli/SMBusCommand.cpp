// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SMBusCommand.h"

#include <cxxabi.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "cli/Confirm.h"
#include "cli/Numbers.h"
#include "cli/Output.h"
#include "cli/SMBusOutput.h"
#include "discovery/PCIInterface.h"
#include "kit/ORVEXSDK.h"
#include "kit/WriteTrace.h"
#include "smbus/SMBusControllers.h"
#include "smbus/SMBusDevice.h"
#include "smbus/SMBusIOSpace.h"
#include "smbus/SMBusInterface.h"

namespace cli {

namespace {

constexpr unsigned SMBUS_BLOCK_MAX = 32;

struct SMBusArguments {
    std::vector<std::string> arguments;
    std::string strChannel;
};

// What the command line asks for, checked before anything is touched.
struct SMBusPlan {
    std::string strAction;
    std::optional<unsigned> nChannel;
    unsigned nAddress = 0;
    unsigned nCommand = 0;
    unsigned nValue = 0;
    char cMode = 'b';
};

int nUsage(const char* pszFormat, const std::string& strWhat)
{
    vError(pszFormat, strWhat.c_str());
    return EXIT_USAGE;
}

// Numbers as i2c-tools take them (strtol with base 0): "0x" and hex digits, a leading 0 and
// octal digits ("010" is 8), else decimal.
std::optional<uint64_t> ParseNumber(const std::string& str, uint64_t qwMax)
{
    if (str.size() > 2 && str[0] == '0' && (str[1] == 'x' || str[1] == 'X')) return ParseHex(str.substr(2), qwMax);
    if (str.size() > 1 && str[0] == '0') return ParseOctal(str.substr(1), qwMax);
    return ParseDecimal(str, qwMax);
}

int nParseMode(const std::vector<std::string>& args, size_t nIndex, const char* pszModes, SMBusPlan& plan)
{
    if (args.size() <= nIndex) return EXIT_OK;
    if (args.size() > nIndex + 1) return nUsage("unexpected argument '%s'", args[nIndex + 1]);
    const std::string& strMode = args[nIndex];
    if (strMode.size() != 1 || !std::strchr(pszModes, strMode[0]))
        return nUsage("unknown mode '%s'", strMode);
    plan.cMode = strMode[0];
    return EXIT_OK;
}

int nParseAddress(const std::string& str, SMBusPlan& plan)
{
    const auto address = ParseNumber(str, SMBUS_LAST_SCANNED);
    if (!address || *address < SMBUS_FIRST_SCANNED)
        return nUsage("bad address '%s' (0x03 to 0x77)", str);
    plan.nAddress = unsigned(*address);
    return EXIT_OK;
}

int nParseCommand(const std::string& str, SMBusPlan& plan)
{
    const auto command = ParseNumber(str, 0xFF);
    if (!command) return nUsage("bad command '%s' (0x00 to 0xff)", str);
    plan.nCommand = unsigned(*command);
    return EXIT_OK;
}

int nPlan(const std::string& strAction, const SMBusArguments& in, SMBusPlan& plan)
{
    const std::vector<std::string>& args = in.arguments;
    plan.strAction = strAction;
    if (!in.strChannel.empty()) {
        const auto channel = ParseNumber(in.strChannel, 0xFF);
        if (!channel) return nUsage("bad channel '%s'", in.strChannel);
        plan.nChannel = unsigned(*channel);
    }
    if (strAction == "list" || strAction == "scan") {
        if (!args.empty()) return nUsage("unexpected argument '%s'", args[0]);
        return EXIT_OK;
    }
    if (strAction == "get") {
        if (args.size() < 2) return nUsage("%s", "usage: smbus get ADDRESS COMMAND [b|w|s]");
        if (int n = nParseAddress(args[0], plan)) return n;
        if (int n = nParseCommand(args[1], plan)) return n;
        return nParseMode(args, 2, "bws", plan);
    }
    if (strAction == "set") {
        if (args.size() < 3) return nUsage("%s", "usage: smbus set ADDRESS COMMAND VALUE [b|w]");
        if (int n = nParseAddress(args[0], plan)) return n;
        if (int n = nParseCommand(args[1], plan)) return n;
        if (int n = nParseMode(args, 3, "bw", plan)) return n;
        const auto value = ParseNumber(args[2], plan.cMode == 'w' ? 0xFFFF : 0xFF);
        if (!value) return nUsage(plan.cMode == 'w' ? "bad value '%s' (0x0000 to 0xffff)" : "bad value '%s' (0x00 to 0xff)", args[2]);
        plan.nValue = unsigned(*value);
        return EXIT_OK;
    }
    if (args.empty()) return nUsage("%s", "usage: smbus dump ADDRESS [b|s]");
    if (int n = nParseAddress(args[0], plan)) return n;
    return nParseMode(args, 1, "bs", plan);
}

// What a set writes, for the question asked before it.
std::string strWhatIsWritten(const SMBusPlan& plan)
{
    char sz[96];
    std::snprintf(sz, sizeof sz, "write 0x%0*x to register 0x%02x of the device at 0x%02x (%s)",
                  plan.cMode == 'w' ? 4 : 2, plan.nValue, plan.nCommand, plan.nAddress,
                  plan.cMode == 'w' ? "word" : "byte");
    return sz;
}

std::string strClassName(CIOSpace* pController)
{
    const char* pszMangled = typeid(*pController).name();
    int nStatus = 0;
    char* pszName = abi::__cxa_demangle(pszMangled, nullptr, nullptr, &nStatus);
    std::string strName = nStatus == 0 && pszName ? pszName : pszMangled;
    std::free(pszName);
    return strName;
}

// Why the last transaction on the controller failed, to follow "failed": ": no device answers
// at 0x69", ": the controller timed out"; empty when the controller cannot tell.
std::string strCause(const CSMBusIOSpace* pController, unsigned nAddress)
{
    if (pController->eLastFailure() == ESMBusFailure::None) return std::string();
    return ": " + pController->strLastFailure(uint8_t(nAddress));
}

// The functions a command needs of the controller, as i2c-tools checks an adapter's
// functions before it runs one.
uint32_t dwNeededFunctions(const SMBusPlan& plan)
{
    if (plan.strAction == "list") return 0;
    if (plan.strAction == "set") return plan.cMode == 'w' ? SMBUS_FUNC_WRITE_WORD_DATA : SMBUS_FUNC_WRITE_BYTE_DATA;
    if (plan.cMode == 's') return SMBUS_FUNC_READ_BLOCK_DATA;
    if (plan.cMode == 'w') return SMBUS_FUNC_READ_WORD_DATA;
    return SMBUS_FUNC_READ_BYTE_DATA;  // get, dump and scan (which reads a byte of each address)
}

std::string strControllerName(const CSMBusIOSpace* pController)
{
    return pController->m_strName.empty() ? kit::strSMBusController(pController->m_dwBase) : pController->m_strName;
}

bool bCanRun(const SMBusPlan& plan, const CSMBusIOSpace* pController)
{
    const uint32_t dwNeeded = dwNeededFunctions(plan);
    return (pController->m_dwFunctions & dwNeeded) == dwNeeded;
}

// The refusal (exit 2) of a command that needs a function the controller lacks.
int nRefuseFunctions(uint32_t dwNeeded, const std::string& strController, uint32_t dwFunctions)
{
    vError("the SMBus controller (%s) cannot do %s; it can do %s", strController.c_str(),
           strSMBusFunctionNeed(dwNeeded & ~dwFunctions).c_str(), strSMBusFunctions(dwFunctions).c_str());
    return EXIT_USAGE;
}

int nRefuseFunctions(const SMBusPlan& plan, const CSMBusIOSpace* pController)
{
    return nRefuseFunctions(dwNeededFunctions(plan), strControllerName(pController), pController->m_dwFunctions);
}

std::vector<CSMBusIOSpace*> Controllers()
{
    std::vector<CSMBusIOSpace*> controllers;
    for (CTListItem<CIOSpace>* pItem = ORVEXSDK::Instance()->m_pIOSpaceList->m_pHead; pItem; pItem = pItem->m_pNext) {
        CIOSpace* p = pItem->m_pObject;
        if (p && (p->m_dwType & IOSPACE_SMBUS_PORTS) == IOSPACE_SMBUS_PORTS)
            controllers.push_back(static_cast<CSMBusIOSpace*>(p));
    }
    return controllers;
}

int nRunList(const GlobalOptions& options, CSMBusInterface& smbus, const std::vector<CSMBusIOSpace*>& controllers)
{
    nlohmann::json list = nlohmann::json::array();
    for (size_t i = 0; i < controllers.size(); ++i) {
        const std::string strClass = strClassName(controllers[i]);
        if (options.bJson) {
            list.push_back({{"name", controllers[i]->m_strName},
                            {"class", strClass},
                            {"base", controllers[i]->m_dwBase},
                            {"channels", smbus.m_nChannelCount},
                            {"functions", SMBusFunctionNames(controllers[i]->m_dwFunctions)}});
        } else {
            // The columns scripts already read (bus, class, base, channels), then the
            // controller's name and what it can do.
            std::printf("smbus-%zu\t%s\tbase 0x%04x\t%u channel%s\t%s\t%s\n", i, strClass.c_str(),
                        controllers[i]->m_dwBase, smbus.m_nChannelCount, smbus.m_nChannelCount == 1 ? "" : "s",
                        strControllerName(controllers[i]).c_str(),
                        strSMBusFunctions(controllers[i]->m_dwFunctions).c_str());
        }
    }
    if (options.bJson) vPrintJson({{"controllers", list}});
    return EXIT_OK;
}

int nRunScan(const GlobalOptions& options, unsigned nChannel, const std::vector<CSMBusIOSpace*>& controllers)
{
    SMBusScanResult answered{};
    nlohmann::json found = nlohmann::json::array();
    for (unsigned nAddress = SMBUS_FIRST_SCANNED; nAddress <= SMBUS_LAST_SCANNED; ++nAddress) {
        for (CSMBusIOSpace* pController : controllers) {
            uint8_t bByte = 0;
            if (!pController->SMBusReadByte(uint8_t(nChannel), uint8_t(nAddress), 0, bByte)) continue;
            answered[nAddress] = true;
            found.push_back(nAddress);
            break;
        }
    }
    if (options.bJson)
        vPrintJson({{"channel", nChannel}, {"addresses", found}});
    else
        std::fputs(strSMBusGrid(answered).c_str(), stdout);
    return EXIT_OK;
}

int nRunGet(const GlobalOptions& options, const SMBusPlan& plan, CSMBusDevice& device)
{
    CSMBusIOSpace* pController = device.m_pIOSpace;
    const uint8_t nChannel = device.m_nChannel, nAddress = uint8_t(plan.nAddress), bCommand = uint8_t(plan.nCommand);
    nlohmann::json document = {{"address", plan.nAddress}, {"command", plan.nCommand}, {"channel", nChannel},
                               {"mode", std::string(1, plan.cMode)}};
    if (plan.cMode == 's') {
        uint8_t abBlock[SMBUS_BLOCK_MAX] = {};
        const int32_t nCount = pController->SMBusBlockRead(nChannel, nAddress, bCommand, abBlock);
        if (nCount <= 0) {
            vError("block read of register 0x%02x at 0x%02x failed%s", plan.nCommand, plan.nAddress,
                   strCause(pController, plan.nAddress).c_str());
            return EXIT_FAILED;
        }
        const size_t nStored = std::min<size_t>(size_t(nCount), SMBUS_BLOCK_MAX);
        if (options.bJson) {
            document["bytes"] = std::vector<uint8_t>(abBlock, abBlock + nStored);
            vPrintJson(document);
        } else {
            for (size_t i = 0; i < nStored; ++i) std::printf(i ? " 0x%02x" : "0x%02x", abBlock[i]);
            std::printf("\n");
        }
        return EXIT_OK;
    }
    unsigned nValue = 0;
    uint32_t bOk;
    if (plan.cMode == 'w') {
        uint8_t bData0 = 0, bData1 = 0;
        bOk = pController->SMBusReadWord(nChannel, nAddress, bCommand, bData0, bData1);
        nValue = bData0 | (unsigned(bData1) << 8);  // as i2cget: the first byte on the bus is the low byte
    } else {
        uint8_t bByte = 0;
        bOk = pController->SMBusReadByte(nChannel, nAddress, bCommand, bByte);
        nValue = bByte;
    }
    if (!bOk) {
        vError("read of register 0x%02x at 0x%02x failed%s", plan.nCommand, plan.nAddress,
               strCause(pController, plan.nAddress).c_str());
        return EXIT_FAILED;
    }
    if (options.bJson) {
        document["value"] = nValue;
        vPrintJson(document);
    } else {
        std::printf(plan.cMode == 'w' ? "0x%04x\n" : "0x%02x\n", nValue);
    }
    return EXIT_OK;
}

int nRunSet(const SMBusPlan& plan, CSMBusDevice& device)
{
    CSMBusIOSpace* pController = device.m_pIOSpace;
    const uint8_t nChannel = device.m_nChannel, nAddress = uint8_t(plan.nAddress), bCommand = uint8_t(plan.nCommand);
    const uint32_t bOk = plan.cMode == 'w'
                             ? pController->SMBusWriteWord(nChannel, nAddress, bCommand, uint8_t(plan.nValue & 0xFF),
                                                           uint8_t(plan.nValue >> 8))
                             : pController->SMBusWriteByte(nChannel, nAddress, bCommand, uint8_t(plan.nValue));
    if (!bOk) {
        vError("write of register 0x%02x at 0x%02x failed%s", plan.nCommand, plan.nAddress,
               strCause(pController, plan.nAddress).c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int nRunDump(const GlobalOptions& options, const SMBusPlan& plan, CSMBusDevice& device)
{
    CSMBusIOSpace* pController = device.m_pIOSpace;
    const uint8_t nChannel = device.m_nChannel, nAddress = uint8_t(plan.nAddress);
    SMBusDumpCells cells{};
    unsigned nRows = 16;
    if (plan.cMode == 's') {
        uint8_t abBlock[SMBUS_BLOCK_MAX] = {};
        const int32_t nCount = pController->SMBusBlockRead(nChannel, nAddress, 0, abBlock);
        if (nCount <= 0) {
            vError("block read at 0x%02x failed%s", plan.nAddress, strCause(pController, plan.nAddress).c_str());
            return EXIT_FAILED;
        }
        const unsigned nStored = std::min<unsigned>(unsigned(nCount), SMBUS_BLOCK_MAX);
        for (unsigned i = 0; i < nStored; ++i) cells[i] = abBlock[i];
        nRows = (nStored + 15) / 16;
    } else {
        for (unsigned nCommand = 0; nCommand < 256; ++nCommand) {
            uint8_t bByte = 0;
            if (pController->SMBusReadByte(nChannel, nAddress, uint8_t(nCommand), bByte)) cells[nCommand] = bByte;
        }
    }
    if (options.bJson) {
        nlohmann::json bytes = nlohmann::json::array();
        for (unsigned i = 0; i < nRows * 16; ++i) bytes.push_back(cells[i] ? nlohmann::json(*cells[i]) : nlohmann::json());
        if (plan.cMode == 's')
            while (!bytes.empty() && bytes.back().is_null()) bytes.erase(bytes.size() - 1);
        vPrintJson({{"address", plan.nAddress}, {"channel", nChannel}, {"mode", std::string(1, plan.cMode)},
                    {"bytes", bytes}});
    } else {
        std::fputs(strSMBusDump(cells, nRows, plan.cMode == 's').c_str(), stdout);
    }
    return EXIT_OK;
}

int nRunOnKit(const GlobalOptions& options, const SMBusPlan& plan)
{
    CSMBusInterface* pSMBus = ORVEXSDK::Instance()->m_pSMBusInterface;
    if (!pSMBus) {
        vError("the SMBus cannot be reached on this machine (no PCI configuration access)");
        return EXIT_FAILED;
    }
    const std::vector<CSMBusIOSpace*> controllers = Controllers();
    if (controllers.empty()) {
        if (!pSMBus->m_strRefusal.empty())
            vError("%s", pSMBus->m_strRefusal.c_str());
        else
            vError("no SMBus controller that this program drives was found on this machine");
        return EXIT_FAILED;
    }
    if (plan.strAction == "list") return nRunList(options, *pSMBus, controllers);
    // Before the bus is touched: a command that no controller of the board can run is refused.
    if (std::none_of(controllers.begin(), controllers.end(),
                     [&plan](const CSMBusIOSpace* p) { return bCanRun(plan, p); }))
        return nRefuseFunctions(plan, controllers.front());
    if (plan.nChannel && *plan.nChannel >= pSMBus->m_nChannelCount) {
        vError("there is no SMBus channel %u (this board has %u)", *plan.nChannel, pSMBus->m_nChannelCount);
        return EXIT_USAGE;
    }
    if (plan.strAction == "scan") return nRunScan(options, plan.nChannel.value_or(0), controllers);

    // A device is reached as the kit reaches its chips: the controller that answers a probe.
    CSMBusDevice* pDevice = plan.nChannel ? pSMBus->ProbeDevice(uint8_t(*plan.nChannel), uint8_t(plan.nAddress))
                                          : pSMBus->FindSMBusDevice(uint8_t(plan.nAddress));
    if (!pDevice || !pDevice->m_pIOSpace) {
        // A time-out or a collision is not a missing device: the probe's cause is named.
        vError("%s", pSMBus->strProbeFailure(uint8_t(plan.nAddress)).c_str());
        return EXIT_FAILED;
    }
    if (!bCanRun(plan, pDevice->m_pIOSpace)) return nRefuseFunctions(plan, pDevice->m_pIOSpace);
    if (plan.strAction == "get") return nRunGet(options, plan, *pDevice);
    if (plan.strAction == "set") return nRunSet(plan, *pDevice);
    return nRunDump(options, plan, *pDevice);
}

// What the PCI functions alone tell, so that a command is refused before anything else is
// touched: the channel must exist on this board (the multiplexer's channels are known from
// them), and a controller of the board must be able to run the command (the controller table
// gives the functions of each south bridge's controller).
int nCheckBeforeKit(const GlobalOptions& options, const SMBusPlan& plan)
{
    const uint32_t dwNeeded = dwNeededFunctions(plan);
    if (!plan.nChannel && !dwNeeded) return EXIT_OK;
    return nLookAtPCI(options, [&plan, dwNeeded](CPCIInterface& pci) {
        if (plan.nChannel) {
            const uint32_t nChannels = CSMBusInterface::nChannelsOf(pci);
            if (*plan.nChannel >= nChannels) {
                vError("there is no SMBus channel %u (this board has %u)", *plan.nChannel, nChannels);
                return int(EXIT_USAGE);
            }
        }
        const std::vector<smbus::BoardController> board = smbus::BoardControllers(pci);
        // No controller of the table: the kit says what it finds.
        if (board.empty()) return int(EXIT_OK);
        for (const smbus::BoardController& controller : board)
            if ((controller.pRow->dwFunctions & dwNeeded) == dwNeeded) return int(EXIT_OK);
        return nRefuseFunctions(dwNeeded, board.front().pDevice->pszName, board.front().pRow->dwFunctions);
    });
}

int nRunSMBus(const std::string& strAction, const SMBusArguments& args, const GlobalOptions& options)
{
    SMBusPlan plan;
    if (int n = nPlan(strAction, args, plan)) return n;
    if (strAction == "set" && !bCanAsk(options, SMBusWarning(strWhatIsWritten(plan)))) return EXIT_USAGE;
    if (int n = nCheckBeforeKit(options, plan)) return n;
    if (strAction == "set" && !bConfirm(options, SMBusWarning(strWhatIsWritten(plan)))) return EXIT_USAGE;

    return nRunOnWholeKit(options, [&] { return nRunOnKit(options, plan); });
}

void vAddSMBusCommands(CLI::App& app, SMBusArguments& args, std::string& strChosen)
{
    CLI::App* pSMBus = app.add_subcommand(
        "smbus", "The SMBus in the manner of i2c-tools (numbers: 0x-prefixed hex or decimal)");
    pSMBus->require_subcommand(1);
    static const struct {
        const char* pszName;
        const char* pszHelp;
    } s_Commands[] = {
        {"list", "smbus list: the SMBus controllers found (class, base, channels)"},
        {"scan", "smbus scan [--channel N]: the addresses that answer, as i2cdetect shows them"},
        {"get", "smbus get ADDRESS COMMAND [b|w|s]: read a byte, a word (first byte low, as i2cget) or a block"},
        {"set", "smbus set ADDRESS COMMAND VALUE [b|w]: write a byte or a word (asks first unless -y)"},
        {"dump", "smbus dump ADDRESS [b|s]: every register (b) or the block at command 0 (s), as i2cdump"},
    };
    for (const auto& command : s_Commands) {
        CLI::App* pSub = pSMBus->add_subcommand(command.pszName, command.pszHelp);
        pSub->add_option("arguments", args.arguments, "see the usage line above")->allow_extra_args();
        pSub->add_option("--channel", args.strChannel, "multiplexer channel (0 on boards without a multiplexer)");
        pSub->callback([&strChosen, pSub]() { strChosen = pSub->get_name(); });
    }
}

}  // namespace

std::unique_ptr<CCommand> CreateSMBusCommand()
{
    return std::make_unique<CSubcommandGroup<SMBusArguments>>(vAddSMBusCommands, nRunSMBus);
}

}  // namespace cli
