// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/SysfsPCIConfig.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace kit {

namespace {
uint32_t dwFunctionKey(unsigned nBus, unsigned nDevice, unsigned nFunction)
{
    return (nBus & 0xFF) << 8 | (nDevice & 31) << 3 | (nFunction & 7);
}
}  // namespace

CSysfsPCIConfig::CSysfsPCIConfig(std::string strRoot) : m_strRoot(std::move(strRoot)) {}

CSysfsPCIConfig::~CSysfsPCIConfig() { vCloseAll(); }

bool CSysfsPCIConfig::bAvailable() const
{
    DIR* pDir = opendir(m_strRoot.c_str());
    if (!pDir) return false;
    bool bFound = false;
    while (dirent* pEntry = readdir(pDir))
        if (std::strncmp(pEntry->d_name, "0000:", 5) == 0) {
            bFound = true;
            break;
        }
    closedir(pDir);
    return bFound;
}

void CSysfsPCIConfig::vCloseAll()
{
    for (auto& [dwKey, nFd] : m_Files)
        if (nFd >= 0) close(nFd);
    m_Files.clear();
    m_Present.clear();
    m_bListed = false;
    vForgetHeader();
}

void CSysfsPCIConfig::vListFunctions()
{
    m_bListed = true;
    DIR* pDir = opendir(m_strRoot.c_str());
    if (!pDir) return;
    while (dirent* pEntry = readdir(pDir)) {
        unsigned nBus, nDevice, nFunction;
        char cEnd;
        if (std::sscanf(pEntry->d_name, "0000:%2x:%2x.%1x%c", &nBus, &nDevice, &nFunction, &cEnd) == 3 &&
            nDevice < 32 && nFunction < 8)
            m_Present.insert(nBus << 8 | nDevice << 3 | nFunction);
    }
    closedir(pDir);
}

int CSysfsPCIConfig::nOpen(unsigned nBus, unsigned nDevice, unsigned nFunction)
{
    const uint32_t dwKey = dwFunctionKey(nBus, nDevice, nFunction);
    auto it = m_Files.find(dwKey);
    if (it != m_Files.end()) return it->second;
    if (!m_bListed) vListFunctions();
    if (!m_Present.count(dwKey)) return -1;  // most of the scan's probes: nothing is kept for them
    char szPath[512];
    std::snprintf(szPath, sizeof szPath, "%s/0000:%02x:%02x.%x/config", m_strRoot.c_str(), nBus & 0xFF, nDevice & 31,
                  nFunction & 7);
    int nFd = open(szPath, O_RDWR | O_CLOEXEC);
    if (nFd < 0) nFd = open(szPath, O_RDONLY | O_CLOEXEC);
    m_Files[dwKey] = nFd;
    return nFd;
}

uint32_t CSysfsPCIConfig::dwRead(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset, unsigned nWidth)
{
    const uint32_t dwAllOnes = nWidth >= 4 ? 0xFFFFFFFF : (1u << (8 * nWidth)) - 1;
    const uint32_t dwKey = dwFunctionKey(nBus, nDevice, nFunction);
    const bool bDword = nWidth == 4 && !(nOffset & 3);
    uint32_t dwValue = 0;
    if (bDword && dwKey == m_dwHeaderKey && nOffset >= m_nHeaderNext && nOffset < HEADER_BYTES) {
        std::memcpy(&dwValue, m_abHeader + nOffset, 4);
        m_nHeaderNext = nOffset + 4;
        return dwValue;
    }
    const bool bHeaderRead = bDword && nOffset == 4 && dwKey == m_dwProbedKey;
    vForgetHeader();
    const int nFd = nOpen(nBus, nDevice, nFunction);
    if (nFd < 0) return dwAllOnes;
    if (bHeaderRead &&
        pread(nFd, m_abHeader + 4, HEADER_BYTES - 4, 4) == static_cast<ssize_t>(HEADER_BYTES - 4)) {
        std::memcpy(&dwValue, m_abHeader + 4, 4);
        m_dwHeaderKey = dwKey;
        m_nHeaderNext = 8;
        return dwValue;
    }
    if (pread(nFd, &dwValue, nWidth, nOffset) != static_cast<ssize_t>(nWidth)) return dwAllOnes;
    if (bDword && nOffset == 0) m_dwProbedKey = dwKey;
    return dwValue;
}

bool CSysfsPCIConfig::bWrite(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset, unsigned nWidth,
                             uint32_t dwValue)
{
    vForgetHeader();
    const int nFd = nOpen(nBus, nDevice, nFunction);
    if (nFd < 0) return true;  // nothing answers there: the write goes nowhere, as on the bus
    return pwrite(nFd, &dwValue, nWidth, nOffset) == static_cast<ssize_t>(nWidth);
}

bool CSysfsPCIConfig::bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue)
{
    if (!bIsConfigPort(wPort)) return false;
    if (wPort == 0xCF8 && nWidth == 4) {
        dwValue = m_dwAddressLatch;
        return true;
    }
    const uint32_t dwAllOnes = nWidth >= 4 ? 0xFFFFFFFF : (1u << (8 * nWidth)) - 1;
    if (wPort < 0xCFC || !(m_dwAddressLatch & 0x80000000u) || (wPort - 0xCFC) + nWidth > 4) {
        dwValue = dwAllOnes;
        return true;
    }
    const uint32_t dwA = m_dwAddressLatch;
    dwValue = dwRead((dwA >> 16) & 0xFF, (dwA >> 11) & 31, (dwA >> 8) & 7, (dwA & 0xFC) + (wPort - 0xCFC), nWidth);
    return true;
}

bool CSysfsPCIConfig::bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue)
{
    if (!bIsConfigPort(wPort)) return false;
    if (wPort == 0xCF8 && nWidth == 4) {
        m_dwAddressLatch = dwValue;
        return true;
    }
    if (wPort < 0xCFC || !(m_dwAddressLatch & 0x80000000u) || (wPort - 0xCFC) + nWidth > 4) return true;
    const uint32_t dwA = m_dwAddressLatch;
    return bWrite((dwA >> 16) & 0xFF, (dwA >> 11) & 31, (dwA >> 8) & 7, (dwA & 0xFC) + (wPort - 0xCFC), nWidth,
                  dwValue);
}

}  // namespace kit
