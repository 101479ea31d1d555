// SPDX-License-Identifier: GPL-2.0-or-later
// The lock between processes. An uncontended take and release costs five system calls: the
// flock, a read and a write of the state byte, and a write and an unlock on release. A wait
// for another process tries the lock with sleeps that grow from 50 us to 4 ms, so that a
// lock let go is seen soon and a long wait costs next to nothing; a wait without time limit
// blocks in the kernel.
#include "platform/LockFile.h"

#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <utility>

#include "platform/NamedMutex.h"
#include "platform/PrivateDirectory.h"

namespace platform::detail {

namespace {

constexpr char STATE_HELD = 'H';
constexpr char STATE_FREE = 'F';
constexpr auto FIRST_SLEEP = std::chrono::microseconds(50);
constexpr auto LONGEST_SLEEP = std::chrono::microseconds(4000);

int nFlock(int nFd, int nOperation)
{
    int nResult;
    do {
        nResult = flock(nFd, nOperation);
    } while (nResult != 0 && errno == EINTR);
    return nResult;
}

}  // namespace

CLockFile::CLockFile(LockPlace place, std::string strFileName)
    : m_Place(std::move(place)), m_strFileName(std::move(strFileName))
{
}

CLockFile::~CLockFile()
{
    if (m_nFd >= 0)
        close(m_nFd);
}

bool CLockFile::bOpen(std::string& strError)
{
    if (m_nFd >= 0)
        return true;
    m_nFd = nOpenLockFile(m_Place, m_strFileName, false, strError);
    return m_nFd >= 0;
}

std::string CLockFile::strPath() const
{
    return strJoin(m_Place.strDirectory(), m_strFileName);
}

uint32_t CLockFile::dwTake(bool bForever, std::chrono::steady_clock::time_point deadline)
{
    if (m_nFd < 0)
        return WAIT_FAILED;
    if (bForever) {
        if (nFlock(m_nFd, LOCK_EX) != 0)
            return WAIT_FAILED;
    } else {
        auto sleep = std::chrono::steady_clock::duration(FIRST_SLEEP);
        while (nFlock(m_nFd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK)
                return WAIT_FAILED;
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline)
                return WAIT_TIMEOUT;
            std::this_thread::sleep_for(std::min(sleep, deadline - now));
            sleep = std::min<std::chrono::steady_clock::duration>(sleep * 2, LONGEST_SLEEP);
        }
    }
    char cState = STATE_FREE;
    const bool bAbandoned = pread(m_nFd, &cState, 1, 0) == 1 && cState == STATE_HELD;
    if (!bAbandoned)
        (void)!pwrite(m_nFd, &STATE_HELD, 1, 0);
    return bAbandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

void CLockFile::vRelease(bool bClean)
{
    if (m_nFd < 0)
        return;
    if (bClean)
        (void)!pwrite(m_nFd, &STATE_FREE, 1, 0);
    nFlock(m_nFd, LOCK_UN);
}

void CLockFile::vForget()
{
    if (m_nFd >= 0)
        close(m_nFd);
    m_nFd = -1;
}

}  // namespace platform::detail
