// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The driver service. Every hardware operation of the kit becomes one request of the driver
// protocol, answered by the access device that stands where the kernel driver stands. The
// application creates one driver, calls bInitDriver once and brackets every sequence of
// hardware accesses with bOpenDevice / vCloseDevice, inside the kit lock.
#include <cstdint>
#include <memory>
#include <string>

#include "kit/AccessDevice.h"
#include "platform/NamedMutex.h"

using HDEVICE = intptr_t;
constexpr HDEVICE INVALID_HANDLE_VALUE = -1;

// Error codes handed back by bOpenDevice besides the mutex wait's results.
constexpr uint32_t DRIVER_ERROR_PREPARE = 0x5001;   // the access device could not be prepared
constexpr uint32_t DRIVER_ERROR_PLATFORM = 0x5002;  // neither request protocol applies

class CDeviceDriver {
public:
    explicit CDeviceDriver(std::unique_ptr<CAccessDevice> pAccess);
    virtual ~CDeviceDriver();
    CDeviceDriver(const CDeviceDriver&) = delete;
    CDeviceDriver& operator=(const CDeviceDriver&) = delete;

    // Life cycle (non-zero on success).
    uint32_t bInitDriver(const char* pszPath, const char* pszDriverName, const char* pszMutexName, uint32_t bInstall);
    uint32_t bOpenDevice(uint32_t& dwError);
    void vCloseDevice();
    uint32_t dwGetVersion(uint32_t& dwVersion);
    void vUnloadDriver();

    // Hardware operations; each fails on a closed device.
    uint32_t bReadMSR(uint32_t dwIndex, uint32_t& dwHigh, uint32_t& dwLow);
    uint32_t bWriteMSR(uint32_t dwIndex, uint32_t dwHigh, uint32_t dwLow);
    uint32_t bReadPortByte(uint32_t dwPort, uint8_t& bValue);
    uint32_t bReadPortWord(uint32_t dwPort, uint16_t& wValue);
    uint32_t bReadPortDword(uint32_t dwPort, uint32_t& dwValue);
    uint32_t bWritePortByte(uint32_t dwPort, uint32_t dwValue);
    uint32_t bWritePortWord(uint32_t dwPort, uint32_t dwValue);
    uint32_t bWritePortDword(uint32_t dwPort, uint32_t dwValue);
    uint32_t bReadPhysicalMemory(uint32_t dwAddress, uint32_t dwCount, void* pBuffer);
    uint32_t bWritePhysicalMemoryDword(uint32_t dwAddress, uint32_t dwValue);
    double fMeasurePMTimerFrequency(uint32_t dwPort);
    float fMeasureAPICClock(double dFrequency, uint32_t dwPMTimerPort, uint32_t dwApicBase);

    bool bIsOpen() const { return m_hDevice != INVALID_HANDLE_VALUE; }
    // What the access device said when it could not be prepared.
    const std::string& strLastError() const { return m_strError; }
    CAccessDevice* pAccessDevice() const { return m_pAccess.get(); }

    char m_szCurDir[512];
    HDEVICE m_hDevice;
    uint32_t m_bInstall;
    char m_szMachineName[512];
    char m_szPath[512];
    char m_szDriverName[256];
    char m_szServiceName[64];
    char m_szHostName[64];
    uint32_t m_dwPlatformId;
    uint32_t m_bWow64;
    uint32_t m_wProcessorArchitecture;
    platform::HMUTEX m_hDriverMutex;

private:
    bool bUsable() const;
    bool bRequest(uint32_t dwCode, const void* pIn, uint32_t nIn, void* pOut, uint32_t nOut);
    bool bPrepareDevice();
    uint32_t bReadPort(uint32_t dwCode, uint32_t dwPort, uint32_t& dwValue);
    uint32_t bWritePort(uint32_t dwCode, uint32_t dwPort, uint32_t dwValue, unsigned nWidth);
    // Lists a port write in the trace (tracing is on): a configuration write when it goes to
    // the data ports after an address was put into 0xCF8, nothing for the address itself.
    void vTracePortWrite(uint32_t dwPort, unsigned nWidth, uint32_t dwValue, bool bOk);

    std::unique_ptr<CAccessDevice> m_pAccess;
    bool m_bPrepared = false;
    std::string m_strError;
    // The configuration address last put into 0xCF8 while tracing (0: none known).
    uint32_t m_dwTracedConfigAddress = 0;
};
