// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/SettingsFile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/SettingsLines.h"

namespace app {

namespace {

// The PLL id of a chipset PLL has this bit; such a model is found again at every start.
constexpr uint32_t CHIPSET_PLL_BIT = 0x10000000;

// The tool window lines in the order they are written and tested.
struct ToolWindowKey {
    EToolWindow eWindow;
    const char* pszKey;
    const char* pszFormat;
};

constexpr ToolWindowKey TOOL_WINDOW_KEYS[] = {
    {TOOL_SETUP, "SETUPWINDOW=", "SETUPWINDOW=%d %u %u %d %d %d %d"},
    {TOOL_CLOCKS, "CLOCKSWINDOW=", "CLOCKSWINDOW=%d %u %u %d %d %d %d"},
    {TOOL_SELECTION, "SELECTIONWINDOW=", "SELECTIONWINDOW=%d %u %u %d %d %d %d"},
    {TOOL_MEMORY_BUFFER, "MEMORYBUFFERWINDOW=", "MEMORYBUFFERWINDOW=%d %u %u %d %d %d %d"},
    {TOOL_OPTION, "OPTIONWINDOW=", "OPTIONWINDOW=%d %u %u %d %d %d %d"},
};

bool bContains(const std::string& strLine, const char* pszKey)
{
    return strLine.find(pszKey) != std::string::npos;
}

// The line read with one of the fixed formats; false unless every value was read.
bool bParseLine(const std::string& strLine, SettingsLine& line)
{
    const char* psz = strLine.c_str();
    if (bContains(strLine, "PLL=")) {
        line.eKey = SettingsKey::PLL;
        return std::sscanf(psz, "PLL=%08X", &line.dwPLLID) == 1;
    }
    if (bContains(strLine, "GSB=")) {
        line.eKey = SettingsKey::GSB;
        return std::sscanf(psz, "GSB=%d", &line.nValue) == 1;
    }
    if (bContains(strLine, "SNAP=")) {
        line.eKey = SettingsKey::SNAP;
        return std::sscanf(psz, "SNAP=%d", &line.nValue) == 1;
    }
    WindowPlacement& p = line.placement;
    if (bContains(strLine, "MAINWINDOW=")) {
        line.eKey = SettingsKey::MainWindow;
        return std::sscanf(psz, "MAINWINDOW=%u %u %d %d %d %d", &p.dwFlags, &p.dwShowCmd, &p.nLeft, &p.nRight,
                           &p.nTop, &p.nBottom) == 6;
    }
    for (const ToolWindowKey& key : TOOL_WINDOW_KEYS) {
        if (!bContains(strLine, key.pszKey)) continue;
        line.eKey = SettingsKey::ToolWindow;
        line.eWindow = key.eWindow;
        return std::sscanf(psz, key.pszFormat, &line.nValue, &p.dwFlags, &p.dwShowCmd, &p.nLeft, &p.nRight,
                           &p.nTop, &p.nBottom) == 7;
    }
    if (bContains(strLine, ASK_WRITE_KEY)) {
        line.eKey = SettingsKey::AskWrite;
        return std::sscanf(psz, "ASKWRITE=%d", &line.nValue) == 1;
    }
    return false;
}

void vAppend(std::string& strText, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

void vAppend(std::string& strText, const char* pszFormat, ...)
{
    char szLine[LINE_BUFFER_SIZE];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    strText += szLine;
}

}  // namespace

const char* pszToolWindowKey(EToolWindow eWindow)
{
    for (const ToolWindowKey& key : TOOL_WINDOW_KEYS)
        if (key.eWindow == eWindow) return key.pszKey;
    return "";
}

std::vector<SettingsLine> ParseSettings(const std::string& strText)
{
    std::vector<SettingsLine> lines;
    bool bHeader = false;
    for (const std::string& strPiece : SplitLinePieces(strText)) {
        if (!bHeader) {
            bHeader = bContains(strPiece, SETTINGS_HEADER);
            continue;
        }
        SettingsLine line{};
        if (bParseLine(strPiece, line)) lines.push_back(line);
    }
    return lines;
}

std::string strFormatSettings(const SettingsContent& content)
{
    std::string strText;
    vAppend(strText, "%s\n", SETTINGS_HEADER);
    if (content.dwPLLID && *content.dwPLLID != 0 && !(*content.dwPLLID & CHIPSET_PLL_BIT))
        vAppend(strText, "PLL=%08X\n", *content.dwPLLID);
    if (content.nGSB) vAppend(strText, "GSB=%d\n", *content.nGSB ? 1 : 0);
    vAppend(strText, "SNAP=%d\n", content.nSnap ? 1 : 0);
    if (!content.nAskWrite) vAppend(strText, "%s0\n", ASK_WRITE_KEY);
    if (content.main) {
        const WindowPlacement& p = *content.main;
        vAppend(strText, "MAINWINDOW=%u %u %d %d %d %d\n", p.dwFlags, p.dwShowCmd, p.nLeft, p.nRight, p.nTop,
                p.nBottom);
    }
    for (const ToolWindowKey& key : TOOL_WINDOW_KEYS) {
        const SettingsContent::Tool& tool = content.tools[key.eWindow];
        if (!tool.bPresent) continue;
        const WindowPlacement& p = tool.placement;
        vAppend(strText, "%s%d %u %u %d %d %d %d\n", key.pszKey, tool.nOpen ? 1 : 0, p.dwFlags, p.dwShowCmd,
                p.nLeft, p.nRight, p.nTop, p.nBottom);
    }
    return strText;
}

}  // namespace app
