// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/ACPITimer.h"

#include "kit/DeviceDriver.h"
#include "kit/IOSpace.h"
#include "kit/ORVEXSDK.h"

CACPITimer::CACPITimer(uint16_t wPort) : CTimer(NOMINAL_FREQUENCY, double(COUNT_MASK)), m_pPort(nullptr)
{
    m_pPort = new CPortIOSpace(wPort, 4);
    ORVEXSDK::Instance()->AddIOSpace(m_pPort);
}

uint16_t CACPITimer::wPort() const { return static_cast<uint16_t>(m_pPort->m_dwBase); }

int CACPITimer::Calibrate(CTimer*)
{
    CDeviceDriver* pDriver = ORVEXSDK::Instance()->m_pDriver;
    if (!pDriver) return 0;
    const double dFrequency = pDriver->fMeasurePMTimerFrequency(m_pPort->m_dwBase);
    if (!(dFrequency > 0.0)) return 0;
    m_dFrequency = dFrequency;
    return 1;
}

double CACPITimer::Read()
{
    const uint32_t dwCount = m_pPort->ReadDword(0);
    if (dwCount == 0xFFFFFFFF) return -1.0;
    return double(dwCount & COUNT_MASK);
}
