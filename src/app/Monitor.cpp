// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Monitor.h"

#include <chrono>
#include <system_error>

#include "cpu/CPUInterface.h"
#include "discovery/ChipsetInterface.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"

namespace app {

bool RefreshMeasurements(ORVEXSDK* pKit, const std::function<void()>& pfnAfter)
{
    if (!pKit || !pKit->Lock(MONITOR_KIT_LOCK_MS)) return false;
    auto* pCPU = static_cast<CCPUInterface*>(pKit->FindInterface(INTERFACE_CPU));
    auto* pChipset = static_cast<CChipsetInterface*>(pKit->FindInterface(INTERFACE_CHIPSET));
    uint32_t dwError = 0;
    const bool bOpen = pKit->m_pDriver && pKit->m_pDriver->bOpenDevice(dwError);
    if (bOpen) {
        if (pCPU) pCPU->UpdateClocks();
        if (pChipset) pChipset->Refresh();
        pKit->m_pDriver->vCloseDevice();
        if (pfnAfter) pfnAfter();
    }
    pKit->Unlock();
    return bOpen;
}

CMonitor::~CMonitor()
{
    vStop();
}

bool CMonitor::bStart(ORVEXSDK* pKit, std::function<void()> pfnAfter, uint32_t dwPeriodMs)
{
    if (m_Thread.joinable()) return true;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bStop = false;
    }
    try {
        m_Thread = std::thread(&CMonitor::vRun, this, pKit, std::move(pfnAfter), dwPeriodMs);
    } catch (const std::system_error&) {
        return false;  // no thread: no refresh of the measurements
    }
    return true;
}

void CMonitor::vStop()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bStop = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) m_Thread.join();
}

uint64_t CMonitor::qwRefreshes() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_qwRefreshes;
}

void CMonitor::vRun(ORVEXSDK* pKit, std::function<void()> pfnAfter, uint32_t dwPeriodMs)
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    while (!m_bStop) {
        lock.unlock();
        const bool bDone = RefreshMeasurements(pKit, pfnAfter);
        lock.lock();
        if (bDone) ++m_qwRefreshes;
        // Real time, whatever clock the board runs on; vStop cuts the wait short.
        m_Wake.wait_for(lock, std::chrono::milliseconds(dwPeriodMs), [this] { return m_bStop; });
    }
}

}  // namespace app
