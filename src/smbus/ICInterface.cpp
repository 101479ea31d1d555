// SPDX-License-Identifier: GPL-2.0-or-later
#include "smbus/ICInterface.h"

#include "smbus/ICCommandSet.h"

CICInterface::CICInterface() : CInterface(INTERFACE_IC), m_pCommandSet(nullptr), m_hMutex(nullptr), m_dwReserved(0xFFFFFFFF)
{
}

CICInterface::~CICInterface()
{
    // The lock goes with the interface, whether it ever started or not.
    CICInterface::Close();
    delete m_pCommandSet;
    m_pCommandSet = nullptr;
}

void CICInterface::Close()
{
    if (!m_hMutex) return;
    platform::ReleaseMutex(m_hMutex);
    platform::CloseHandle(m_hMutex);
    m_hMutex = nullptr;
}

uint32_t CICInterface::bWriteDump(const uint8_t*, uint32_t) { return 0; }

bool CICInterface::Lock(uint32_t dwMilliseconds)
{
    const uint32_t dwWait = platform::WaitForSingleObject(m_hMutex, dwMilliseconds);
    // An abandoned wait hands the lock over while the caller is told to keep off the chip:
    // it is given back at once, or no thread could ever take it again.
    if (dwWait == platform::WAIT_ABANDONED) platform::ReleaseMutex(m_hMutex);
    return dwWait == platform::WAIT_OBJECT_0;
}

void CICInterface::Unlock() { platform::ReleaseMutex(m_hMutex); }
