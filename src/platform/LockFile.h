// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Inside the platform layer only: the part of a named mutex that other processes see. A
// process opens the lock file of a named mutex once and holds an exclusive flock on it while
// one of its threads owns the mutex. The file's first byte tells whether the lock is held: it
// is written 'H' once the lock is taken and 'F' before it is let go, so a taker that finds 'H'
// knows that the last holder ended (or was killed) while holding it.
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/LockDirectory.h"

namespace platform::detail {

class CLockFile {
public:
    CLockFile(LockPlace place, std::string strFileName);
    ~CLockFile();  // closes the file; the kernel drops a lock still held
    CLockFile(const CLockFile&) = delete;
    CLockFile& operator=(const CLockFile&) = delete;

    // Opens the lock file unless it is open; false with strError set when it cannot be used.
    bool bOpen(std::string& strError);
    // The file as "directory/name.lock", for messages.
    std::string strPath() const;

    // Takes the lock on the open file: WAIT_OBJECT_0, WAIT_ABANDONED when the last holder ended
    // while holding it, WAIT_TIMEOUT when another process still holds it at the deadline, or
    // WAIT_FAILED. Without bForever the lock is tried until the deadline (tried once when the
    // deadline has passed), with short sleeps in between.
    uint32_t dwTake(bool bForever, std::chrono::steady_clock::time_point deadline);
    // Lets the lock go. bClean writes "free" first; without it the next taker learns that the
    // owner ended while holding it.
    void vRelease(bool bClean);
    // In a forked child: the descriptor came from the parent, whose lock it shares. It is
    // closed (which leaves the parent's lock alone while the parent keeps its own descriptor)
    // and the next bOpen opens one of this process.
    void vForget();

private:
    LockPlace m_Place;
    std::string m_strFileName;
    int m_nFd = -1;
};

}  // namespace platform::detail
