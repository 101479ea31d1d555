// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace app {

struct CStopSignals::State {
    const char* m_pszProgram;
    std::mutex m_Lock;
    std::condition_variable m_Signalled;
    bool m_bStarted = false;
    int m_nSignal = 0;
};

namespace {

sigset_t StopSet()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// The signal thread: a signal before the start is over, or a second one, ends the process.
void vRunSignalThread(CStopSignals::State* pState)
{
    const sigset_t signals = StopSet();
    for (;;) {
        int nSignal = 0;
        if (sigwait(&signals, &nSignal) != 0) continue;
        std::unique_lock<std::mutex> lock(pState->m_Lock);
        if (!pState->m_bStarted || pState->m_nSignal != 0) {
            // The other threads may hold any lock (the heap's, stdio's): nothing but a
            // formatted line on the stack, a write and _exit.
            char szLine[96];
            const int n = std::snprintf(szLine, sizeof(szLine), "%s: stopped by signal %d%s\n", pState->m_pszProgram,
                                        nSignal, pState->m_bStarted ? "" : " during the start");
            if (n > 0) (void)!write(STDERR_FILENO, szLine, size_t(n));
            _exit(128 + nSignal);
        }
        pState->m_nSignal = nSignal;
        pState->m_Signalled.notify_all();
    }
}

}  // namespace

CStopSignals::CStopSignals(const char* pszProgram) : m_pState(new State)
{
    m_pState->m_pszProgram = pszProgram;
    const sigset_t signals = StopSet();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(vRunSignalThread, m_pState).detach();
}

CStopSignals::~CStopSignals() = default;

void CStopSignals::vStarted()
{
    std::lock_guard<std::mutex> lock(m_pState->m_Lock);
    m_pState->m_bStarted = true;
}

int CStopSignals::nWait()
{
    std::unique_lock<std::mutex> lock(m_pState->m_Lock);
    m_pState->m_Signalled.wait(lock, [this] { return m_pState->m_nSignal != 0; });
    return m_pState->m_nSignal;
}

int CStopSignals::nWaitFor(int nMilliseconds)
{
    std::unique_lock<std::mutex> lock(m_pState->m_Lock);
    m_pState->m_Signalled.wait_for(lock, std::chrono::milliseconds(nMilliseconds),
                                 [this] { return m_pState->m_nSignal != 0; });
    return m_pState->m_nSignal;
}

}  // namespace app
