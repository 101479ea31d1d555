// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Named mutexes with the semantics the kit was written against: a mutex is
// recursive for its owner, a wait can time out, and a mutex whose owning thread ended while
// holding it is "abandoned": the next waiter receives it together with WAIT_ABANDONED.
// Handles with the same name share one mutex; a mutex lives while any handle to it is open
// or a thread owns it or waits for it.
//
// Named mutexes are system-wide: every process that opens a mutex of the same name in the
// same lock namespace (platform/LockDirectory.h) takes turns with this one, and a process
// that ends or is killed while holding one leaves it abandoned. Unnamed mutexes are the
// process's own.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

struct MutexObject;
using HMUTEX = MutexObject*;

constexpr uint32_t WAIT_OBJECT_0 = 0x00000000;
constexpr uint32_t WAIT_ABANDONED = 0x00000080;
constexpr uint32_t WAIT_TIMEOUT = 0x00000102;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFF;
constexpr uint32_t INFINITE = 0xFFFFFFFF;

// Opens the mutex of that name, creating it when no handle to it is open; a null or empty
// name creates an unnamed mutex. With bInitialOwner the calling thread owns a mutex this call
// created; for a named mutex that was already open the flag is ignored, as on Windows (it is
// never taken from another owner). A named mutex is opened in the lock namespace set at the
// time (SetLockNamespace) and keeps it. Waits are timed on the real steady clock, not on
// Clock().
HMUTEX CreateMutexA(bool bInitialOwner, const char* pszName);

// Waits up to dwMilliseconds (INFINITE: for ever) for ownership. WAIT_OBJECT_0 when taken
// (also when the caller already owns it: the count goes up), WAIT_ABANDONED when taken from
// a thread or process that ended while owning it, WAIT_TIMEOUT, or WAIT_FAILED for a null
// handle or a named mutex whose lock file cannot be used. The time-out covers the whole wait,
// for the threads of this process and for other processes.
uint32_t WaitForSingleObject(HMUTEX hMutex, uint32_t dwMilliseconds);

// Gives up one level of ownership. False when the calling thread does not own the mutex or
// the handle is null or closed.
bool ReleaseMutex(HMUTEX hMutex);

// Why the calling thread's last wait on a named mutex gave WAIT_FAILED or WAIT_ABANDONED: the
// lock directory or lock file could not be used (and why), or the last holder ended while
// holding it. Empty after a wait that took the mutex cleanly or timed out.
std::string strLastLockError();

// Closes the handle (false for a null or already closed handle). Ownership held by the calling thread is not released by closing (as on
// Windows the mutex stays owned until its owner releases it or ends).
bool CloseHandle(HMUTEX hMutex);

// The mutex handles this process has open, for tests that look for a lock left open.
size_t nOpenMutexHandles();

}  // namespace platform
