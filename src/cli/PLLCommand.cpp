#include "cli/PLLCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/DumpReport.h"
#include "cli/Confirm.h"
#include "cli/Numbers.h"
#include "cli/Output.h"
#include "cli/PLLOutput.h"
#include "cpu/CPUInterface.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"
#include "pll/PLLSearch.h"

#ifndef PENDULON_VERSION
#define PENDULON_VERSION ""
#endif

namespace cli {

namespace {

constexpr uint32_t INTERFACE_LOCK_MS = 2000;
constexpr uint32_t REREAD_WAIT_MS = 200;
constexpr size_t MAX_DUMP_BYTES = 255;  // a dump of 256 bytes or more writes nothing

struct PLLArguments {
    std::vector<std::string> arguments;
    std::string strModel;
    std::string strGSB;
    std::string strOutput;
};

// What the command line asks for, checked before anything is touched.
struct PLLPlan {
    std::string strAction;
    std::optional<uint32_t> model;
    float fFSB = -1.0f;
    float fGSB = -1.0f;
    int32_t nPreset = -1;
    std::vector<uint8_t> bytes;
    std::string strOutput;
};

int nUsage(const char* pszFormat, const std::string& strWhat)
{
    vError(pszFormat, strWhat.c_str());
    return EXIT_USAGE;
}

int nPlanArguments(const std::string& strAction, const std::vector<std::string>& args, PLLPlan& plan)
{
    if (strAction == "models" || strAction == "read" || strAction == "dump") {
        if (!args.empty()) return nUsage("unexpected argument '%s'", args[0]);
        return EXIT_OK;
    }
    if (strAction == "preview" || strAction == "set") {
        if (args.size() != 1) return nUsage("usage: pll %s FSB [--gsb MHZ]", strAction);
        std::optional<float> fsb = ParseMHz(args[0]);
        if (!fsb) return nUsage("bad FSB '%s' (MHz, e.g. 213 or 266.67)", args[0]);
        plan.fFSB = *fsb;
        return EXIT_OK;
    }
    if (strAction == "preset") {
        if (args.size() != 1) return nUsage("%s", "usage: pll preset N");
        std::optional<uint64_t> n = ParseDecimal(args[0], 255);
        if (!n) return nUsage("bad preset '%s' (a row number, see pll read)", args[0]);
        plan.nPreset = int32_t(*n);
        return EXIT_OK;
    }
    // write-dump: the bytes of the image from register 0 on.
    if (args.empty()) return nUsage("%s", "usage: pll write-dump HEX...");
    for (const std::string& str : args) {
        std::optional<uint64_t> b = str.size() <= 2 ? ParseHex(str, 0xFF) : std::nullopt;
        if (!b) return nUsage("bad byte '%s' (one or two hex digits)", str);
        plan.bytes.push_back(uint8_t(*b));
    }
    if (plan.bytes.size() > MAX_DUMP_BYTES)
        return nUsage("%s", "too many bytes: the image holds at most 255");
    return EXIT_OK;
}

int nPlan(const std::string& strAction, const PLLArguments& in, PLLPlan& plan)
{
    plan.strAction = strAction;
    if (int n = nPlanArguments(strAction, in.arguments, plan)) return n;
    if (!in.strModel.empty()) {
        std::string strWhy;
        plan.model = ParsePLLModel(in.strModel, strWhy);
        if (!plan.model) return nUsage("%s", strWhy);
    }
    if (!in.strGSB.empty()) {
        std::optional<float> gsb = ParseMHz(in.strGSB);
        if (!gsb) return nUsage("bad GSB '%s' (MHz)", in.strGSB);
        plan.fGSB = *gsb;
    }
    plan.strOutput = in.strOutput;
    return EXIT_OK;
}

std::string strWhatIsWritten(const PLLPlan& plan)
{
    char sz[160];
    if (plan.strAction == "set") {
        if (plan.fGSB > 0)
            std::snprintf(sz, sizeof sz, "walk the FSB to %.2f MHz and the GSB to %.2f MHz", double(plan.fFSB),
                          double(plan.fGSB));
        else
            std::snprintf(sz, sizeof sz, "walk the FSB to %.2f MHz in steps", double(plan.fFSB));
    } else if (plan.strAction == "preset") {
        std::snprintf(sz, sizeof sz, "switch the clock chip to preset %d", int(plan.nPreset));
    } else {
        std::snprintf(sz, sizeof sz, "write %zu bytes into the clock chip's registers", plan.bytes.size());
    }
    return sz;
}

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

bool bIsChipsetModel(uint32_t dwID) { return (dwID & 0xFF000000) == PLL_FAMILY_NVIDIA; }

// The driver the command works with: the model named, else the chipset PLL the interface
// found. EXIT_OK, or the exit status after saying why (nothing has been written).
int nChooseDriver(CPLLInterface& pll, const PLLPlan& plan, CClockGenerator*& pDriver)
{
    if (!plan.model) {
        if (pll.m_pPLL) {
            pDriver = pll.m_pPLL;
            return EXIT_OK;
        }
        vError("the clock chip at SMBus address 0x69 cannot identify itself: name its model with --model ID|NAME "
               "(see pll models)");
        return EXIT_USAGE;
    }
    const uint32_t dwID = *plan.model;
    if (bIsChipsetModel(dwID)) {
        if (pll.m_pPLL && pll.m_pPLL->m_dwPLLID == dwID) {
            pDriver = pll.m_pPLL;
            return EXIT_OK;
        }
        vError("%s is a PLL inside an nVidia chipset and is found by itself where the chipset is; this machine has "
               "none of that kind",
               strModelName(dwID).c_str());
        return EXIT_USAGE;
    }
    if (!pll.m_pCommandSet) {
        vError("this machine's clock generator is its chipset's own PLL, %s: leave out --model",
               pll.m_pPLL ? strModelName(pll.m_pPLL->m_dwPLLID).c_str() : "unknown");
        return EXIT_USAGE;
    }
    pDriver = pll.SelectPLL(dwID);
    if (!pDriver) {
        vError("there is no driver for %s in this build", strModelName(dwID).c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

bool bReadCurrent(CClockGenerator& generator)
{
    generator.m_Current.Clear();
    if (generator.bReadClocks(generator.m_Current)) return true;
    vError("reading the clock chip (%s) failed", strModelName(generator.m_dwPLLID).c_str());
    return false;
}

// The set to preview or apply: nothing but the clocks asked for, clamped to the model's
// limits (the driver clamps them as well; the user is told).
CFrequencySet WantedSet(const CClockGenerator& generator, const PLLPlan& plan)
{
    CFrequencySet wanted;
    wanted.m_nPreset = plan.nPreset;
    wanted.m_fFSB = plan.fFSB;
    wanted.m_fGSB = plan.fGSB;
    struct {
        const char* pszName;
        float& f;
        float fMin, fMax;
    } clocks[] = {{"FSB", wanted.m_fFSB, generator.m_Min.m_fFSB, generator.m_Max.m_fFSB},
                  {pszGSBLabel(generator), wanted.m_fGSB, generator.m_Min.m_fGSB, generator.m_Max.m_fGSB}};
    for (auto& clock : clocks) {
        if (!(clock.f > 0)) continue;
        float fClamped = fClampClock(clock.f, clock.fMin, clock.fMax);
        if (fClamped != clock.f)
            std::fprintf(stderr, "note: the %s takes %s from %.2f to %.2f MHz: %.2f MHz is clamped to %.2f MHz\n",
                         strModelName(generator.m_dwPLLID).c_str(), clock.pszName, double(clock.fMin),
                         double(clock.fMax), double(clock.f), double(fClamped));
        clock.f = fClamped;
    }
    return wanted;
}

// The model must be able to do what the command asks. EXIT_OK or EXIT_USAGE after saying why.
int nCheckAbilities(const CClockGenerator& generator, const PLLPlan& plan)
{
    const std::string strName = strModelName(generator.m_dwPLLID);
    if (plan.fGSB > 0 && !(generator.m_bGSBAdjustable && generator.m_bGSBEnabled))
        return nUsage("the %s cannot set its GSB clock: leave out --gsb", strName);
    if (plan.strAction == "preset" && generator.m_nPresetCount <= 0)
        return nUsage("the %s has no presets: use pll set FSB", strName);
    if (plan.strAction == "preset" && plan.nPreset >= generator.m_nPresetCount) {
        vError("the %s has presets 0 to %d", strName.c_str(), int(generator.m_nPresetCount - 1));
        return EXIT_USAGE;
    }
    if (plan.strAction == "set" && !generator.m_bFSBAdjustable) {
        if (generator.m_nPresetCount > 0) return nUsage("the %s has fixed presets: use pll preset N", strName);
        return nUsage("the %s cannot set clocks (name the chip's model with --model)", strName);
    }
    if (plan.strAction == "preview" && !generator.m_bFSBAdjustable && generator.m_nPresetCount <= 0)
        return nUsage("the %s cannot set clocks (name the chip's model with --model)", strName);
    return EXIT_OK;
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
    CFrequencySet preview = WantedSet(generator, plan);
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

// set and preset: preview, walk, wait, read back, and say whether the chip got there.
int nRunApply(const GlobalOptions& options, const PLLPlan& plan, CPLLInterface& pll, CClockGenerator*& pGenerator)
{
    CClockGenerator& generator = *pGenerator;
    CFrequencySet wanted = WantedSet(generator, plan);
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
    const MEASURED_CLOCKS before = MeasureClocks();
    pll.m_Requested.Copy(wanted);
    g_bProgressShown = false;
    generator.bApplyClocks(pll.m_Requested, vProgress);
    if (g_bProgressShown) vEndProgress();
    platform::Sleep(REREAD_WAIT_MS);
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
    const MEASURED_CLOCKS after = MeasureClocks();

    bool bOk = plan.strAction == "preset" ? reread.m_Current.m_nPreset == plan.nPreset
                                          : bReached(wanted.m_fFSB, expected.m_fFSB, reread.m_Current.m_fFSB) &&
                                                bReached(wanted.m_fGSB, expected.m_fGSB, reread.m_Current.m_fGSB);
    if (options.bJson) {
        vPrintJson({{"model", ModelJson(reread)},
                    {"expected", ClocksJson(reread, expected)},
                    {"reached", ClocksJson(reread, reread.m_Current)},
                    {"measured_before", MeasuredJson(before)},
                    {"measured_after", MeasuredJson(after)},
                    {"ok", bOk}});
    } else {
        std::printf("model\t%s\n%s%s%s", strModelName(reread.m_dwPLLID).c_str(),
                    strClocks(reread, reread.m_Current).c_str(), strMeasured("before", before).c_str(),
                    strMeasured("after", after).c_str());
    }
    if (!bOk) vError("the clock chip did not reach what was asked (see the clocks read back)");
    return bOk ? EXIT_OK : EXIT_FAILED;
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
    if (!bOk) vError("writing the register image or reading it back failed");
    // What the chip holds now, as read back.
    nRunRead(options, generator);
    return bOk ? EXIT_OK : EXIT_FAILED;
}

int nRunOnKit(const GlobalOptions& options, const PLLPlan& plan)
{
    CPLLInterface* pPLL = ORVEXSDK::Instance()->m_pPLLInterface;
    if (!pPLL) {
        vError("no clock generator found: nothing answers at SMBus address 0x69 and the chipset has no PLL of its own");
        return EXIT_FAILED;
    }
    CInterfaceLock lock(*pPLL);
    if (!lock.bTaken()) {
        vError("the clock generator is busy (another program holds its lock)");
        return EXIT_FAILED;
    }
    CClockGenerator* pGenerator = nullptr;
    if (int n = nChooseDriver(*pPLL, plan, pGenerator)) return n;
    if (int n = nCheckAbilities(*pGenerator, plan)) return n;
    if (plan.strAction == "write-dump") return nRunWriteDump(options, plan, *pPLL, *pGenerator);
    if (!bReadCurrent(*pGenerator)) return EXIT_FAILED;
    pPLL->m_Requested.Copy(pGenerator->m_Current);
    if (plan.strAction == "read") return nRunRead(options, *pGenerator);
    if (plan.strAction == "preview") return nRunPreview(options, plan, *pGenerator);
    if (plan.strAction == "dump") return nRunDump(plan, *pGenerator);
    return nRunApply(options, plan, *pPLL, pGenerator);
}

int nRunPLL(const std::string& strAction, const PLLArguments& args, const GlobalOptions& options)
{
    PLLPlan plan;
    if (int n = nPlan(strAction, args, plan)) return n;
    if (strAction == "models") return nRunModels(options);
    const bool bWrites = strAction == "set" || strAction == "preset" || strAction == "write-dump";
    if (bWrites && !bConfirm(options, ClockWarning(strWhatIsWritten(plan)))) return EXIT_USAGE;

    return nRunOnWholeKit(options, [&] { return nRunOnKit(options, plan); });
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
