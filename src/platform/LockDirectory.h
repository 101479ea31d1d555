// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the system-wide locks live: the named mutexes and the single-instance lock are locks
// on files in a lock directory, so that every process on the machine that opens a lock of the
// same name takes turns with the others.
//
// The lock directory of the real machine is /run/lock/pendulon/ for root, else
// "pendulon-locks/" in the runtime directory ($XDG_RUNTIME_DIR, else a private directory
// /tmp/pendulon-<uid>/ that must belong to the user and have mode 0700). When
// $PENDULON_RUNTIME_DIR is set, its "pendulon-locks/" holds the locks for root too. A
// simulated board's locks live in "boards/NAME/" below it: a simulation never waits for the
// real hardware's locks, nor they for it.
//
// Each lock is a file "<name>.lock" (mode 0600). A directory is only used when it is a real
// directory (not a symbolic link) that belongs to the user (root: to root) and that nobody
// else may write to; one that is missing is created, mode 0755 for root and 0700 otherwise.
#include <string>

namespace platform {

// Sets the namespace of the locks this process opens from now on: "" for the real machine,
// else the simulated board's name. A lock opened before keeps the namespace it was opened in.
void SetLockNamespace(const std::string& strNamespace);
std::string strLockNamespace();

namespace detail {

// Where one namespace's locks are, as worked out from the environment when a lock is opened;
// nothing on the file system is touched until a lock file is opened.
struct LockPlace {
    std::string strBase;          // the real machine's lock directory, without a trailing slash
    std::string strPrivateParent; // the private runtime directory under /tmp it lies in, or ""
    std::string strNamespace;     // "" for the real machine, else the board's directory name

    // The directory that holds this namespace's lock files.
    std::string strDirectory() const;
};

// The place of the current namespace's locks.
LockPlace CurrentLockPlace();

// The lock file's name for a lock name: "<name>.lock", each character other than a letter,
// digit, '_', '-' or a '.' after the first written as %XX, so that every name gives a plain
// file name of its own.
std::string strLockFileName(const std::string& strName);

// Opens (creating when missing) the lock file in the place's directory, after making sure
// the directories on the way exist and can be trusted. The file is opened for reading and
// writing; with bReadOnlyWillDo a file that may only be read is opened read-only (an flock
// works on it). Never follows a symbolic link, never blocks on a FIFO, and refuses anything
// that is not a regular file. Returns the descriptor (close-on-exec), or -1 with strError
// saying why.
int nOpenLockFile(const LockPlace& place, const std::string& strFileName, bool bReadOnlyWillDo,
                  std::string& strError);

}  // namespace detail

}  // namespace platform
