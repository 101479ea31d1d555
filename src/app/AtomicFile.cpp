#include "app/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace app {

namespace {

std::string strDirectoryOf(const std::string& strPath)
{
    const size_t nSlash = strPath.rfind('/');
    if (nSlash == std::string::npos) return ".";
    if (nSlash == 0) return "/";
    return strPath.substr(0, nSlash);
}

bool bWriteAll(int nFd, const std::string& strText)
{
    size_t nDone = 0;
    while (nDone < strText.size()) {
        const ssize_t n = write(nFd, strText.data() + nDone, strText.size() - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        nDone += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool bWriteFileAtomically(const std::string& strPath, const std::string& strText, std::string& strWhy, int nMode)
{
    strWhy.clear();
    std::string strTemplate = strPath + ".tmp-XXXXXX";
    std::vector<char> name(strTemplate.begin(), strTemplate.end());
    name.push_back('\0');
    const int nFd = mkostemp(name.data(), O_CLOEXEC);
    if (nFd < 0) {
        strWhy = std::strerror(errno);
        return false;
    }
    // The mode asked for; else a new file gets the mode an ordinary create would give it
    // (mkostemp makes it 0600) and a file that is replaced keeps its own mode.
    struct stat old {};
    const mode_t nMask = umask(0);
    umask(nMask);
    const mode_t nFileMode = nMode >= 0 ? mode_t(nMode & 07777)
                             : stat(strPath.c_str(), &old) == 0 ? (old.st_mode & 07777)
                                                                : (0666 & ~nMask);
    bool bOk = fchmod(nFd, nFileMode) == 0 && bWriteAll(nFd, strText) && fsync(nFd) == 0;
    if (!bOk) strWhy = std::strerror(errno);
    if (close(nFd) != 0 && bOk) {
        bOk = false;
        strWhy = std::strerror(errno);
    }
    if (bOk && rename(name.data(), strPath.c_str()) != 0) {
        bOk = false;
        strWhy = std::strerror(errno);
    }
    if (!bOk) {
        unlink(name.data());
        return false;
    }
    // The rename itself reaches the disk with the directory.
    const int nDir = open(strDirectoryOf(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nDir >= 0) {
        fsync(nDir);
        close(nDir);
    }
    return true;
}

bool bReadTextFile(const std::string& strPath, std::string& strText, size_t nLimit)
{
    strText.clear();
    const int nFd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) return false;
    char abBuffer[4096];
    bool bOk = true;
    while (strText.size() < nLimit) {
        const ssize_t n = read(nFd, abBuffer, sizeof(abBuffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            bOk = false;
            break;
        }
        if (n == 0) break;
        strText.append(abBuffer, std::min(static_cast<size_t>(n), nLimit - strText.size()));
    }
    close(nFd);
    return bOk;
}

bool bFileExists(const std::string& strPath)
{
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace app
