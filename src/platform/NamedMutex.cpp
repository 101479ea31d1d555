// The named mutexes: one registry for the process, keyed by name. Each handle is an object of
// its own that shares the mutex state with every other handle of that name; the state lives
// as long as anything (a handle, a thread waiting on it, its owner) still refers to it.
//
// Waits are measured on the real steady clock, never on the installed platform clock: a
// simulated board's clock only moves when the program waits on it, so a lock time-out measured
// on it could never expire.
#include "platform/NamedMutex.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {

namespace {

// The mutex itself, shared by every handle of its name.
struct CMutexState {
    std::mutex m_Lock;                 // guards the fields below
    std::condition_variable m_Released;
    std::thread::id m_Owner;           // default id: nobody owns it
    uint32_t m_dwCount = 0;            // recursion depth of the owner
    bool m_bAbandoned = false;         // its owner ended while holding it
    // Guarded by the registry lock, not by m_Lock:
    std::string m_strName;             // empty for an unnamed mutex
    unsigned m_nHandles = 0;
};

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
            if (pState->m_Owner != self)
                continue;
            pState->m_Owner = std::thread::id();
            pState->m_dwCount = 0;
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
    HMUTEX hOpen(const char* pszName, bool& bCreated)
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        std::shared_ptr<CMutexState> pState;
        const bool bNamed = pszName != nullptr && pszName[0] != '\0';
        if (bNamed) {
            auto it = m_Named.find(pszName);
            if (it != m_Named.end())
                pState = it->second;
        }
        bCreated = pState == nullptr;
        if (bCreated) {
            pState = std::make_shared<CMutexState>();
            if (bNamed) {
                pState->m_strName = pszName;
                m_Named.emplace(pState->m_strName, pState);
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
            if (--pState->m_nHandles == 0 && !pState->m_strName.empty())
                m_Named.erase(pState->m_strName);
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
    std::unordered_map<std::string, std::shared_ptr<CMutexState>> m_Named;
    std::unordered_set<HMUTEX> m_Handles;
};

// Never destroyed: objects with static storage may still close their handles at exit.
CMutexRegistry& Registry()
{
    static CMutexRegistry* pRegistry = new CMutexRegistry;
    return *pRegistry;
}

// Takes a free mutex for the calling thread; m_Lock is held by the caller.
uint32_t dwTake(CMutexState& state)
{
    state.m_Owner = std::this_thread::get_id();
    state.m_dwCount = 1;
    const bool bAbandoned = state.m_bAbandoned;
    state.m_bAbandoned = false;
    return bAbandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

}  // namespace

HMUTEX CreateMutexA(bool bInitialOwner, const char* pszName)
{
    bool bCreated = false;
    HMUTEX hMutex = Registry().hOpen(pszName, bCreated);
    // As on Windows, the flag only counts for a mutex this call created; an existing named
    // mutex is opened as it is (and never taken away from another owner).
    if (bInitialOwner && bCreated && !t_bThreadEnding) {
        {
            std::lock_guard<std::mutex> lock(hMutex->m_pState->m_Lock);
            dwTake(*hMutex->m_pState);
        }
        t_Owned.vAdd(hMutex->m_pState);
    }
    return hMutex;
}

uint32_t WaitForSingleObject(HMUTEX hMutex, uint32_t dwMilliseconds)
{
    std::shared_ptr<CMutexState> pState = Registry().pFind(hMutex);
    if (pState == nullptr || t_bThreadEnding)
        return WAIT_FAILED;

    const std::thread::id self = std::this_thread::get_id();
    uint32_t dwResult;
    {
        std::unique_lock<std::mutex> lock(pState->m_Lock);
        if (pState->m_Owner == self) {
            if (pState->m_dwCount == std::numeric_limits<uint32_t>::max())
                return WAIT_FAILED;
            pState->m_dwCount++;
            return WAIT_OBJECT_0;
        }
        auto bFree = [&pState] { return pState->m_Owner == std::thread::id(); };
        if (dwMilliseconds == INFINITE) {
            pState->m_Released.wait(lock, bFree);
        } else if (dwMilliseconds == 0) {
            if (!bFree())
                return WAIT_TIMEOUT;
        } else {
            const auto deadline =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
            if (!pState->m_Released.wait_until(lock, deadline, bFree))
                return WAIT_TIMEOUT;
        }
        dwResult = dwTake(*pState);
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
        if (pState->m_Owner != std::this_thread::get_id())
            return false;
        if (--pState->m_dwCount != 0)
            return true;
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

size_t nOpenMutexHandles()
{
    return Registry().nHandles();
}

}  // namespace platform
