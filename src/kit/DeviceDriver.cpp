// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/DeviceDriver.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "kit/DriverProtocol.h"
#include "kit/Trace.h"
#include "kit/WriteTrace.h"
#include "platform/Processors.h"

using kit::DebugTrace;

namespace {

constexpr uint32_t PLATFORM_9X = 1;
constexpr uint32_t PLATFORM_NT = 2;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t DRIVER_MUTEX_WAIT_MS = 2000;
constexpr uint32_t WIN9X_DRIVER_VERSION = 293;
// wProcessorArchitecture values of the native system.
constexpr uint32_t PROCESSOR_ARCHITECTURE_INTEL = 0;
constexpr uint32_t PROCESSOR_ARCHITECTURE_AMD64 = 9;
// Configuration mechanism #1: the address port and the four data port bytes.
constexpr uint32_t PCI_ADDRESS_PORT = 0xCF8;
constexpr uint32_t PCI_DATA_PORT = 0xCFC;
constexpr uint32_t PCI_CONFIG_ENABLE = 0x80000000;

template <size_t N>
void vCopy(char (&szTarget)[N], const char* pszSource)
{
    std::snprintf(szTarget, N, "%s", pszSource ? pszSource : "");
}

template <size_t N>
void vAppend(char (&szTarget)[N], const char* pszSource)
{
    const size_t nLength = std::strlen(szTarget);
    std::snprintf(szTarget + nLength, N - nLength, "%s", pszSource);
}

}  // namespace

CDeviceDriver::CDeviceDriver(std::unique_ptr<CAccessDevice> pAccess)
    : m_szCurDir{},
      m_hDevice(INVALID_HANDLE_VALUE),
      m_bInstall(0),
      m_szMachineName{},
      m_szPath{},
      m_szDriverName{},
      m_szServiceName{},
      m_szHostName{},
      m_dwPlatformId(0xFFFFFFFF),
      m_bWow64(0),
      m_wProcessorArchitecture(0xFFFFFFFF),
      m_hDriverMutex(nullptr),
      m_pAccess(std::move(pAccess))
{
}

CDeviceDriver::~CDeviceDriver()
{
    if (m_hDevice != INVALID_HANDLE_VALUE) vCloseDevice();
    if (m_bPrepared && m_pAccess) m_pAccess->vRelease();
    if (m_hDriverMutex) platform::CloseHandle(m_hDriverMutex);
}

uint32_t CDeviceDriver::bInitDriver(const char* pszPath, const char* pszDriverName, const char* pszMutexName,
                                    uint32_t bInstall)
{
    DebugTrace("bInitDriver(%s, %s, %s, %d)\n", pszPath ? pszPath : "(null)", pszDriverName ? pszDriverName : "",
               pszMutexName ? pszMutexName : "", bInstall);
    if (!getcwd(m_szCurDir, sizeof m_szCurDir)) m_szCurDir[0] = 0;
    DebugTrace("GetCurrentDirectory = %s\n", m_szCurDir);

    if (!m_hDriverMutex) m_hDriverMutex = platform::CreateMutexA(false, pszMutexName);
    DebugTrace("m_hDriverMutex = %X\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_hDriverMutex)));
    m_bInstall = bInstall;
    vCopy(m_szPath, pszPath ? pszPath : m_szCurDir);
    DebugTrace("m_szPath = %s\n", m_szPath);
    vCopy(m_szDriverName, pszDriverName);
    if (gethostname(m_szMachineName, sizeof m_szMachineName - 1) != 0) m_szMachineName[0] = 0;

    // Every access device speaks the NT request protocol.
    m_dwPlatformId = PLATFORM_NT;
#if defined(__x86_64__)
    m_wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    m_bWow64 = 0;
#else
    m_wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    m_bWow64 = 0;
#endif
    vCopy(m_szServiceName, "vexa126");
    vAppend(m_szDriverName, m_bWow64 ? "64.sys" : ".sys");
    DebugTrace("m_szDriverName = %s\n", m_szDriverName);

    const bool bOk = bPrepareDevice();
    DebugTrace("bInitDriver returned %d\n", bOk ? 1 : 0);
    return bOk ? 1 : 0;
}

bool CDeviceDriver::bPrepareDevice()
{
    if (!m_pAccess) {
        m_strError = "no access device";
        return false;
    }
    if (m_bPrepared) return true;
    m_strError.clear();
    m_bPrepared = m_pAccess->bPrepare(m_strError);
    if (!m_bPrepared) DebugTrace("Unable to prepare the %s access device: %s\n", m_pAccess->szName(), m_strError.c_str());
    return m_bPrepared;
}

uint32_t CDeviceDriver::bOpenDevice(uint32_t& dwError)
{
    DebugTrace("bOpenDevice\n");
    if (!m_hDriverMutex) {
        DebugTrace("bOpenDevice : m_hDriverMutex NULL\n");
        return 0;
    }
    const uint32_t dwWait = platform::WaitForSingleObject(m_hDriverMutex, DRIVER_MUTEX_WAIT_MS);
    if (dwWait != platform::WAIT_OBJECT_0) {
        DebugTrace("bOpenDevice : WaitForSingleObject error = %d\n", dwWait);
        // An abandoned wait hands the mutex over; a failed open gives it back, so that no
        // caller can leave the driver locked for every other thread.
        if (dwWait == platform::WAIT_ABANDONED) platform::ReleaseMutex(m_hDriverMutex);
        dwError = dwWait;
        return 0;
    }
    if (m_dwPlatformId != PLATFORM_NT && m_dwPlatformId != PLATFORM_9X) {
        platform::ReleaseMutex(m_hDriverMutex);
        dwError = DRIVER_ERROR_PLATFORM;
        return 0;
    }
    // An access device that is not ready yet is prepared once more before giving up, as a
    // driver service that has gone away is installed again.
    if (!m_bPrepared && !bPrepareDevice()) {
        platform::ReleaseMutex(m_hDriverMutex);
        dwError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    m_hDevice = 1;
    return 1;
}

void CDeviceDriver::vCloseDevice()
{
    DebugTrace("vCloseDevice\n");
    if (m_hDevice != INVALID_HANDLE_VALUE && m_pAccess) m_pAccess->vEndSession();
    m_hDevice = INVALID_HANDLE_VALUE;
    const bool bReleased = platform::ReleaseMutex(m_hDriverMutex);
    DebugTrace("vCloseDevice release mutex = %d\n", bReleased ? 1 : 0);
}

uint32_t CDeviceDriver::dwGetVersion(uint32_t& dwVersion)
{
    if (m_hDevice == INVALID_HANDLE_VALUE) return 0;
    if (m_dwPlatformId == PLATFORM_9X) {
        dwVersion = WIN9X_DRIVER_VERSION;
        return 1;
    }
    uint32_t dwOut = 0;
    if (!bRequest(driver::IOCTL_GET_VERSION, nullptr, 0, &dwOut, 4)) {
        dwVersion = 0xFFFFFFFF;
        return 0;
    }
    dwVersion = dwOut;
    return 1;
}

void CDeviceDriver::vUnloadDriver()
{
    if (m_hDevice != INVALID_HANDLE_VALUE) m_hDevice = INVALID_HANDLE_VALUE;
    if (m_bPrepared && m_pAccess) m_pAccess->vRelease();
    m_bPrepared = false;
    if (m_hDriverMutex) {
        platform::CloseHandle(m_hDriverMutex);
        m_hDriverMutex = nullptr;
    }
}

bool CDeviceDriver::bUsable() const
{
    return m_hDevice != INVALID_HANDLE_VALUE && (m_dwPlatformId == PLATFORM_NT || m_dwPlatformId == PLATFORM_9X) &&
           m_pAccess;
}

bool CDeviceDriver::bRequest(uint32_t dwCode, const void* pIn, uint32_t nIn, void* pOut, uint32_t nOut)
{
    if (!bUsable()) return false;
    uint32_t dwReturned = 0;
    return m_pAccess->bIoControl(dwCode, pIn, nIn, pOut, nOut, &dwReturned);
}

uint32_t CDeviceDriver::bReadMSR(uint32_t dwIndex, uint32_t& dwHigh, uint32_t& dwLow)
{
    dwHigh = 0xFFFFFFFF;
    dwLow = 0xFFFFFFFF;
    uint32_t adwOut[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    if (!bRequest(driver::IOCTL_READ_MSR, &dwIndex, 4, adwOut, 8)) return 0;
    dwLow = adwOut[0];
    dwHigh = adwOut[1];
    // A register that answers all ones in both halves is taken as not readable.
    return (dwLow == 0xFFFFFFFF && dwHigh == 0xFFFFFFFF) ? 0 : 1;
}

uint32_t CDeviceDriver::bWriteMSR(uint32_t dwIndex, uint32_t dwHigh, uint32_t dwLow)
{
    const uint32_t adwIn[3] = {dwIndex, dwHigh, dwLow};
    uint32_t adwOut[2] = {0, 0};
    const uint32_t bOk = bRequest(driver::IOCTL_WRITE_MSR, adwIn, 12, adwOut, 8) && adwOut[0] != 0xFFFFFFFF ? 1 : 0;
    if (kit::bListWrites())
        kit::vTraceWrite(kit::strMSRWriteLine(dwIndex, platform::Processors().nPinnedProcessor(),
                                              uint64_t(dwHigh) << 32 | dwLow),
                         bOk);
    return bOk;
}

uint32_t CDeviceDriver::bReadPort(uint32_t dwCode, uint32_t dwPort, uint32_t& dwValue)
{
    dwValue = 0;
    uint32_t dwOut = 0;
    if (!bRequest(dwCode, &dwPort, 4, &dwOut, 4)) return 0;
    dwValue = dwOut;
    return 1;
}

uint32_t CDeviceDriver::bWritePort(uint32_t dwCode, uint32_t dwPort, uint32_t dwValue, unsigned nWidth)
{
    const uint32_t adwIn[2] = {dwPort, dwValue};
    const uint32_t bOk = bRequest(dwCode, adwIn, 8, nullptr, 0) ? 1 : 0;
    if (kit::bTraceEnabled()) vTracePortWrite(dwPort, nWidth, dwValue, bOk);
    return bOk;
}

void CDeviceDriver::vTracePortWrite(uint32_t dwPort, unsigned nWidth, uint32_t dwValue, bool bOk)
{
    // An address put into 0xCF8 only selects the register the data ports reach; it is kept
    // (also inside an SMBus transaction, whose controller may sit in configuration space) so
    // that the data port write that follows is listed as the configuration write it is.
    if (dwPort == PCI_ADDRESS_PORT && nWidth == 4) {
        m_dwTracedConfigAddress = bOk ? dwValue : 0;
        return;
    }
    if (!kit::bListWrites()) return;
    const uint32_t dwAddress = m_dwTracedConfigAddress;
    if (dwPort >= PCI_DATA_PORT && dwPort + nWidth <= PCI_DATA_PORT + 4 && (dwAddress & PCI_CONFIG_ENABLE)) {
        kit::vTraceWrite(kit::strConfigWriteLine(dwAddress >> 16 & 0xFF, dwAddress >> 11 & 31, dwAddress >> 8 & 7,
                                                 (dwAddress & 0xFC) + (dwPort - PCI_DATA_PORT), nWidth, dwValue),
                         bOk);
        return;
    }
    kit::vTraceWrite(kit::strPortWriteLine(dwPort, nWidth, dwValue), bOk);
}

uint32_t CDeviceDriver::bReadPortByte(uint32_t dwPort, uint8_t& bValue)
{
    uint32_t dw;
    const uint32_t bOk = bReadPort(driver::IOCTL_READ_PORT_BYTE, dwPort, dw);
    bValue = static_cast<uint8_t>(dw);
    return bOk;
}

uint32_t CDeviceDriver::bReadPortWord(uint32_t dwPort, uint16_t& wValue)
{
    uint32_t dw;
    const uint32_t bOk = bReadPort(driver::IOCTL_READ_PORT_WORD, dwPort, dw);
    wValue = static_cast<uint16_t>(dw);
    return bOk;
}

uint32_t CDeviceDriver::bReadPortDword(uint32_t dwPort, uint32_t& dwValue)
{
    return bReadPort(driver::IOCTL_READ_PORT_DWORD, dwPort, dwValue);
}

uint32_t CDeviceDriver::bWritePortByte(uint32_t dwPort, uint32_t dwValue)
{
    return bWritePort(driver::IOCTL_WRITE_PORT_BYTE, dwPort, dwValue & 0xFF, 1);
}

uint32_t CDeviceDriver::bWritePortWord(uint32_t dwPort, uint32_t dwValue)
{
    return bWritePort(driver::IOCTL_WRITE_PORT_WORD, dwPort, dwValue & 0xFFFF, 2);
}

uint32_t CDeviceDriver::bWritePortDword(uint32_t dwPort, uint32_t dwValue)
{
    return bWritePort(driver::IOCTL_WRITE_PORT_DWORD, dwPort, dwValue, 4);
}

uint32_t CDeviceDriver::bReadPhysicalMemory(uint32_t dwAddress, uint32_t dwCount, void* pBuffer)
{
    const driver::ReadMemoryInput input{dwAddress, dwCount, pBuffer};
    return bRequest(driver::IOCTL_READ_PHYSICAL_MEMORY, &input, sizeof input, nullptr, 0) ? 1 : 0;
}

uint32_t CDeviceDriver::bWritePhysicalMemoryDword(uint32_t dwAddress, uint32_t dwValue)
{
    const uint32_t adwIn[2] = {dwAddress, dwValue};
    const uint32_t bOk = bRequest(driver::IOCTL_WRITE_PHYSICAL_DWORD, adwIn, 8, nullptr, 0) ? 1 : 0;
    if (kit::bListWrites()) kit::vTraceWrite(kit::strMemoryWriteLine(dwAddress, dwValue), bOk);
    return bOk;
}

double CDeviceDriver::fMeasurePMTimerFrequency(uint32_t dwPort)
{
    if (m_dwPlatformId != PLATFORM_NT) return -1.0;
    const uint32_t adwIn[2] = {dwPort, dwPort};
    uint32_t adwOut[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    bRequest(driver::IOCTL_MEASURE_PM_TIMER, adwIn, 8, adwOut, 8);
    if (adwOut[0] == 0xFFFFFFFF || adwOut[1] == 0xFFFFFFFF) return -1.0;
    // An empty measurement window would divide by zero: it is a failed measurement.
    if (adwOut[1] == 0) return -1.0;
    return double(adwOut[0]) * 10000000.0 / double(adwOut[1]);
}

float CDeviceDriver::fMeasureAPICClock(double dFrequency, uint32_t dwPMTimerPort, uint32_t dwApicBase)
{
    if (m_hDevice == INVALID_HANDLE_VALUE) return -1.0f;
    float x = -1.0f;
    if (m_dwPlatformId == PLATFORM_NT) {
        const uint32_t adwIn[2] = {dwPMTimerPort, dwApicBase};
        uint32_t adwOut[2] = {0, 0};
        if (bRequest(driver::IOCTL_MEASURE_APIC_CLOCK, adwIn, 8, adwOut, 8))
            std::memcpy(&x, &adwOut[1], 4);
        else
            x = -1.0f;
    }
    return static_cast<float>(x / 3.579545 * (dFrequency / 1000000.0));
}
