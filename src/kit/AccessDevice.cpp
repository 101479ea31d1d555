// SPDX-License-Identifier: GPL-2.0-or-later
#include "kit/AccessDevice.h"
#include "kit/Timer.h"

#include <cstdio>
#include <cstring>

#include "kit/DriverProtocol.h"
#include "platform/Clock.h"

namespace {

uint32_t dwAt(const void* pIn, unsigned nIndex)
{
    uint32_t dw;
    std::memcpy(&dw, static_cast<const uint8_t*>(pIn) + 4 * nIndex, 4);
    return dw;
}

void vPut(void* pOut, unsigned nIndex, uint32_t dw)
{
    std::memcpy(static_cast<uint8_t*>(pOut) + 4 * nIndex, &dw, 4);
}

// The largest physical read one request may ask for.
constexpr uint32_t MAX_MEMORY_READ = 16u << 20;
constexpr uint32_t PM_TIMER_MASK = 0xFFFFFF;
constexpr double PM_TIMER_MHZ = 3.579545;

// The kernel's SMBus host drivers and the modules that hold them.
const struct {
    const char* pszDriver;
    const char* pszModule;
} s_SMBusDrivers[] = {
    {"i801_smbus", "i2c_i801"},     {"piix4_smbus", "i2c_piix4"},   {"nForce2_smbus", "i2c_nforce2"},
    {"vt596_smbus", "i2c_viapro"},  {"sis96x_smbus", "i2c_sis96x"}, {"sis5595_smbus", "i2c_sis5595"},
    {"sis630_smbus", "i2c_sis630"}, {"ali1563_smbus", "i2c_ali1563"}, {"ali15x3_smbus", "i2c_ali15x3"},
    {"ali1535_smbus", "i2c_ali1535"}, {"amd756_smbus", "i2c_amd756"}, {"amd8111_smbus2", "i2c_amd8111"},
};

}  // namespace

std::string CAccessDevice::strKernelDriverRefusal(unsigned nBus, unsigned nDevice, unsigned nFunction,
                                                  const std::string& strDriver, std::string strModule)
{
    for (const auto& entry : s_SMBusDrivers)
        if (strModule.empty() && strDriver == entry.pszDriver) strModule = entry.pszModule;
    if (strModule.empty()) strModule = strDriver;
    char szFunction[32];
    std::snprintf(szFunction, sizeof szFunction, "0000:%02x:%02x.%x", nBus & 0xFF, nDevice & 0x1F, nFunction & 7);
    return "the kernel driver " + strDriver + " drives the SMBus controller at " + szFunction +
           "; unload it first (modprobe -r " + strModule + ") or pass --force to use the controller beside it";
}

uint32_t CAccessDevice::dwProtocolVersion() const { return driver::DRIVER_VERSION; }

bool CAccessDevice::bIoControl(uint32_t dwCode, const void* pIn, uint32_t nInSize, void* pOut, uint32_t nOutSize,
                               uint32_t* pdwReturned)
{
    using namespace driver;
    if (pdwReturned) *pdwReturned = 0;
    auto bNeeds = [&](uint32_t nIn, uint32_t nOut) {
        return nInSize >= nIn && (nIn == 0 || pIn) && nOutSize >= nOut && (nOut == 0 || pOut);
    };
    auto bDone = [&](uint32_t nOut) {
        if (pdwReturned) *pdwReturned = nOut;
        return true;
    };

    switch (dwCode) {
    case IOCTL_GET_VERSION:
        if (!bNeeds(0, 4)) return false;
        vPut(pOut, 0, dwProtocolVersion());
        return bDone(4);

    case IOCTL_READ_PORT_BYTE:
    case IOCTL_READ_PORT_WORD:
    case IOCTL_READ_PORT_DWORD: {
        const unsigned nWidth = dwCode == IOCTL_READ_PORT_BYTE ? 1 : dwCode == IOCTL_READ_PORT_WORD ? 2 : 4;
        if (!bNeeds(4, nWidth)) return false;
        uint32_t dwValue = 0;
        if (!bPortIn(static_cast<uint16_t>(dwAt(pIn, 0)), nWidth, dwValue)) return false;
        std::memcpy(pOut, &dwValue, nWidth);
        return bDone(nWidth);
    }

    case IOCTL_WRITE_PORT_BYTE:
    case IOCTL_WRITE_PORT_WORD:
    case IOCTL_WRITE_PORT_DWORD: {
        const unsigned nWidth = dwCode == IOCTL_WRITE_PORT_BYTE ? 1 : dwCode == IOCTL_WRITE_PORT_WORD ? 2 : 4;
        if (!bNeeds(8, 0)) return false;
        uint32_t dwValue = dwAt(pIn, 1);
        if (nWidth == 1) dwValue &= 0xFF;
        if (nWidth == 2) dwValue &= 0xFFFF;
        return bPortOut(static_cast<uint16_t>(dwAt(pIn, 0)), nWidth, dwValue) && bDone(0);
    }

    case IOCTL_READ_PHYSICAL_MEMORY: {
        if (!bNeeds(sizeof(ReadMemoryInput), 0)) return false;
        ReadMemoryInput input;
        std::memcpy(&input, pIn, sizeof input);
        if (input.dwCount > MAX_MEMORY_READ || (input.dwCount && !input.pBuffer)) return false;
        return bReadPhysical(input.dwAddress, input.dwCount, input.pBuffer) && bDone(0);
    }

    case IOCTL_WRITE_PHYSICAL_DWORD:
        if (!bNeeds(8, 0)) return false;
        return bWritePhysicalDword(dwAt(pIn, 0), dwAt(pIn, 1)) && bDone(0);

    case IOCTL_READ_MSR: {
        if (!bNeeds(4, 8)) return false;
        uint64_t qwValue = 0;
        if (!bReadMsr(dwAt(pIn, 0), qwValue)) return false;
        vPut(pOut, 0, static_cast<uint32_t>(qwValue));
        vPut(pOut, 1, static_cast<uint32_t>(qwValue >> 32));
        return bDone(8);
    }

    case IOCTL_WRITE_MSR: {
        // Sent as (index, high, low); a refused write answers 0xFFFFFFFF in the first dword.
        if (!bNeeds(12, 8)) return false;
        const uint64_t qwValue = (uint64_t(dwAt(pIn, 1)) << 32) | dwAt(pIn, 2);
        const bool bOk = bWriteMsr(dwAt(pIn, 0), qwValue);
        vPut(pOut, 0, bOk ? 0 : 0xFFFFFFFF);
        vPut(pOut, 1, 0);
        return bDone(8);
    }

    case IOCTL_MEASURE_PM_TIMER: {
        if (!bNeeds(8, 8)) return false;
        uint32_t dwTicks = 0xFFFFFFFF, dwElapsed = 0xFFFFFFFF;
        const bool bOk = bMeasurePMTimer(static_cast<uint16_t>(dwAt(pIn, 0)), dwTicks, dwElapsed);
        vPut(pOut, 0, bOk ? dwTicks : 0xFFFFFFFF);
        vPut(pOut, 1, bOk ? dwElapsed : 0xFFFFFFFF);
        return bOk && bDone(8);
    }

    case IOCTL_MEASURE_APIC_CLOCK: {
        if (!bNeeds(8, 8)) return false;
        float fMHz = -1.0f;
        const bool bOk = bMeasureAPICClock(static_cast<uint16_t>(dwAt(pIn, 0)), dwAt(pIn, 1), fMHz);
        uint32_t dwFloat;
        std::memcpy(&dwFloat, &fMHz, 4);
        vPut(pOut, 0, 0);
        vPut(pOut, 1, dwFloat);
        return bOk && bDone(8);
    }

    default:
        return false;
    }
}

bool CAccessDevice::bMeasurePMTimer(uint16_t wPort, uint32_t& dwTicks, uint32_t& dwElapsed100ns)
{
    platform::IClock& clock = platform::Clock();
    // Each sample takes the clock on both sides of the port read and keeps the middle.
    auto bSample = [&](uint32_t& dwCount, uint64_t& qwNs) {
        const uint64_t qwBefore = clock.qwNanoseconds();
        if (!bPortIn(wPort, 4, dwCount)) return false;
        qwNs = qwBefore + (clock.qwNanoseconds() - qwBefore) / 2;
        dwCount &= PM_TIMER_MASK;
        return true;
    };
    uint32_t dwStart, dwEnd;
    uint64_t qwStart, qwEnd;
    if (!bSample(dwStart, qwStart)) return false;
    clock.vSleepMicroseconds(uint64_t(MEASURE_WINDOW_MS) * 1000);
    if (!bSample(dwEnd, qwEnd)) return false;
    // The 24-bit counter wraps every 4.7 s, so one wrap at most lies inside the window.
    dwTicks = (dwEnd - dwStart) & PM_TIMER_MASK;
    const uint64_t qwElapsed = (qwEnd - qwStart) / 100;
    if (dwTicks == 0 || qwElapsed == 0 || qwElapsed >= 0xFFFFFFFF) return false;  // not counting
    dwElapsed100ns = static_cast<uint32_t>(qwElapsed);
    return true;
}

bool CAccessDevice::bMeasureAPICClock(uint16_t wPMPort, uint32_t dwApicBase, float& fMHz)
{
    constexpr uint32_t APIC_TIMER_INITIAL = 0x380, APIC_TIMER_CURRENT = 0x390, APIC_TIMER_DIVIDE = 0x3E0;
    const uint64_t qwBase = dwApicBase & ~0xFFFull;
    auto bReadApic = [&](uint32_t dwRegister, uint32_t& dwValue) {
        return bReadPhysical(qwBase + dwRegister, 4, &dwValue);
    };
    uint32_t dwInitial, dwDivide;
    if (!bReadApic(APIC_TIMER_INITIAL, dwInitial) || !bReadApic(APIC_TIMER_DIVIDE, dwDivide)) return false;
    if (dwInitial == 0 || (dwInitial == 0xFFFFFFFF && dwDivide == 0xFFFFFFFF)) return false;  // stopped or absent
    // Divide configuration bits 0, 1 and 3: 0 → 2, 1 → 4, ... 6 → 128, 7 → 1.
    const unsigned nCode = (dwDivide & 3) | ((dwDivide >> 1) & 4);
    const uint32_t dwDivider = nCode == 7 ? 1 : 2u << nCode;

    // Sample the count and the PM timer often enough to see every reload of a periodic timer.
    constexpr uint32_t PM_WINDOW = 35795;  // 10 ms of the PM timer
    uint32_t dwPM, dwCount;
    if (!bPortIn(wPMPort, 4, dwPM) || !bReadApic(APIC_TIMER_CURRENT, dwCount)) return false;
    uint64_t qwApicTicks = 0, qwPMTicks = 0;
    for (unsigned nGuard = 0; qwPMTicks < PM_WINDOW; ++nGuard) {
        uint32_t dwPMNow, dwCountNow;
        if (!bPortIn(wPMPort, 4, dwPMNow) || !bReadApic(APIC_TIMER_CURRENT, dwCountNow)) return false;
        qwPMTicks += (dwPMNow - dwPM) & PM_TIMER_MASK;
        qwApicTicks += dwCountNow <= dwCount ? dwCount - dwCountNow : dwCount + (dwInitial - dwCountNow);
        dwPM = dwPMNow;
        dwCount = dwCountNow;
        if (nGuard > 10000000 || (nGuard > 100000 && qwPMTicks == 0)) return false;  // no timer counting
    }
    vAddMeasurementWindow(double(qwPMTicks) / (PM_TIMER_MHZ * 1e6));
    if (qwApicTicks == 0) return false;
    fMHz = static_cast<float>(double(qwApicTicks) * dwDivider / double(qwPMTicks) * PM_TIMER_MHZ);
    return true;
}
