// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings file "pendulon.ini": the chosen clock generator model, the GSB option, the
// snapping option and where each window was and which were open. This file holds its text
// form only; what the program does with the values is in the application.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowMessages.h"

namespace app {

inline constexpr const char* SETTINGS_FILE_NAME = "pendulon.ini";
inline constexpr const char* SETTINGS_HEADER = "[Pendulon]";

enum class SettingsKey { PLL, GSB, SNAP, MainWindow, ToolWindow, AskWrite };

// The key of the answer "don't ask again" to the question before the windows' first write to
// the hardware. It contains none of the other keys, which are found anywhere in a line.
inline constexpr const char* ASK_WRITE_KEY = "ASKWRITE=";

// One line of the file that matched its key's whole format.
struct SettingsLine {
    SettingsKey eKey;
    uint32_t dwPLLID = 0;                 // PLL
    int32_t nValue = 0;                   // GSB, SNAP, ASKWRITE; the open flag of a tool window
    EToolWindow eWindow = TOOL_CLOCKS;    // ToolWindow
    WindowPlacement placement;            // MainWindow, ToolWindow
};

// The lines after the header (the first line containing "[Pendulon]" anywhere), in file
// order. For each line the first key it contains decides, tested in the order PLL=, GSB=,
// SNAP=, MAINWINDOW=, the tool windows, then ASKWRITE=; the line must match that key's format from its
// first character with every value read, else it is left out.
std::vector<SettingsLine> ParseSettings(const std::string& strText);

// What a settings file holds when written.
struct SettingsContent {
    std::optional<uint32_t> dwPLLID;      // written only when non-zero with bit 28 clear
    std::optional<int32_t> nGSB;          // written when a clock generator driver exists
    int32_t nSnap = 1;
    int32_t nAskWrite = 1;                // written only as "ASKWRITE=0" (don't ask again)
    std::optional<WindowPlacement> main;
    struct Tool {
        bool bPresent = false;            // open now, or with a stored placement
        int32_t nOpen = 0;
        WindowPlacement placement;
    } tools[TOOL_WINDOW_COUNT];
};

// The file's text with LF line ends, lines in the order the reader expects (tool windows:
// PLL Setup, Clocks, PLL Control, Memory Buffer, Options).
std::string strFormatSettings(const SettingsContent& content);

// The settings line's key, for a tool window ("CLOCKSWINDOW=", ...).
const char* pszToolWindowKey(EToolWindow eWindow);

}  // namespace app
