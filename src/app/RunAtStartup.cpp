// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/RunAtStartup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "app/AtomicFile.h"

namespace app {

namespace {

constexpr const char* DEFAULT_SYSTEMD_DIR = "/etc/systemd/system";
constexpr const char* WANTS_DIR = "multi-user.target.wants";
constexpr const char* TIMER_WANTS_DIR = "timers.target.wants";

std::string strUnitPath(const char* pszUnit)
{
    return strSystemdDirectory() + "/" + pszUnit;
}

std::string strLinkPath(const char* pszWants, const char* pszUnit)
{
    return strSystemdDirectory() + "/" + pszWants + "/" + pszUnit;
}

bool bExists(const std::string& strPath)
{
    struct stat st {};
    return lstat(strPath.c_str(), &st) == 0;
}

// The program path as one word of an ExecStart= line: systemd expands '%' specifiers, and
// splits at white space unless the word is quoted.
std::string strExecWord(const std::string& strProgram)
{
    bool bQuote = false;
    std::string strWord;
    for (char c : strProgram) {
        if (c == '%') {
            strWord += "%%";
            continue;
        }
        if (c == ' ' || c == '\t' || c == '"' || c == '\\' || c == '\'') bQuote = true;
        if (c == '"' || c == '\\') strWord += '\\';
        strWord += c;
    }
    return bQuote ? "\"" + strWord + "\"" : strWord;
}

// The link that enables a unit, in its "wants" directory (made when missing).
bool bEnable(const char* pszWants, const char* pszUnit)
{
    const std::string strWants = strSystemdDirectory() + "/" + pszWants;
    const std::string strLink = strLinkPath(pszWants, pszUnit);
    return (mkdir(strWants.c_str(), 0755) == 0 || errno == EEXIST) &&
           (bExists(strLink) || symlink(strUnitPath(pszUnit).c_str(), strLink.c_str()) == 0);
}

// Every link, unit and (emptied) "wants" directory of the option.
void vRemoveAll()
{
    unlink(strLinkPath(WANTS_DIR, RUN_AT_STARTUP_UNIT).c_str());
    unlink(strLinkPath(TIMER_WANTS_DIR, CONFIRM_TIMER_UNIT).c_str());
    for (const char* pszUnit : {RUN_AT_STARTUP_UNIT, CONFIRM_SERVICE_UNIT, CONFIRM_TIMER_UNIT})
        unlink(strUnitPath(pszUnit).c_str());
    // Only an empty directory goes; one that holds other units' links stays.
    for (const char* pszWants : {WANTS_DIR, TIMER_WANTS_DIR})
        rmdir((strSystemdDirectory() + "/" + pszWants).c_str());
}

}  // namespace

std::string strSystemdDirectory()
{
    const char* pszDir = std::getenv("PENDULON_SYSTEMD_DIR");
    std::string strDir = pszDir && *pszDir ? pszDir : DEFAULT_SYSTEMD_DIR;
    while (strDir.size() > 1 && strDir.back() == '/') strDir.pop_back();
    return strDir;
}

std::string strProgramPath()
{
    std::vector<char> path(4096);
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return "";
    return std::string(path.data(), size_t(n));
}

std::string strToolBesideProgram(const std::string& strProgram)
{
    const size_t nSlash = strProgram.rfind('/');
    return nSlash == std::string::npos ? std::string() : strProgram.substr(0, nSlash + 1) + "pendulon-cli";
}

std::string strRunAtStartupUnit(const std::string& strProgram)
{
    return "[Unit]\n"
           "Description=Pendulon: apply the saved clock profile\n"
           "After=local-fs.target\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "ExecStart=" + strExecWord(strProgram) + RUN_AT_STARTUP_ARGUMENTS + "\n"
           "\n"
           "[Install]\n"
           "WantedBy=multi-user.target\n";
}

std::string strConfirmServiceUnit(const std::string& strTool)
{
    return "[Unit]\n"
           "Description=Pendulon: the clock profile applied at boot has held\n"
           "After=" + std::string(RUN_AT_STARTUP_UNIT) + "\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "ExecStart=" + strExecWord(strTool) + CONFIRM_ARGUMENTS + "\n";
}

std::string strConfirmTimerUnit()
{
    return "[Unit]\n"
           "Description=Pendulon: confirm the clock profile applied at boot once the machine has stayed up\n"
           "\n"
           "[Timer]\n"
           "OnBootSec=" + std::string(CONFIRM_AFTER_BOOT) + "\n"
           "AccuracySec=10s\n"
           "Unit=" + CONFIRM_SERVICE_UNIT + "\n"
           "\n"
           "[Install]\n"
           "WantedBy=timers.target\n";
}

bool IsRunAtStartup()
{
    return bExists(strLinkPath(WANTS_DIR, RUN_AT_STARTUP_UNIT));
}

bool IsConfirmTimerEnabled()
{
    return bExists(strLinkPath(TIMER_WANTS_DIR, CONFIRM_TIMER_UNIT));
}

bool SetRunAtStartup(const std::string& strProgram)
{
    if (strProgram.empty() || strProgram.front() != '/') return false;
    std::string strWhy;
    // The confirm timer first: an apply unit without it would leave every boot's mark.
    const bool bWritten =
        bWriteFileAtomically(strUnitPath(CONFIRM_SERVICE_UNIT), strConfirmServiceUnit(strToolBesideProgram(strProgram)), strWhy) &&
        bWriteFileAtomically(strUnitPath(CONFIRM_TIMER_UNIT), strConfirmTimerUnit(), strWhy) &&
        bWriteFileAtomically(strUnitPath(RUN_AT_STARTUP_UNIT), strRunAtStartupUnit(strProgram), strWhy);
    if (bWritten && bEnable(TIMER_WANTS_DIR, CONFIRM_TIMER_UNIT) && bEnable(WANTS_DIR, RUN_AT_STARTUP_UNIT))
        return true;
    vRemoveAll();
    return false;
}

bool RemoveRunAtStartup()
{
    const bool bWasEnabled = IsRunAtStartup();
    vRemoveAll();
    return bWasEnabled && !IsRunAtStartup();
}

}  // namespace app
