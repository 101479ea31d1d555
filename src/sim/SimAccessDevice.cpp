// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimAccessDevice.h"

#include <cstdlib>

#include "platform/Clock.h"
#include "platform/Processors.h"
#include "sim/RecordFile.h"

namespace sim {

CSimAccessDevice::CSimAccessDevice(std::unique_ptr<CSimBoard> pBoard) : m_pBoard(std::move(pBoard)) {}

CSimAccessDevice::~CSimAccessDevice()
{
    vRelease();
}

bool CSimAccessDevice::bPrepare(std::string& strError)
{
    if (!m_pBoard) {
        strError = "The simulated board is missing.";
        return false;
    }
    platform::SetClock(&m_pBoard->Clock());
    platform::SetProcessors(&m_pBoard->Processors());
    m_bInstalled = true;
    return true;
}

void CSimAccessDevice::vRelease()
{
    if (!m_bInstalled)
        return;
    if (const char* pszRecord = std::getenv(SIM_RECORD_VARIABLE); pszRecord && *pszRecord)
        bAppendRecord(*m_pBoard, pszRecord);
    // Put the real ones back only where this board's are still in force: another device
    // prepared since then keeps its own.
    if (&platform::Clock() == &m_pBoard->Clock())
        platform::SetClock(nullptr);
    if (&platform::Processors() == &m_pBoard->Processors())
        platform::SetProcessors(nullptr);
    m_bInstalled = false;
}

bool CSimAccessDevice::bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue)
{
    return m_pBoard->bPortIn(wPort, nWidth, dwValue);
}

bool CSimAccessDevice::bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue)
{
    return m_pBoard->bPortOut(wPort, nWidth, dwValue);
}

bool CSimAccessDevice::bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer)
{
    return m_pBoard->bReadPhysical(qwAddress, nCount, pBuffer);
}

bool CSimAccessDevice::bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue)
{
    return m_pBoard->bWritePhysicalDword(qwAddress, dwValue);
}

bool CSimAccessDevice::bReadMsr(uint32_t dwIndex, uint64_t& qwValue)
{
    return m_pBoard->bReadMsr(m_pBoard->Processors().nPinnedProcessor(), dwIndex, qwValue);
}

bool CSimAccessDevice::bWriteMsr(uint32_t dwIndex, uint64_t qwValue)
{
    return m_pBoard->bWriteMsr(m_pBoard->Processors().nPinnedProcessor(), dwIndex, qwValue);
}

bool CSimAccessDevice::bMayDriveSMBus(unsigned nBus, unsigned nDevice, unsigned nFunction, std::string& strReason)
{
    const std::string strDriver = m_pBoard->strKernelDriver(nBus, nDevice, nFunction);
    if (strDriver.empty() || m_bForce) return true;
    strReason = strKernelDriverRefusal(nBus, nDevice, nFunction, strDriver, "");
    return false;
}

}  // namespace sim
