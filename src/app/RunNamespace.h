// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where a run keeps its files: the real machine in the work directory itself, a simulated
// board in a directory of its own below it ("boards/NAME/"), so that a simulation never reads
// or replaces the real machine's settings and profiles, and a real start never picks up a
// model chosen on a simulated board. The same name keeps the board's locks apart from the
// real machine's.
#include <string>

namespace app {

// "" for the real machine (strBoard empty); else the board's name: a NAME as it stands, a
// board file by its file name without ".json", every character other than a letter, digit,
// '_' or '-' replaced by '_'.
std::string strBoardNamespace(const std::string& strBoard);

// The directory for settings and profiles of this run, with its trailing slash; false with
// strError set when it cannot be found or created.
bool bGetRunWorkDirectory(const std::string& strBoard, std::string& strPath, std::string& strError);

}  // namespace app
