// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/PLLPlan.h"

#include <algorithm>
#include <cstdio>

#include "app/ChosenModel.h"
#include "cli/Numbers.h"
#include "cli/PLLOutput.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"

namespace cli {

namespace {

constexpr size_t MAX_DUMP_BYTES = 255;  // a dump of 256 bytes or more writes nothing

int nUsage(const char* pszFormat, const std::string& strWhat)
{
    vError(pszFormat, strWhat.c_str());
    return EXIT_USAGE;
}

int nPlanPositionals(const std::string& strAction, const std::vector<std::string>& args, PLLPlan& plan)
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
    if (plan.bytes.size() > MAX_DUMP_BYTES) return nUsage("%s", "too many bytes: the image holds at most 255");
    return EXIT_OK;
}

bool bIsChipsetModel(uint32_t dwID) { return (dwID & 0xFF000000) == PLL_FAMILY_NVIDIA; }

// A clock asked for must lie within what the model takes: a typo (2666 for 266.6) is refused,
// never clamped into a walk to the limit.
int nCheckRange(const CClockGenerator& generator, const char* pszClock, float fWanted, float fMin, float fMax)
{
    if (!(fWanted > 0) || !(fMin > 0) || !(fMax > 0) || (fWanted >= fMin && fWanted <= fMax)) return EXIT_OK;
    vError("the %s takes %s clocks from %.2f to %.2f MHz: %.2f MHz is out of its range; nothing was written",
           strModelName(generator.m_dwPLLID).c_str(), pszClock, double(fMin), double(fMax), double(fWanted));
    return EXIT_USAGE;
}

}  // namespace

int nPlanArguments(const std::string& strAction, const PLLArguments& in, PLLPlan& plan)
{
    plan.strAction = strAction;
    if (int n = nPlanPositionals(strAction, in.arguments, plan)) return n;
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

// The SMBus chip model chosen last (named with --model, or in the program's PLL Setup window).
static std::optional<uint32_t> StoredSMBusModel(const GlobalOptions& options, bool& bFromSettings)
{
    const std::optional<uint32_t> stored = app::StoredModel(options.strBoard);
    bFromSettings = stored && *stored != 0 && !bIsChipsetModel(*stored);
    return bFromSettings ? stored : std::nullopt;
}

int nPlanModel(const GlobalOptions& options, PLLPlan& plan)
{
    // The chipset's own PLL, from a look at the PCI functions alone.
    uint32_t dwChipset = 0;
    if (int n = nLookAtPCI(options, [&dwChipset](CPCIInterface& pci) {
            dwChipset = dwFindChipsetPLL(pci);
            return EXIT_OK;
        }))
        return n;
    if (dwChipset) {
        if (plan.model && *plan.model != dwChipset) {
            vError("this machine's clock generator is its chipset's own PLL, %s: leave out --model",
                   strModelName(dwChipset).c_str());
            return EXIT_USAGE;
        }
        plan.dwModel = dwChipset;
        plan.bChipsetPLL = true;
    } else if (!plan.model && !(plan.model = StoredSMBusModel(options, plan.bModelFromSettings))) {
        vError("the clock chip at SMBus address 0x69 cannot identify itself: name its model with --model ID|NAME "
               "(see pll models); the model named there is remembered for the next commands");
        return EXIT_USAGE;
    } else if (bIsChipsetModel(*plan.model)) {
        vError("%s is a PLL inside an nVidia chipset and is found by itself where the chipset is; this machine has "
               "none of that kind",
               strModelName(*plan.model).c_str());
        return EXIT_USAGE;
    } else {
        plan.dwModel = *plan.model;
    }

    // A driver of the model for the checks: made, asked and destroyed, never bound to a bus.
    std::unique_ptr<CClockGenerator> pDriver(pCreateClockGenerator(plan.dwModel));
    if (!pDriver) {
        vError("there is no driver for %s in this build", strModelName(plan.dwModel).c_str());
        return EXIT_FAILED;
    }
    plan.strWritesOnRead = pDriver->strWritesOnRead();
    return nCheckPlan(*pDriver, plan);
}

int nCheckPlan(const CClockGenerator& generator, const PLLPlan& plan)
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
    if (plan.strAction == "set" || plan.strAction == "preview") {
        if (int n = nCheckRange(generator, "FSB", plan.fFSB, generator.m_Min.m_fFSB, generator.m_Max.m_fFSB)) return n;
        if (int n = nCheckRange(generator, pszGSBLabel(generator), plan.fGSB, generator.m_Min.m_fGSB,
                                generator.m_Max.m_fGSB))
            return n;
    }
    return EXIT_OK;
}

float fVerifyTolerance(const CClockGenerator& generator)
{
    return std::max(1.0f, generator.m_fFSBStep * 0.5f);
}

}  // namespace cli
