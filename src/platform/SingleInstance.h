// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The system-wide single-instance lock: an exclusive flock on "<name>.lock" in the lock
// directory of the current lock namespace (platform/LockDirectory.h), beside the named locks.
// The lock is held while the object lives and goes with the process, however it ends. The
// lock file (mode 0600) is never opened through a symbolic link. Being locks on open files,
// two objects in one process also exclude each other.
#include <string>

namespace platform {

class CSingleInstance {
public:
    CSingleInstance() = default;
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when this process now holds the lock; false when another process holds it or the
    // lock file cannot be opened (strError then says why; empty when another instance runs).
    // The name is a bare file name (no '/'). A lock already held by this object is released
    // first.
    bool bAcquire(const char* pszName, std::string& strError);
    void vRelease();
    bool bHeld() const { return m_nFd >= 0; }

private:
    int m_nFd = -1;
};

}  // namespace platform
