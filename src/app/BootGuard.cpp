// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/BootGuard.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/AtomicFile.h"
#include "app/SettingsLines.h"

namespace app {

namespace {

constexpr const char* MARK_HEADER = "[Pendulon Boot Apply]";
constexpr const char* SKIP_HEADER = "[Pendulon Boot Apply Skipped]";

// The value of "KEY=" in a file of such lines, "" when it is not there.
std::string strValue(const std::string& strText, const std::string& strKey)
{
    for (const std::string& strLine : SplitLinePieces(strText))
        if (strLine.compare(0, strKey.size() + 1, strKey + "=") == 0) return strLine.substr(strKey.size() + 1);
    return "";
}

int64_t nTimeValue(const std::string& strText, const std::string& strKey)
{
    const std::string str = strValue(strText, strKey);
    char* pEnd = nullptr;
    const long long n = std::strtoll(str.c_str(), &pEnd, 10);
    return !str.empty() && *pEnd == '\0' && n > 0 ? int64_t(n) : 0;
}

int64_t nNow()
{
    return int64_t(std::time(nullptr));
}

std::string strMarkPath(const std::string& strWorkDir)
{
    return strWorkDir + BOOT_MARK_FILE_NAME;
}

std::string strSkipPath(const std::string& strWorkDir)
{
    return strWorkDir + BOOT_SKIP_FILE_NAME;
}

bool bExists(const std::string& strPath)
{
    return access(strPath.c_str(), F_OK) == 0;
}

// Removes a file; one that is not there counts as removed.
bool bRemove(const std::string& strPath, std::string& strWhy)
{
    if (unlink(strPath.c_str()) == 0 || errno == ENOENT) return true;
    strWhy = strPath + ": " + std::strerror(errno);
    return false;
}

// The mark, when there is one (its values empty when it cannot be read).
bool bReadMark(const std::string& strWorkDir, BootMark& mark)
{
    mark = BootMark{};
    if (!bExists(strMarkPath(strWorkDir))) return false;
    std::string strText;
    if (bReadTextFile(strMarkPath(strWorkDir), strText, 4096)) {
        mark.strBoot = strValue(strText, "BOOT");
        mark.nTime = nTimeValue(strText, "TIME");
    }
    return true;
}

}  // namespace

std::string strCurrentBootId()
{
    std::string strText;
    if (!bReadTextFile(BOOT_ID_PATH, strText, 256)) return "";
    while (!strText.empty() && (strText.back() == '\n' || strText.back() == ' ')) strText.pop_back();
    return strText;
}

std::string strFormatTime(int64_t nTime)
{
    if (nTime <= 0) return "an unknown time";
    const std::time_t t = std::time_t(nTime);
    struct tm local {};
    char szText[64];
    if (!localtime_r(&t, &local) || std::strftime(szText, sizeof(szText), "%Y-%m-%d %H:%M:%S", &local) == 0)
        return "an unknown time";
    return szText;
}

std::string strRearmHint(const std::string& strBoard)
{
    if (strBoard.empty())
        return "arm it again with \"pendulon-cli startup enable\", or by saving profile 0 anew "
               "(\"pendulon-cli profile save\")";
    return "arm it again by saving the board's profile 0 anew (\"pendulon-cli --board " + strBoard +
           " profile save\")";
}

BootApplyState ReadBootApplyState(const std::string& strWorkDir, const std::string& strBoot)
{
    BootApplyState state;
    std::string strText;
    if (bExists(strSkipPath(strWorkDir))) {
        state.eState = EBootApply::Skipped;
        if (bReadTextFile(strSkipPath(strWorkDir), strText, 4096)) {
            state.Skip.strFailedBoot = strValue(strText, "FAILEDBOOT");
            state.Skip.nFailedTime = nTimeValue(strText, "FAILEDTIME");
            state.Skip.nSince = nTimeValue(strText, "SINCE");
        }
        return state;
    }
    if (bReadMark(strWorkDir, state.Mark)) {
        // A mark whose boot cannot be read is taken as one of another boot.
        const bool bThisBoot = !strBoot.empty() && state.Mark.strBoot == strBoot;
        state.eState = bThisBoot ? EBootApply::Pending : EBootApply::Unconfirmed;
    }
    return state;
}

bool bEnterBootApply(const std::string& strWorkDir, const std::string& strRearm, std::string& strWhy)
{
    const std::string strBoot = strCurrentBootId();
    if (strBoot.empty()) {
        strWhy = std::string("the apply at boot is skipped: the boot id (") + BOOT_ID_PATH +
                 ") cannot be read, so a boot that did not survive the apply could not be told at the next one";
        return false;
    }
    const BootApplyState state = ReadBootApplyState(strWorkDir, strBoot);
    const char* pszNothing = "; nothing was written to the clock generator; ";
    if (state.eState == EBootApply::Skipped) {
        strWhy = "the apply at boot is skipped since " + strFormatTime(state.Skip.nSince) + ", because the apply of " +
                 strFormatTime(state.Skip.nFailedTime) + " did not survive its boot" + pszNothing + strRearm;
        return false;
    }
    const int64_t nTime = nNow();
    if (state.eState == EBootApply::Unconfirmed) {
        // The record makes every later boot skip too; the mark goes only once the record stands.
        const std::string strRecord = std::string(SKIP_HEADER) + "\nFAILEDBOOT=" + state.Mark.strBoot +
                                      "\nFAILEDTIME=" + std::to_string(state.Mark.nTime) +
                                      "\nSINCE=" + std::to_string(nTime) + "\n";
        std::string strError;
        if (bWriteFileAtomically(strSkipPath(strWorkDir), strRecord, strError))
            bRemove(strMarkPath(strWorkDir), strError);
        strWhy = "the apply at boot is skipped: the apply of " + strFormatTime(state.Mark.nTime) +
                 " did not survive its boot (the machine did not stay up until it was confirmed), so it is not "
                 "tried at this boot nor at later ones" + pszNothing + strRearm;
        return false;
    }
    const std::string strMark =
        std::string(MARK_HEADER) + "\nBOOT=" + strBoot + "\nTIME=" + std::to_string(nTime) + "\n";
    std::string strError;
    if (!bWriteFileAtomically(strMarkPath(strWorkDir), strMark, strError)) {
        strWhy = "the apply at boot is skipped: its mark cannot be written in " + strWorkDir + " (" + strError +
                 "), and without it a boot that did not survive the apply could not be told at the next one";
        return false;
    }
    return true;
}

EConfirm ConfirmBootApply(const std::string& strWorkDir, BootApplyState& state, std::string& strWhy)
{
    const std::string strBoot = strCurrentBootId();
    state = ReadBootApplyState(strWorkDir, strBoot);
    BootMark mark;
    if (!bReadMark(strWorkDir, mark)) return EConfirm::Nothing;
    state.Mark = mark;
    if (strBoot.empty() || mark.strBoot != strBoot) return EConfirm::OtherBoot;
    return bRemove(strMarkPath(strWorkDir), strWhy) ? EConfirm::Confirmed : EConfirm::Failed;
}

bool bRearmBootApply(const std::string& strWorkDir, bool& bWasHeld, std::string& strWhy)
{
    bWasHeld = bExists(strMarkPath(strWorkDir)) || bExists(strSkipPath(strWorkDir));
    // The record first: a mark left alone is only a pending apply.
    return bRemove(strSkipPath(strWorkDir), strWhy) && bRemove(strMarkPath(strWorkDir), strWhy);
}

}  // namespace app
