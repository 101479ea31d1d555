// SPDX-License-Identifier: GPL-2.0-or-later
// The named mutexes: one registry for the process, keyed by the lock file's path (so by the
// namespace the name was opened in as well as by the name). Each handle is an object of its
// own that shares the mutex state with every other handle of that name; the state lives as
// long as anything (a handle, a thread waiting on it, its owner) still refers to it.
//
// Within the process a named mutex is a recursive mutex like an unnamed one. Between
// processes it is a lock on its lock file (platform/LockFile.h), held by the process while
// one of its threads owns the mutex: taken when a thread takes the mutex, let go when that
// thread releases it for the last time or ends.
//
// Waits are measured on the real steady clock, never on the installed platform clock: a
// simulated board's clock only moves when the program waits on it, so a lock time-out measured
// on it could never expire.
#include "platform/NamedMutex.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/LockFile.h"

namespace platform {

namespace {

// Counts the forks this process came through. A forked child starts with a copy of its
// parent's mutexes: it owns none of them, and the lock file descriptors it inherited share the
// parent's locks. A mutex whose generation is behind is put right before it is used.
std::atomic<unsigned> g_nForkGeneration{0};

void vCountFork()
{
    g_nForkGeneration.fetch_add(1, std::memory_order_relaxed);
}

// Why the calling thread's last wait on a named mutex did not simply take it or time out.
// A plain buffer: it stays usable while the thread's other objects are destroyed.
thread_local char t_szLastLockError[512];

void vSetLastLockError(const std::string& strError)
{
    const size_t nLength = std::min(strError.size(), sizeof(t_szLastLockError) - 1);
    std::memcpy(t_szLastLockError, strError.data(), nLength);
    t_szLastLockError[nLength] = '\0';
}

// The mutex itself, shared by every handle of its name.
struct CMutexState {
    std::mutex m_Lock;                 // guards the fields below
    std::condition_variable m_Released;
    std::thread::id m_Owner;           // default id: nobody owns it
    uint32_t m_dwCount = 0;            // recursion depth of the owner
    bool m_bAbandoned = false;         // unnamed: its owner ended while holding it (a named
                                       // mutex keeps that in its lock file)
    unsigned m_nGeneration = g_nForkGeneration.load(std::memory_order_relaxed);
    std::unique_ptr<detail::CLockFile> m_pFile;  // named: the lock between processes
    std::string m_strName;             // empty for an unnamed mutex
    // Guarded by the registry lock, not by m_Lock:
    std::string m_strKey;              // the lock file's path; empty for an unnamed mutex
    unsigned m_nHandles = 0;
};

// In a forked child: the copy of the parent's state is dropped (m_Lock is held).
void vAdoptAfterFork(CMutexState& state)
{
    const unsigned nGeneration = g_nForkGeneration.load(std::memory_order_relaxed);
    if (state.m_nGeneration == nGeneration)
        return;
    state.m_nGeneration = nGeneration;
    state.m_Owner = std::thread::id();
    state.m_dwCount = 0;
    state.m_bAbandoned = false;
    if (state.m_pFile)
        state.m_pFile->vForget();
}

// Holds for each thread the mutexes it owns, so that they can be marked abandoned when the
// thread ends while still holding them.
class COwnedMutexes {
public:
    COwnedMutexes() = default;
    COwnedMutexes(const COwnedMutexes&) = delete;
    COwnedMutexes& operator=(const COwnedMutexes&) = delete;
    ~COwnedMutexes();

    void vAdd(const std::shared_ptr<CMutexState>& pState) { m_Owned.push_back(pState); }
    void vRemove(const CMutexState* pState)
    {
        auto it = std::find_if(m_Owned.begin(), m_Owned.end(),
                               [pState](const auto& p) { return p.get() == pState; });
        if (it != m_Owned.end())
            m_Owned.erase(it);
    }

private:
    std::vector<std::shared_ptr<CMutexState>> m_Owned;
};

// Set once the thread's tracker has been destroyed (a plain flag stays usable after that): a
// destructor of another thread_local object that runs later cannot take a mutex any more,
// since nothing would be left to mark it abandoned.
thread_local bool t_bThreadEnding = false;
thread_local COwnedMutexes t_Owned;

COwnedMutexes::~COwnedMutexes()
{
    t_bThreadEnding = true;
    const std::thread::id self = std::this_thread::get_id();
    for (const auto& pState : m_Owned) {
        {
            std::lock_guard<std::mutex> lock(pState->m_Lock);
            vAdoptAfterFork(*pState);
            if (pState->m_Owner != self)
                continue;
            pState->m_Owner = std::thread::id();
            pState->m_dwCount = 0;
            // The lock file is let go still saying "held": the next taker, in this process
            // or another, receives the mutex abandoned.
            if (pState->m_pFile)
                pState->m_pFile->vRelease(false);
            else
                pState->m_bAbandoned = true;
        }
        pState->m_Released.notify_one();
    }
}

}  // namespace

// What an HMUTEX points to: one open handle.
struct MutexObject {
    std::shared_ptr<CMutexState> m_pState;
};

namespace {

class CMutexRegistry {
public:
    CMutexRegistry() { pthread_atfork(nullptr, nullptr, vCountFork); }

    HMUTEX hOpen(const char* pszName, bool& bCreated)
    {
        const bool bNamed = pszName != nullptr && pszName[0] != '\0';
        detail::LockPlace place;
        std::string strKey, strFileName;
        if (bNamed) {
            place = detail::CurrentLockPlace();
            strFileName = detail::strLockFileName(pszName);
            strKey = place.strDirectory() + "/" + strFileName;
        }

        std::lock_guard<std::mutex> lock(m_Lock);
        std::shared_ptr<CMutexState> pState;
        if (bNamed) {
            auto it = m_Named.find(strKey);
            if (it != m_Named.end())
                pState = it->second.lock();  // still alive while its owner or a waiter has it
        }
        bCreated = pState == nullptr;
        if (bCreated) {
            pState = std::make_shared<CMutexState>();
            if (bNamed) {
                pState->m_strName = pszName;
                pState->m_strKey = strKey;
                pState->m_pFile =
                    std::make_unique<detail::CLockFile>(std::move(place), std::move(strFileName));
                m_Named[strKey] = pState;
            }
        }
        auto* pHandle = new MutexObject{pState};
        pState->m_nHandles++;
        m_Handles.insert(pHandle);
        return pHandle;
    }

    // The state behind an open handle; null for a null or unknown (closed) handle.
    std::shared_ptr<CMutexState> pFind(HMUTEX hMutex)
    {
        if (hMutex == nullptr)
            return nullptr;
        std::lock_guard<std::mutex> lock(m_Lock);
        if (m_Handles.count(hMutex) == 0)
            return nullptr;
        return hMutex->m_pState;
    }

    bool bClose(HMUTEX hMutex)
    {
        if (hMutex == nullptr)
            return false;
        std::shared_ptr<CMutexState> pState;  // released after the registry lock
        {
            std::lock_guard<std::mutex> lock(m_Lock);
            if (m_Handles.erase(hMutex) == 0)
                return false;
            pState = std::move(hMutex->m_pState);
            delete hMutex;
            // A state its owner still holds stays findable, so that a new handle of the name
            // reaches the same mutex (and its owner can release it).
            if (--pState->m_nHandles == 0 && !pState->m_strKey.empty() && pState.use_count() == 1)
                m_Named.erase(pState->m_strKey);
        }
        return true;
    }

    size_t nHandles()
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        return m_Handles.size();
    }

private:
    std::mutex m_Lock;
    std::unordered_map<std::string, std::weak_ptr<CMutexState>> m_Named;
    std::unordered_set<HMUTEX> m_Handles;
};

// Never destroyed: objects with static storage may still close their handles at exit.
CMutexRegistry& Registry()
{
    static CMutexRegistry* pRegistry = new CMutexRegistry;
    return *pRegistry;
}

// Takes a free mutex for the calling thread within the process; m_Lock is held by the caller.
uint32_t dwTake(CMutexState& state)
{
    state.m_Owner = std::this_thread::get_id();
    state.m_dwCount = 1;
    const bool bAbandoned = state.m_bAbandoned;
    state.m_bAbandoned = false;
    return bAbandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

bool bTaken(uint32_t dwWait)
{
    return dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
}

// Gives back a mutex taken with dwTake whose lock file could not be had; m_Lock is held.
void vUntake(CMutexState& state)
{
    state.m_Owner = std::thread::id();
    state.m_dwCount = 0;
}

}  // namespace

HMUTEX CreateMutexA(bool bInitialOwner, const char* pszName)
{
    bool bCreated = false;
    HMUTEX hMutex = Registry().hOpen(pszName, bCreated);
    CMutexState& state = *hMutex->m_pState;
    // As on Windows, the flag only counts for a mutex this call created; an existing named
    // mutex is opened as it is (and never taken away from another owner, in this process or
    // another).
    if (bInitialOwner && bCreated && !t_bThreadEnding) {
        bool bOwned = true;
        {
            std::lock_guard<std::mutex> lock(state.m_Lock);
            dwTake(state);
            std::string strError;
            const auto now = std::chrono::steady_clock::now();
            if (state.m_pFile &&
                !(state.m_pFile->bOpen(strError) && bTaken(state.m_pFile->dwTake(false, now)))) {
                vUntake(state);
                bOwned = false;
            }
        }
        if (bOwned)
            t_Owned.vAdd(hMutex->m_pState);
    }
    return hMutex;
}

uint32_t WaitForSingleObject(HMUTEX hMutex, uint32_t dwMilliseconds)
{
    std::shared_ptr<CMutexState> pState = Registry().pFind(hMutex);
    if (pState == nullptr || t_bThreadEnding)
        return WAIT_FAILED;
    CMutexState& state = *pState;
    const bool bForever = dwMilliseconds == INFINITE;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(bForever ? 0 : dwMilliseconds);
    if (state.m_pFile)
        t_szLastLockError[0] = '\0';

    const std::thread::id self = std::this_thread::get_id();
    uint32_t dwResult;
    {
        std::unique_lock<std::mutex> lock(state.m_Lock);
        vAdoptAfterFork(state);
        if (state.m_Owner == self) {
            if (state.m_dwCount == std::numeric_limits<uint32_t>::max())
                return WAIT_FAILED;
            state.m_dwCount++;
            return WAIT_OBJECT_0;
        }
        auto bFree = [&state] { return state.m_Owner == std::thread::id(); };
        if (bForever) {
            state.m_Released.wait(lock, bFree);
        } else if (dwMilliseconds == 0) {
            if (!bFree())
                return WAIT_TIMEOUT;
        } else if (!state.m_Released.wait_until(lock, deadline, bFree)) {
            return WAIT_TIMEOUT;
        }
        dwResult = dwTake(state);
        if (state.m_pFile) {
            std::string strError;
            if (!state.m_pFile->bOpen(strError)) {
                vUntake(state);
                lock.unlock();
                state.m_Released.notify_one();
                vSetLastLockError(strError);
                return WAIT_FAILED;
            }
        }
    }

    if (state.m_pFile) {
        // The rest of the wait goes to the other processes. This thread owns the mutex within
        // the process meanwhile, so nothing else here touches the lock file.
        dwResult = state.m_pFile->dwTake(bForever, deadline);
        const int nErrno = errno;
        if (!bTaken(dwResult)) {
            {
                std::lock_guard<std::mutex> lock(state.m_Lock);
                vUntake(state);
            }
            state.m_Released.notify_one();
            if (dwResult == WAIT_FAILED)
                vSetLastLockError("cannot lock " + state.m_pFile->strPath() + ": " +
                                  std::strerror(nErrno));
            return dwResult;
        }
        if (dwResult == WAIT_ABANDONED)
            vSetLastLockError("the lock \"" + state.m_strName + "\" was abandoned: the program or " +
                              "thread that held it ended without releasing it");
    }
    t_Owned.vAdd(pState);
    return dwResult;
}

bool ReleaseMutex(HMUTEX hMutex)
{
    std::shared_ptr<CMutexState> pState = Registry().pFind(hMutex);
    if (pState == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> lock(pState->m_Lock);
        vAdoptAfterFork(*pState);
        if (pState->m_Owner != std::this_thread::get_id())
            return false;
        if (--pState->m_dwCount != 0)
            return true;
        if (pState->m_pFile)
            pState->m_pFile->vRelease(true);
        pState->m_Owner = std::thread::id();
    }
    pState->m_Released.notify_one();
    if (!t_bThreadEnding)
        t_Owned.vRemove(pState.get());
    return true;
}

bool CloseHandle(HMUTEX hMutex)
{
    return Registry().bClose(hMutex);
}

std::string strLastLockError()
{
    return t_szLastLockError;
}

size_t nOpenMutexHandles()
{
    return Registry().nHandles();
}

}  // namespace platform
