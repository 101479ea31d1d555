// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock chip model chosen for this machine (or simulated board), as the settings file
// keeps it: what pendulon-cli uses when no --model is given, and where a command that read
// the chip with --model leaves the model it named. The rest of the file is left as it is.
#include <cstdint>
#include <optional>
#include <string>

namespace app {

// The model of the settings file's first model line (the one the program takes at start);
// none when there is no file, no such line, or the file cannot be read.
std::optional<uint32_t> StoredModel(const std::string& strBoard);

enum class EStoreModel {
    Stored,       // the file names the model now (it may have already)
    ProgramRuns,  // pendulon runs on this machine or board: it writes the file at exit
    NotStored,    // a chipset PLL or "not specified": the file keeps no such model
    Failed,       // strWhy says why
};

// Names dwPLLID in the settings file: its first model line replaced, or one added after the
// header (a file is made when there is none); every other line kept as it stands. Holding the
// program's single-instance lock while it does, so that a pendulon starting meanwhile does not
// read the file half-way, and refusing while a pendulon holds it.
EStoreModel StoreModel(const std::string& strBoard, uint32_t dwPLLID, std::string& strWhy);

// The settings text with dwPLLID as its model (the edit StoreModel makes).
std::string strWithModel(const std::string& strText, uint32_t dwPLLID);

}  // namespace app
