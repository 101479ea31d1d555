// SPDX-License-Identifier: GPL-2.0-or-later
// Printing and parsing for the pll and membuf commands.
#include "cli/PLLOutput.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/Numbers.h"
#include "cli/SMBusOutput.h"
#include "kit/Trace.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLModels.h"

namespace cli {

namespace {

constexpr int PROGRESS_WIDTH = 30;

bool bSameName(const char* pszName, const std::string& str)
{
    size_t n = std::strlen(pszName);
    if (n != str.size()) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower((unsigned char)pszName[i]) != std::tolower((unsigned char)str[i])) return false;
    return true;
}

void vFindByName(const PLL_ENTRY* pTable, const std::string& str, std::vector<uint32_t>& found)
{
    for (; pTable->dwID != PLL_ID_END; ++pTable)
        if (bSameName(pTable->szName, str)) found.push_back(pTable->dwID);
}

nlohmann::json MHzJson(float f) { return f > 0 ? nlohmann::json(double(f)) : nlohmann::json(); }

std::string strMHz(float f)
{
    if (!(f > 0)) return "unknown";
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.2f MHz", double(f));
    return sz;
}

}  // namespace

std::optional<uint32_t> ParsePLLModel(const std::string& strModel, std::string& strWhy)
{
    std::string strDigits = strModel;
    bool bPrefixed = strDigits.size() > 2 && strDigits[0] == '0' && (strDigits[1] == 'x' || strDigits[1] == 'X');
    if (bPrefixed) strDigits = strDigits.substr(2);
    bool bHex = !strDigits.empty() && strDigits.size() <= 8;
    for (char c : strDigits) bHex = bHex && std::isxdigit((unsigned char)c);
    if (bHex || bPrefixed) {
        std::optional<uint64_t> id = bHex ? ParseHex(strDigits, 0xFFFFFFFF) : std::nullopt;
        if (!id || !pszPLLName(uint32_t(*id))) {
            strWhy = "unknown clock generator model id '" + strModel + "' (see pll models)";
            return std::nullopt;
        }
        return uint32_t(*id);
    }
    std::vector<uint32_t> found;
    vFindByName(g_SMBusPLLTable, strModel, found);
    vFindByName(g_ChipsetPLLTable, strModel, found);
    if (found.empty()) {
        strWhy = "unknown clock generator model '" + strModel + "' (see pll models)";
        return std::nullopt;
    }
    if (found.size() > 1) {
        char sz[160];
        std::snprintf(sz, sizeof sz, "the name '%s' belongs to more than one model (0x%08x, 0x%08x): give the id",
                      strModel.c_str(), found[0], found[1]);
        strWhy = sz;
        return std::nullopt;
    }
    return found[0];
}

std::optional<float> ParseMHz(const std::string& str)
{
    if (str.empty() || str.size() > 16) return std::nullopt;
    size_t nDots = 0;
    for (char c : str) {
        if (c == '.') ++nDots;
        else if (!std::isdigit((unsigned char)c)) return std::nullopt;
    }
    if (nDots > 1 || str == ".") return std::nullopt;
    float f = std::strtof(str.c_str(), nullptr);
    if (!(f > 0) || f > 100000.0f) return std::nullopt;
    return f;
}

const char* pszGSBLabel(const CClockGenerator& generator)
{
    return generator.m_nGSBType == GSB_AGP ? "AGP" : generator.m_nGSBType == GSB_PCIE ? "PCIE" : "GSB";
}

std::string strModelName(uint32_t dwPLLID)
{
    const char* pszName = pszPLLName(dwPLLID);
    char sz[96];
    std::snprintf(sz, sizeof sz, "%s (0x%08x)", pszName ? pszName : "unknown", dwPLLID);
    return sz;
}

std::string strClocks(const CClockGenerator& generator, const CFrequencySet& set)
{
    std::string str = "FSB\t" + strMHz(set.m_fFSB) + "\n";
    str += std::string(pszGSBLabel(generator)) + "\t" + strMHz(set.m_fGSB) + "\n";
    str += "PCI\t" + strMHz(set.m_fPCI) + "\n";
    if (set.m_nPreset != -1) str += "preset\t" + std::to_string(set.m_nPreset) + "\n";
    return str;
}

nlohmann::json ClocksJson(const CClockGenerator& generator, const CFrequencySet& set)
{
    return {{"fsb_mhz", MHzJson(set.m_fFSB)},
            {"gsb_mhz", MHzJson(set.m_fGSB)},
            {"gsb_kind", generator.m_nGSBType == GSB_NONE ? nlohmann::json() : nlohmann::json(pszGSBLabel(generator))},
            {"pci_mhz", MHzJson(set.m_fPCI)},
            {"preset", set.m_nPreset == -1 ? nlohmann::json() : nlohmann::json(set.m_nPreset)}};
}

std::string strRegisterImage(const uint8_t* pBytes, int32_t nCount)
{
    SMBusDumpCells cells{};
    unsigned nStored = nCount > 0 ? unsigned(nCount > 256 ? 256 : nCount) : 0;
    for (unsigned i = 0; i < nStored; ++i) cells[i] = pBytes[i];
    return strSMBusDump(cells, (nStored + 15) / 16, true);
}

std::string strFormatVersion(const std::string& strVersion)
{
    int anPart[4] = {0, 0, 0, 0};
    std::sscanf(strVersion.c_str(), "%d.%d.%d.%d", &anPart[0], &anPart[1], &anPart[2], &anPart[3]);
    char sz[64] = "";
    if (anPart[2] || anPart[3])
        std::snprintf(sz, sizeof sz, "%d.%d.%d.%d", anPart[0], anPart[1], anPart[2], anPart[3]);
    else if (anPart[0] || anPart[1])
        std::snprintf(sz, sizeof sz, "%d.%d", anPart[0], anPart[1]);
    return sz;
}

namespace {
// The progress left its line open (the bar, or the walk's end without a terminal).
bool s_bProgressLineOpen = false;
}  // namespace

void vPrintProgress(int32_t nStep, int32_t nTotal)
{
    if (nTotal <= 0) return;
    // With tracing on, the writes of the walk are listed on stderr between the steps: the
    // progress is then a line of its own, so that every trace line starts one.
    if (kit::bTraceEnabled()) {
        if (nStep == nTotal) std::fprintf(stderr, "walked the FSB: %d steps, then the target\n", int(nTotal));
        return;
    }
    s_bProgressLineOpen = true;
    // Without a terminal the bar would be one long line: only where the walk ends is shown.
    if (!isatty(STDERR_FILENO)) {
        if (nStep == nTotal) std::fprintf(stderr, "walked the FSB: %d steps, then the target", int(nTotal));
        return;
    }
    int32_t nShown = nStep > nTotal ? nTotal : nStep;
    int nFilled = int(int64_t(nShown) * PROGRESS_WIDTH / nTotal);
    std::fprintf(stderr, "\rwalking the FSB [%.*s%*s] %d/%d", nFilled, "##############################",
                 PROGRESS_WIDTH - nFilled, "", int(nStep), int(nTotal));
    std::fflush(stderr);
}

void vEndProgress()
{
    if (s_bProgressLineOpen) std::fputs("\n", stderr);
    s_bProgressLineOpen = false;
}

}  // namespace cli
