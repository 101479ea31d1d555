// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/PLLCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/ChosenModel.h"
#include "app/DumpReport.h"
#include "cli/Confirm.h"
#include "cli/Output.h"
#include "cli/PLLOutput.h"
#include "cli/PLLPlan.h"
#include "cpu/CPUInterface.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"
#include "smbus/SMBusInterface.h"

#ifndef PENDULON_VERSION
#define PENDULON_VERSION ""
#endif

namespace cli {

namespace {

constexpr uint32_t INTERFACE_LOCK_MS = 2000;
constexpr uint32_t REREAD_WAIT_MS = 200;

// Holds the interface lock for the rest of the command.
class CInterfaceLock {
public:
    explicit CInterfaceLock(CPLLInterface& pll) : m_PLL(pll), m_bTaken(pll.Lock(INTERFACE_LOCK_MS)) {}
    ~CInterfaceLock()
    {
        if (m_bTaken) m_PLL.Unlock();
    }
    bool bTaken() const { return m_bTaken; }

private:
    CPLLInterface& m_PLL;
    bool m_bTaken;
};

// The driver the command works with: the model of the plan. The kit must have found what
// the plan saw: the chipset's PLL, or a device answering at 0x69. EXIT_OK, or the exit status
// after saying why (nothing has been written).
int nChooseDriver(CPLLInterface& pll, const PLLPlan& plan, CClockGenerator*& pDriver)
{
    if (plan.bChipsetPLL) {
        if (!pll.m_pPLL || pll.m_pPLL->m_dwPLLID != plan.dwModel) {
            vError("the chipset's PLL (%s) could not be set up", strModelName(plan.dwModel).c_str());
            return EXIT_FAILED;
        }
        pDriver = pll.m_pPLL;
        return EXIT_OK;
    }
    pDriver = pll.SelectPLL(plan.dwModel);
    if (!pDriver) {
        vError("there is no driver for %s in this build", strModelName(plan.dwModel).c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

bool bReadCurrent(CClockGenerator& generator)
{
    generator.m_Current.Clear();
    if (generator.bReadClocks(generator.m_Current)) return true;
    vError("reading the clock chip (%s) failed%s", strModelName(generator.m_dwPLLID).c_str(),
           strBecause(generator.m_pCommandSet).c_str());
    return false;
}

// The set to preview or apply: nothing but the clocks asked for (the plan holds them within
// the model's limits).
CFrequencySet WantedSet(const PLLPlan& plan)
{
    CFrequencySet wanted;
    wanted.m_nPreset = plan.nPreset;
    wanted.m_fFSB = plan.fFSB;
    wanted.m_fGSB = plan.fGSB;
    return wanted;
}

// Within the resolution of the PLL: the chip reads back what the preview worked out for the
// wanted clock, and that is near the wanted clock (a PLL step is far below 1%).
bool bReached(float fWanted, float fExpected, float fReached)
{
    if (!(fWanted > 0)) return true;
    return std::fabs(fReached - fExpected) <= std::max(0.05f, 0.001f * fExpected) &&
           std::fabs(fReached - fWanted) <= std::max(1.0f, 0.01f * fWanted);
}

int nRunModels(const GlobalOptions& options)
{
    nlohmann::json document = nlohmann::json::object();
    const struct {
        const char* pszKey;
        const char* pszTitle;
        const PLL_ENTRY* pTable;
    } tables[] = {{"smbus", "Clock chips on the SMBus (name one with --model):", g_SMBusPLLTable},
                  {"chipset", "PLLs inside nVidia chipsets (found by themselves):", g_ChipsetPLLTable}};
    for (const auto& table : tables) {
        nlohmann::json list = nlohmann::json::array();
        if (!options.bJson) std::printf("%s%s\n", table.pTable == g_SMBusPLLTable ? "" : "\n", table.pszTitle);
        for (const PLL_ENTRY* p = table.pTable; p->dwID != PLL_ID_END; ++p) {
            char szID[16];
            std::snprintf(szID, sizeof szID, "0x%08x", p->dwID);
            if (options.bJson)
                list.push_back({{"id", szID}, {"name", p->szName}});
            else
                std::printf("  %s  %s\n", szID, p->szName);
        }
        document[table.pszKey] = list;
    }
    if (options.bJson) vPrintJson(document);
    return EXIT_OK;
}

nlohmann::json ModelJson(const CClockGenerator& generator)
{
    char szID[16];
    std::snprintf(szID, sizeof szID, "0x%08x", generator.m_dwPLLID);
    const char* pszName = pszPLLName(generator.m_dwPLLID);
    return {{"id", szID}, {"name", pszName ? pszName : ""}};
}

int nRunRead(const GlobalOptions& options, CClockGenerator& generator)
{
    if (options.bJson) {
        nlohmann::json document = {{"model", ModelJson(generator)},
                                   {"clocks", ClocksJson(generator, generator.m_Current)},
                                   {"registers", std::vector<uint8_t>(generator.m_abRegisters,
                                                                      generator.m_abRegisters +
                                                                          std::max(0, generator.m_nRegisterCount))}};
        vPrintJson(document);
        return EXIT_OK;
    }
    std::printf("model\t%s\n%s", strModelName(generator.m_dwPLLID).c_str(),
                strClocks(generator, generator.m_Current).c_str());
    // A chipset PLL has its registers in the chipset, not an image of its own.
    if (generator.m_nRegisterCount > 0)
        std::printf("registers (%d):\n%s", int(generator.m_nRegisterCount),
                    strRegisterImage(generator.m_abRegisters, generator.m_nRegisterCount).c_str());
    return EXIT_OK;
}

int nRunPreview(const GlobalOptions& options, const PLLPlan& plan, CClockGenerator& generator)
{
    CFrequencySet preview = WantedSet(plan);
    if (!generator.bPreviewClocks(preview)) {
        vError("the %s cannot give an FSB of %.2f MHz", strModelName(generator.m_dwPLLID).c_str(), double(plan.fFSB));
        return EXIT_FAILED;
    }
    if (options.bJson)
        vPrintJson({{"model", ModelJson(generator)}, {"preview", ClocksJson(generator, preview)}});
    else
        std::printf("model\t%s\n%s", strModelName(generator.m_dwPLLID).c_str(), strClocks(generator, preview).c_str());
    return EXIT_OK;
}

bool g_bProgressShown = false;

// The CPU and bus clocks the processors measure (counters against the PM timer), so that a
// walk shows what the machine really runs at, not only what the chip says. -1 when unknown.
struct MEASURED_CLOCKS {
    float fCPU = -1.0f;
    float fBus = -1.0f;
};

MEASURED_CLOCKS MeasureClocks()
{
    MEASURED_CLOCKS measured;
    CCPUInterface* pCPU = ORVEXSDK::Instance()->m_pCPUInterface;
    if (!pCPU) return measured;
    pCPU->UpdateClocks();
    if (CProcessor* pProcessor = pCPU->GetProcessor(0)) measured.fCPU = pProcessor->GetCoreClock(0);
    measured.fBus = pCPU->m_fBusClock;
    return measured;
}

nlohmann::json MeasuredJson(const MEASURED_CLOCKS& measured)
{
    auto value = [](float f) { return f > 0 ? nlohmann::json(std::round(double(f) * 100.0) / 100.0) : nlohmann::json(); };
    return {{"cpu_mhz", value(measured.fCPU)}, {"bus_mhz", value(measured.fBus)}};
}

std::string strMeasured(const char* pszWhen, const MEASURED_CLOCKS& measured)
{
    auto text = [](float f) {
        char sz[32];
        if (f > 0)
            std::snprintf(sz, sizeof sz, "%.2f MHz", double(f));
        else
            std::snprintf(sz, sizeof sz, "unknown");
        return std::string(sz);
    };
    return std::string("measured ") + pszWhen + "\tCPU " + text(measured.fCPU) + ", bus " + text(measured.fBus) + "\n";
}

void vProgress(int32_t nStep, int32_t nTotal)
{
    g_bProgressShown = true;
    vPrintProgress(nStep, nTotal);
}

// The question before a walk or a preset: from which clocks to which, in how many writes.
std::string strWhatIsWritten(const PLLPlan& plan, const CClockGenerator& generator)
{
    const std::string strName = strModelName(generator.m_dwPLLID);
    char sz[320];
    if (plan.strAction == "preset") {
        const CFrequencySet& now = generator.m_Current;
        std::snprintf(sz, sizeof sz, "switch the %s from preset %d (FSB %.2f MHz) to preset %d", strName.c_str(),
                      int(now.m_nPreset), double(now.m_fFSB), int(plan.nPreset));
        std::string str = sz;
        if (generator.m_pPresets && plan.nPreset < generator.m_nPresetCount) {
            std::snprintf(sz, sizeof sz, " (FSB %.2f MHz)", double(generator.m_pPresets[plan.nPreset].fFSB));
            str += sz;
        }
        return str + " in one write";
    }
    auto walk = [&](const char* pszClock, float fFrom, float fTo, float fStep) {
        const int32_t nWrites = nWalkWrites(fFrom, fTo, fStep);
        if (nWrites <= 1)
            std::snprintf(sz, sizeof sz, "set the %s of the %s from %.2f to %.2f MHz in one write", pszClock,
                          strName.c_str(), double(fFrom), double(fTo));
        else
            std::snprintf(sz, sizeof sz,
                          "walk the %s of the %s from %.2f to %.2f MHz in %d writes (%d steps of %.0f MHz, then the "
                          "target)",
                          pszClock, strName.c_str(), double(fFrom), double(fTo), int(nWrites), int(nWrites - 1),
                          double(fStep));
        return std::string(sz);
    };
    std::string str = walk("FSB", generator.m_Current.m_fFSB, plan.fFSB, generator.m_fFSBStep);
    if (plan.fGSB > 0)
        str += ", then " + walk(pszGSBLabel(generator), generator.m_Current.m_fGSB, plan.fGSB, generator.m_fGSBStep);
    return str;
}

// The question before a take-over read followed by a walk: the walk starts where the
// take-over puts the PLL, at the bus clock the processors measure.
std::string strTakeOverAndWalk(const PLLPlan& plan, const CClockGenerator& generator)
{
    const float fBus = MeasureClocks().fBus;
    char sz[200];
    if (fBus > 0)
        std::snprintf(sz, sizeof sz, " (now %.2f MHz), then walk the FSB from there to %.2f MHz in %d writes", double(fBus),
                      double(plan.fFSB), int(nWalkWrites(fBus, plan.fFSB, generator.m_fFSBStep)));
    else
        std::snprintf(sz, sizeof sz, ", then walk the FSB from there to %.2f MHz in steps", double(plan.fFSB));
    return plan.strWritesOnRead + sz;
}

// The FSB read back after a walk, held against the bus clock the processors measure. A walk
// is never taken for done on what the chip's registers say alone: the registers may say one
// thing while the chip does another.
enum class EVerified { Agrees, Differs, Unmeasured };

EVerified eVerify(const CClockGenerator& generator, float fMeasuredBus)
{
    const float fFSB = generator.m_Current.m_fFSB;
    if (!(fMeasuredBus > 0) || !(fFSB > 0)) return EVerified::Unmeasured;
    return std::fabs(fFSB - fMeasuredBus) <= fVerifyTolerance(generator) ? EVerified::Agrees : EVerified::Differs;
}

// set and preset: ask with the clocks read, walk, wait, measure, read back, and say whether
// the chip got there and the processors run at it.
int nRunApply(const GlobalOptions& options, const PLLPlan& plan, CPLLInterface& pll, CClockGenerator*& pGenerator,
              bool bAsked)
{
    CClockGenerator& generator = *pGenerator;
    CFrequencySet wanted = WantedSet(plan);
    // The walk starts from the clocks read; without them it would write nothing.
    if (plan.strAction == "set" &&
        (!(generator.m_Current.m_fFSB > 0) || (wanted.m_fGSB > 0 && !(generator.m_Current.m_fGSB > 0)))) {
        vError("the clock chip's present clocks are unknown, so there is nothing to walk from; nothing was written");
        return EXIT_FAILED;
    }
    CFrequencySet expected = wanted;
    if (!generator.bPreviewClocks(expected)) {
        vError("the %s cannot give what was asked; nothing was written", strModelName(generator.m_dwPLLID).c_str());
        return EXIT_FAILED;
    }
    if (!bAsked && !bConfirm(options, ClockWarning(strWhatIsWritten(plan, generator)))) return EXIT_USAGE;
    const MEASURED_CLOCKS before = MeasureClocks();
    pll.m_Requested.Copy(wanted);
    g_bProgressShown = false;
    generator.bApplyClocks(pll.m_Requested, vProgress);
    if (g_bProgressShown) vEndProgress();
    platform::Sleep(REREAD_WAIT_MS);
    // Measured before the chip is read back: a driver that learns a divider from the measured
    // bus clock must learn it from the clock the chip gives now, not from the one before.
    const MEASURED_CLOCKS after = MeasureClocks();
    // An SMBus chip is read back by a new driver of the same model: a driver's image keeps
    // the bytes it wrote beyond what a short read brings, and those must not pass for what
    // the chip holds. (A chipset PLL keeps its driver: its first read programs the PLL.)
    if (pll.m_pCommandSet) {
        pGenerator = pll.SelectPLL(generator.m_dwPLLID);
        if (!pGenerator) return EXIT_FAILED;
    }
    CClockGenerator& reread = *pGenerator;
    if (!bReadCurrent(reread)) return EXIT_FAILED;
    pll.m_Requested.Copy(reread.m_Current);

    const bool bReachedAll = plan.strAction == "preset"
                                 ? reread.m_Current.m_nPreset == plan.nPreset
                                 : bReached(wanted.m_fFSB, expected.m_fFSB, reread.m_Current.m_fFSB) &&
                                       bReached(wanted.m_fGSB, expected.m_fGSB, reread.m_Current.m_fGSB);
    const EVerified eVerified = eVerify(reread, after.fBus);
    const bool bOk = bReachedAll && eVerified != EVerified::Differs;
    if (options.bJson) {
        static const char* const s_apszVerified[] = {"agrees", "differs", "not measured"};
        vPrintJson({{"model", ModelJson(reread)},
                    {"expected", ClocksJson(reread, expected)},
                    {"reached", ClocksJson(reread, reread.m_Current)},
                    {"measured_before", MeasuredJson(before)},
                    {"measured_after", MeasuredJson(after)},
                    {"verified", s_apszVerified[int(eVerified)]},
                    {"ok", bOk}});
    } else {
        std::printf("model\t%s\n%s%s%s", strModelName(reread.m_dwPLLID).c_str(),
                    strClocks(reread, reread.m_Current).c_str(), strMeasured("before", before).c_str(),
                    strMeasured("after", after).c_str());
    }
    if (!bReachedAll) {
        vError("the clock chip did not reach what was asked (see the clocks read back)");
    } else if (eVerified == EVerified::Differs) {
        vError("the clock chip reads back an FSB of %.2f MHz, but the processors measure a bus clock of %.2f MHz: "
               "the chip does not run at what its registers say",
               double(reread.m_Current.m_fFSB), double(after.fBus));
    } else if (eVerified == EVerified::Unmeasured) {
        std::fprintf(stderr, "note: not verified: the processors cannot measure their bus clock, so only the chip's "
                             "registers say that the FSB is %.2f MHz\n",
                     double(reread.m_Current.m_fFSB));
    }
    return bOk ? EXIT_OK : EXIT_FAILED;
}

// A model named with --model that has read the chip is the chosen one from now on: the next
// pll command, profile save and the program take it from the settings file.
void vStoreNamedModel(const GlobalOptions& options, uint32_t dwModel)
{
    std::string strWhy;
    switch (app::StoreModel(options.strBoard, dwModel, strWhy)) {
    case app::EStoreModel::Stored:
    case app::EStoreModel::NotStored:
        break;
    case app::EStoreModel::ProgramRuns:
        std::fprintf(stderr, "note: pendulon runs, so %s is not stored as the chosen model (the program writes the "
                             "settings file when it ends): choose it in its PLL Setup window\n",
                     strModelName(dwModel).c_str());
        break;
    case app::EStoreModel::Failed:
        std::fprintf(stderr, "note: %s is not stored as the chosen model: %s\n", strModelName(dwModel).c_str(),
                     strWhy.c_str());
        break;
    }
}

int nRunDump(const PLLPlan& plan, CClockGenerator& generator)
{
    if (generator.m_nRegisterCount <= 0) {
        vError("the clock chip gave no registers");
        return EXIT_FAILED;
    }
    const std::string strVersion = strFormatVersion(PENDULON_VERSION);
    if (plan.strOutput.empty()) {
        std::fputs(app::strDumpReport(strVersion, generator.m_abRegisters, generator.m_nRegisterCount).c_str(), stdout);
        return EXIT_OK;
    }
    std::string strWhy;
    if (!app::bSaveDumpReport(plan.strOutput, strVersion, generator.m_abRegisters, generator.m_nRegisterCount,
                              strWhy)) {
        vError("cannot write %s: %s", plan.strOutput.c_str(), strWhy.c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int nRunWriteDump(const GlobalOptions& options, const PLLPlan& plan, CPLLInterface& pll, CClockGenerator& generator)
{
    const uint32_t bOk = pll.bWriteDump(plan.bytes.data(), uint32_t(plan.bytes.size()));
    if (!bOk) vError("writing the register image or reading it back failed%s", strBecause(generator.m_pCommandSet).c_str());
    // What the chip holds now, as read back.
    nRunRead(options, generator);
    return bOk ? EXIT_OK : EXIT_FAILED;
}

int nRunOnKit(const GlobalOptions& options, const PLLPlan& plan, bool bAsked)
{
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    CPLLInterface* pPLL = pKit->m_pPLLInterface;
    if (!pPLL) {
        if (const std::string strRefusal = strSMBusRefusal(); !strRefusal.empty())
            vError("the clock chip cannot be reached: %s", strRefusal.c_str());
        else
            vError("no clock generator found at SMBus address 0x69 (%s), and the chipset has no PLL of its own",
                   strSMBusNotFound(PLL_SMBUS_ADDRESS).c_str());
        return EXIT_FAILED;
    }
    CInterfaceLock lock(*pPLL);
    if (!lock.bTaken()) {
        vError("the clock generator is busy (another program holds its lock)");
        return EXIT_FAILED;
    }
    CClockGenerator* pGenerator = nullptr;
    if (int n = nChooseDriver(*pPLL, plan, pGenerator)) return n;
    if (plan.strAction == "write-dump") return nRunWriteDump(options, plan, *pPLL, *pGenerator);
    // A read that takes the chip over is asked for before it, the walk that follows with it.
    if (!bAsked && !plan.strWritesOnRead.empty() && plan.bWrites()) {
        if (!bConfirm(options, ClockWarning(strTakeOverAndWalk(plan, *pGenerator)))) return EXIT_USAGE;
        bAsked = true;
    }
    if (!bReadCurrent(*pGenerator)) return EXIT_FAILED;
    if (plan.model && !plan.bModelFromSettings) vStoreNamedModel(options, plan.dwModel);
    pPLL->m_Requested.Copy(pGenerator->m_Current);
    // What the chip read says may narrow the limits (a GSB kind decided at each read).
    if (int n = nCheckPlan(*pGenerator, plan)) return n;
    if (plan.strAction == "read") return nRunRead(options, *pGenerator);
    if (plan.strAction == "preview") return nRunPreview(options, plan, *pGenerator);
    if (plan.strAction == "dump") return nRunDump(plan, *pGenerator);
    return nRunApply(options, plan, *pPLL, pGenerator, bAsked);
}

std::string strBytes(const std::vector<uint8_t>& bytes)
{
    std::string str;
    char sz[4];
    for (uint8_t b : bytes) {
        std::snprintf(sz, sizeof sz, "%02x", b);
        str += (str.empty() ? "" : " ") + std::string(sz);
    }
    return str;
}

int nRunPLL(const std::string& strAction, const PLLArguments& args, const GlobalOptions& options)
{
    PLLPlan plan;
    if (int n = nPlanArguments(strAction, args, plan)) return n;
    if (strAction == "models") return nRunModels(options);
    // Nothing is touched before the plan holds: the model and what it can do are known from
    // the PCI functions alone, and a write that could not be asked for is refused first.
    if (plan.bWrites() && !bCanAsk(options, ClockWarning(""))) return EXIT_USAGE;
    if (int n = nPlanModel(options, plan)) return n;
    bool bAsked = false;
    if (!plan.strWritesOnRead.empty() && !plan.bWrites()) {
        // Even a command that only reads asks when reading takes the chip over.
        if (!bConfirm(options, ClockWarning(plan.strWritesOnRead + " before it can be read"))) return EXIT_USAGE;
        bAsked = true;
    }
    if (plan.strAction == "write-dump") {
        const std::string strWhat = "write " + std::to_string(plan.bytes.size()) + " bytes into the registers of the " +
                                    strModelName(plan.dwModel) + " from register 0: " + strBytes(plan.bytes);
        if (!bConfirm(options, ClockWarning(strWhat))) return EXIT_USAGE;
        bAsked = true;
    }
    return nRunOnWholeKit(options, [&] { return nRunOnKit(options, plan, bAsked); });
}

void vAddPLLCommands(CLI::App& app, PLLArguments& args, std::string& strChosen)
{
    CLI::App* pPLL = app.add_subcommand("pll", "The clock generator: read, preview and set the FSB and GSB clocks");
    pPLL->require_subcommand(1);
    static const struct {
        const char* pszName;
        const char* pszHelp;
        bool bModel, bGSB, bOutput;
    } s_Commands[] = {
        {"models", "pll models: the supported clock generators and their ids", false, false, false},
        {"read", "pll read [--model ID|NAME]: the clocks and the register image", true, false, false},
        {"preview", "pll preview FSB [--gsb MHZ]: the clocks the chip would really give", true, true, false},
        {"set", "pll set FSB [--gsb MHZ]: walk the clocks there in 5 MHz steps (asks first unless -y)", true, true,
         false},
        {"preset", "pll preset N: switch a preset chip to row N (asks first unless -y)", true, false, false},
        {"dump", "pll dump [-o FILE]: the register dump report", true, false, true},
        {"write-dump", "pll write-dump HEX...: write the register image from register 0, read it back (asks first "
                       "unless -y)",
         true, false, false},
    };
    for (const auto& command : s_Commands) {
        CLI::App* pSub = pPLL->add_subcommand(command.pszName, command.pszHelp);
        pSub->add_option("arguments", args.arguments, "see the usage line above")->allow_extra_args();
        if (command.bModel)
            pSub->add_option("--model", args.strModel,
                             "the clock chip's model, by id (0x01951462) or name (\"ICS 951462\"); default: the "
                             "chipset's own PLL");
        if (command.bGSB) pSub->add_option("--gsb", args.strGSB, "the GSB clock (AGP or PCI-E) in MHz");
        if (command.bOutput) pSub->add_option("-o,--output", args.strOutput, "write the report to FILE");
        pSub->callback([&strChosen, pSub]() { strChosen = pSub->get_name(); });
    }
}

}  // namespace

std::unique_ptr<CCommand> CreatePLLCommand()
{
    return std::make_unique<CSubcommandGroup<PLLArguments>>(vAddPLLCommands, nRunPLL);
}

}  // namespace cli
