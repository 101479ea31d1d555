// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ChosenModel.h"

#include <cstdio>
#include <vector>

#include "app/AtomicFile.h"
#include "app/PendulonApp.h"
#include "app/RunNamespace.h"
#include "app/SettingsFile.h"
#include "platform/LockDirectory.h"
#include "platform/SingleInstance.h"

namespace app {

namespace {

// A chipset PLL is found by itself at every start, and id 0 names no model: the program
// writes neither, and neither is stored here.
bool bStorable(uint32_t dwPLLID) { return dwPLLID != 0 && !(dwPLLID & 0x10000000u); }

bool bIsModelLine(const std::string& strLine)
{
    const std::vector<SettingsLine> lines = ParseSettings(std::string(SETTINGS_HEADER) + "\n" + strLine + "\n");
    return !lines.empty() && lines.front().eKey == SettingsKey::PLL;
}

}  // namespace

std::optional<uint32_t> StoredModel(const std::string& strBoard)
{
    std::string strDir, strText, strWhy;
    if (!bGetRunWorkDirectory(strBoard, strDir, strWhy)) return std::nullopt;
    if (!bReadTextFile(strDir + SETTINGS_FILE_NAME, strText, strWhy)) return std::nullopt;
    for (const SettingsLine& line : ParseSettings(strText))
        if (line.eKey == SettingsKey::PLL) return line.dwPLLID;
    return std::nullopt;
}

std::string strWithModel(const std::string& strText, uint32_t dwPLLID)
{
    char szModel[32];
    std::snprintf(szModel, sizeof(szModel), "PLL=%08X", dwPLLID);
    // The lines, each with its own line end, so that a file written with CR LF keeps them.
    struct Line {
        std::string strText, strEnd;
    };
    std::vector<Line> lines;
    for (size_t nPos = 0; nPos < strText.size();) {
        size_t nEnd = strText.find('\n', nPos);
        nEnd = nEnd == std::string::npos ? strText.size() : nEnd + 1;
        Line line{strText.substr(nPos, nEnd - nPos), {}};
        while (!line.strText.empty() && (line.strText.back() == '\n' || line.strText.back() == '\r')) {
            line.strEnd.insert(line.strEnd.begin(), line.strText.back());
            line.strText.pop_back();
        }
        lines.push_back(std::move(line));
        nPos = nEnd;
    }
    size_t nHeader = 0;
    while (nHeader < lines.size() && lines[nHeader].strText.find(SETTINGS_HEADER) == std::string::npos) ++nHeader;
    if (nHeader == lines.size()) return std::string(SETTINGS_HEADER) + "\n" + szModel + "\n" + strText;
    if (lines[nHeader].strEnd.empty()) lines[nHeader].strEnd = "\n";
    size_t nModel = nHeader + 1;
    while (nModel < lines.size() && !bIsModelLine(lines[nModel].strText)) ++nModel;
    if (nModel < lines.size()) lines[nModel].strText = szModel;
    else lines.insert(lines.begin() + long(nHeader) + 1, Line{szModel, lines[nHeader].strEnd});
    std::string strOut;
    for (const Line& line : lines) strOut += line.strText + line.strEnd;
    return strOut;
}

EStoreModel StoreModel(const std::string& strBoard, uint32_t dwPLLID, std::string& strWhy)
{
    strWhy.clear();
    if (!bStorable(dwPLLID)) return EStoreModel::NotStored;
    std::string strDir;
    if (!bGetRunWorkDirectory(strBoard, strDir, strWhy)) return EStoreModel::Failed;
    const std::string strPath = strDir + SETTINGS_FILE_NAME;
    std::string strText;
    // A file that names the model already is left alone, whoever runs.
    if (!bReadTextFile(strPath, strText, strWhy) && !strWhy.empty()) return EStoreModel::Failed;
    if (StoredModel(strBoard) == dwPLLID) return EStoreModel::Stored;
    platform::SetLockNamespace(strBoardNamespace(strBoard));
    platform::CSingleInstance instance;
    if (!instance.bAcquire(SINGLE_INSTANCE_NAME, strWhy))
        return strWhy.empty() ? EStoreModel::ProgramRuns : EStoreModel::Failed;
    // Read again under the lock: the program may have written it at its end meanwhile.
    if (!bReadTextFile(strPath, strText, strWhy) && !strWhy.empty()) return EStoreModel::Failed;
    return bWriteFileAtomically(strPath, strWithModel(strText, dwPLLID), strWhy) ? EStoreModel::Stored
                                                                                 : EStoreModel::Failed;
}

}  // namespace app
