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

std::string strUnitPath()
{
    return strSystemdDirectory() + "/" + RUN_AT_STARTUP_UNIT;
}

std::string strLinkPath()
{
    return strSystemdDirectory() + "/" + WANTS_DIR + "/" + RUN_AT_STARTUP_UNIT;
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

bool IsRunAtStartup()
{
    return bExists(strLinkPath());
}

bool SetRunAtStartup(const std::string& strProgram)
{
    if (strProgram.empty() || strProgram.front() != '/') return false;
    std::string strWhy;
    if (!bWriteFileAtomically(strUnitPath(), strRunAtStartupUnit(strProgram), strWhy)) return false;
    const std::string strWants = strSystemdDirectory() + "/" + WANTS_DIR;
    const std::string strLink = strLinkPath();
    if ((mkdir(strWants.c_str(), 0755) == 0 || errno == EEXIST) &&
        (bExists(strLink) || symlink(strUnitPath().c_str(), strLink.c_str()) == 0))
        return true;
    unlink(strUnitPath().c_str());
    return false;
}

bool RemoveRunAtStartup()
{
    const bool bRemoved = unlink(strLinkPath().c_str()) == 0;
    unlink(strUnitPath().c_str());
    return bRemoved && !IsRunAtStartup();
}

}  // namespace app
