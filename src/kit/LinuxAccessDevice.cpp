// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/LinuxAccessDevice.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/Processors.h"

namespace kit {

CLinuxAccessDevice::CLinuxAccessDevice(std::string strSysfsRoot) : m_strSysfsRoot(std::move(strSysfsRoot)) {}

CLinuxAccessDevice::~CLinuxAccessDevice() { vRelease(); }

bool CLinuxAccessDevice::bPrepare(std::string& strError)
{
#if !defined(__i386__) && !defined(__x86_64__)
    strError = "this machine is not an x86 PC: its clock chips cannot be reached";
    return false;
#else
    if (geteuid() != 0) {
        strError = "hardware access needs root: run the program with sudo (or as root)";
        return false;
    }
    vRelease();
    if (iopl(3) == 0) {
        m_ePorts = PortAccess::Instructions;
    } else if ((m_nDevPort = open("/dev/port", O_RDWR | O_CLOEXEC)) >= 0) {
        m_ePorts = PortAccess::DevPort;
    } else {
        m_ePorts = PortAccess::None;
    }
    m_nDevMem = open("/dev/mem", O_RDWR | O_SYNC | O_CLOEXEC);
    if (m_nDevMem < 0) m_nDevMem = open("/dev/mem", O_RDONLY | O_SYNC | O_CLOEXEC);
    m_nDevMemCached = open("/dev/mem", O_RDONLY | O_CLOEXEC);
    if (m_ePorts == PortAccess::None) {
        m_pSysfs = std::make_unique<CSysfsPCIConfig>(m_strSysfsRoot);
        if (!m_pSysfs->bAvailable()) {
            m_pSysfs.reset();
            strError = "neither I/O ports (iopl, /dev/port) nor PCI configuration (/sys/bus/pci) can be used "
                       "on this machine; a kernel with CONFIG_DEVPORT or a machine where iopl is allowed is needed";
            return false;
        }
    }
    return true;
#endif
}

void CLinuxAccessDevice::vRelease()
{
#if defined(__i386__) || defined(__x86_64__)
    if (m_ePorts == PortAccess::Instructions) iopl(0);
#endif
    m_ePorts = PortAccess::None;
    if (m_nDevPort >= 0) close(m_nDevPort);
    if (m_nDevMem >= 0) close(m_nDevMem);
    if (m_nDevMemCached >= 0) close(m_nDevMemCached);
    m_nDevPort = m_nDevMem = m_nDevMemCached = -1;
    for (auto& [nCpu, nFd] : m_MsrFiles)
        if (nFd >= 0) close(nFd);
    m_MsrFiles.clear();
    m_pSysfs.reset();
}

void CLinuxAccessDevice::vEndSession()
{
    if (m_pSysfs) m_pSysfs->vEndSession();
}

bool CLinuxAccessDevice::bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue)
{
    switch (m_ePorts) {
#if defined(__i386__) || defined(__x86_64__)
    case PortAccess::Instructions:
        dwValue = nWidth == 1 ? inb(wPort) : nWidth == 2 ? inw(wPort) : inl(wPort);
        return true;
#endif
    case PortAccess::DevPort:
        dwValue = 0;
        return pread(m_nDevPort, &dwValue, nWidth, wPort) == static_cast<ssize_t>(nWidth);
    default:
        if (m_pSysfs && CSysfsPCIConfig::bIsConfigPort(wPort)) return m_pSysfs->bPortIn(wPort, nWidth, dwValue);
        vSetFault("I/O ports cannot be used on this machine (no iopl, no /dev/port); only PCI configuration is reachable");
        return false;
    }
}

bool CLinuxAccessDevice::bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue)
{
    switch (m_ePorts) {
#if defined(__i386__) || defined(__x86_64__)
    case PortAccess::Instructions:
        if (nWidth == 1)
            outb(static_cast<uint8_t>(dwValue), wPort);
        else if (nWidth == 2)
            outw(static_cast<uint16_t>(dwValue), wPort);
        else
            outl(dwValue, wPort);
        return true;
#endif
    case PortAccess::DevPort:
        return pwrite(m_nDevPort, &dwValue, nWidth, wPort) == static_cast<ssize_t>(nWidth);
    default:
        if (m_pSysfs && CSysfsPCIConfig::bIsConfigPort(wPort)) return m_pSysfs->bPortOut(wPort, nWidth, dwValue);
        vSetFault("I/O ports cannot be used on this machine (no iopl, no /dev/port); only PCI configuration is reachable");
        return false;
    }
}

bool CLinuxAccessDevice::bMapRead(int nFd, bool bRegisters, uint64_t qwAddress, uint32_t nCount, void* pBuffer)
{
    if (nFd < 0 || (bRegisters && ((qwAddress & 3) || (nCount & 3)))) return false;
    const long nPage = sysconf(_SC_PAGESIZE);
    const uint64_t qwStart = qwAddress & ~uint64_t(nPage - 1);
    const size_t nLength = static_cast<size_t>(qwAddress + nCount - qwStart);
    void* pMap = mmap(nullptr, nLength, PROT_READ, MAP_SHARED, nFd, static_cast<off_t>(qwStart));
    if (pMap == MAP_FAILED) return false;
    const uint8_t* pSource = static_cast<uint8_t*>(pMap) + (qwAddress - qwStart);
    if (bRegisters) {
        // Device registers are read in aligned dwords, as the hardware wants them.
        const volatile uint32_t* pRegisters = reinterpret_cast<const volatile uint32_t*>(pSource);
        for (uint32_t i = 0; i < nCount / 4; ++i) {
            const uint32_t dw = pRegisters[i];
            std::memcpy(static_cast<uint8_t*>(pBuffer) + 4 * i, &dw, 4);
        }
    } else {
        std::memcpy(pBuffer, pSource, nCount);
    }
    munmap(pMap, nLength);
    return true;
}

bool CLinuxAccessDevice::bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer)
{
    if (nCount == 0) return true;
    if (m_nDevMem < 0) {
        vSetFault("physical memory cannot be read: /dev/mem is missing or not readable");
        return false;
    }
    if (pread(m_nDevMem, pBuffer, nCount, static_cast<off_t>(qwAddress)) == static_cast<ssize_t>(nCount)) return true;
    // Device registers (the local APIC, the enhanced configuration window) through an uncached
    // mapping; firmware tables in reserved memory, which the kernel keeps mapped write-back and
    // will neither read() nor map uncached, through a write-back mapping.
    if (bMapRead(m_nDevMem, true, qwAddress, nCount, pBuffer)) return true;
    if (bMapRead(m_nDevMemCached, false, qwAddress, nCount, pBuffer)) return true;
    vSetFault("the kernel refused to read physical memory at this address (/dev/mem)");
    return false;
}

bool CLinuxAccessDevice::bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue)
{
    if (m_nDevMem < 0) {
        vSetFault("physical memory cannot be written: /dev/mem is missing or not writable");
        return false;
    }
    if (pwrite(m_nDevMem, &dwValue, 4, static_cast<off_t>(qwAddress)) == 4) return true;
    vSetFault("the kernel refused to write physical memory at this address (/dev/mem)");
    return false;
}

int CLinuxAccessDevice::nMsrFile(unsigned nCpu)
{
    auto it = m_MsrFiles.find(nCpu);
    if (it != m_MsrFiles.end()) return it->second;
    char szPath[64];
    std::snprintf(szPath, sizeof szPath, "/dev/cpu/%u/msr", nCpu);
    int nFd = open(szPath, O_RDWR | O_CLOEXEC);
    if (nFd < 0) nFd = open(szPath, O_RDONLY | O_CLOEXEC);
    if (nFd < 0) {
        if (errno == ENOENT)
            vSetFault(std::string(szPath) + " is missing: load the msr module (modprobe msr)");
        else
            vSetFault(std::string(szPath) + ": " + std::strerror(errno));
        return -1;  // not cached: the module may be loaded later
    }
    m_MsrFiles[nCpu] = nFd;
    return nFd;
}

bool CLinuxAccessDevice::bReadMsr(uint32_t dwIndex, uint64_t& qwValue)
{
    const int nFd = nMsrFile(platform::Processors().nPinnedProcessor());
    if (nFd < 0) return false;
    if (pread(nFd, &qwValue, 8, dwIndex) == 8) return true;
    vSetFault("the processor does not have this MSR (or the kernel refused to read it)");
    return false;
}

bool CLinuxAccessDevice::bWriteMsr(uint32_t dwIndex, uint64_t qwValue)
{
    const int nFd = nMsrFile(platform::Processors().nPinnedProcessor());
    if (nFd < 0) return false;
    if (pwrite(nFd, &qwValue, 8, dwIndex) == 8) return true;
    vSetFault("the processor refused the MSR write (or the kernel does not allow MSR writes)");
    return false;
}

namespace {

// The last component of the link's target; empty when it is not a readable link.
std::string strLinkName(const std::string& strLink)
{
    char szTarget[4096];
    const ssize_t n = readlink(strLink.c_str(), szTarget, sizeof szTarget - 1);
    if (n <= 0) return {};
    szTarget[n] = 0;
    const char* pszSlash = std::strrchr(szTarget, '/');
    return pszSlash ? pszSlash + 1 : szTarget;
}

}  // namespace

bool CLinuxAccessDevice::bMayDriveSMBus(unsigned nBus, unsigned nDevice, unsigned nFunction, std::string& strReason)
{
    char szFunction[32];
    std::snprintf(szFunction, sizeof szFunction, "0000:%02x:%02x.%x", nBus & 0xFF, nDevice & 0x1F, nFunction & 7);
    const std::string strDriverLink = m_strSysfsRoot + "/" + szFunction + "/driver";
    struct stat st {};
    if (lstat(strDriverLink.c_str(), &st) != 0) return true;  // no driver bound

    std::string strDriver = strLinkName(strDriverLink);
    if (strDriver.empty()) strDriver = "unknown";
    if (m_bForce) return true;
    strReason = strKernelDriverRefusal(nBus, nDevice, nFunction, strDriver, strLinkName(strDriverLink + "/module"));
    return false;
}

}  // namespace kit
