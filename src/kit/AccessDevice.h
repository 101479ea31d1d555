// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The access device: the object that stands where the kernel driver stands. CDeviceDriver
// turns every hardware operation into one request of the driver protocol (control code,
// input and output buffers) and the access device answers it.
//
// CAccessDevice decodes the requests once for all devices and hands each to a primitive
// operation that the concrete device implements: the real machine ("linux") or the
// simulated board ("sim").
#include <cstdint>
#include <string>

class CAccessDevice {
public:
    virtual ~CAccessDevice() = default;

    virtual const char* szName() const = 0;

    // Prepares the device: opens what it needs and checks the rights. On failure strError
    // says in plain words why and what to do about it.
    virtual bool bPrepare(std::string& strError) = 0;
    // Releases what bPrepare opened.
    virtual void vRelease() = 0;
    // The driver device was closed (vCloseDevice): what the device kept from the accesses of
    // the session is not served again.
    virtual void vEndSession() {}

    // One request of the driver protocol. True when the request was carried out; the
    // number of output bytes written goes to *pdwReturned when it is not null.
    bool bIoControl(uint32_t dwCode, const void* pIn, uint32_t nInSize, void* pOut, uint32_t nOutSize,
                    uint32_t* pdwReturned);

    // The protocol version the device answers; the program refuses to work with any other.
    virtual uint32_t dwProtocolVersion() const;

    // Whether the program may drive the SMBus controller at that PCI function itself. False,
    // with strReason saying in plain words why and what to do, when the machine's kernel
    // already drives it; vSetForce(true) lets the user override that.
    virtual bool bMayDriveSMBus(unsigned /*nBus*/, unsigned /*nDevice*/, unsigned /*nFunction*/,
                                std::string& /*strReason*/)
    {
        return true;
    }
    void vSetForce(bool bForce) { m_bForce = bForce; }
    // The refusal bMayDriveSMBus gives for a controller a kernel driver has bound (strModule
    // "" when it is not known: the module of the usual SMBus drivers is filled in).
    static std::string strKernelDriverRefusal(unsigned nBus, unsigned nDevice, unsigned nFunction,
                                              const std::string& strDriver, std::string strModule);

    // Why the device last refused an access, in plain words; empty when it did not say.
    const std::string& strLastFault() const { return m_strFault; }
    void vClearFault() { m_strFault.clear(); }

protected:
    // The primitives. Port widths are 1, 2 or 4 bytes.
    virtual bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue) = 0;
    virtual bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue) = 0;
    virtual bool bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer) = 0;
    virtual bool bWritePhysicalDword(uint64_t qwAddress, uint32_t dwValue) = 0;
    // MSRs of the processor the calling thread is pinned to.
    virtual bool bReadMsr(uint32_t dwIndex, uint64_t& qwValue) = 0;
    virtual bool bWriteMsr(uint32_t dwIndex, uint64_t qwValue) = 0;

    // The two measurements. The defaults measure through the primitives against the clock
    // in force (platform::Clock()), so the real machine and the board share one method.
    // PM timer: ticks counted and the time they took, in 100 ns units.
    virtual bool bMeasurePMTimer(uint16_t wPort, uint32_t& dwTicks, uint32_t& dwElapsed100ns);
    // APIC clock: the local APIC timer's input clock in MHz, timed by the PM timer at its
    // nominal 3.579545 MHz.
    virtual bool bMeasureAPICClock(uint16_t wPMPort, uint32_t dwApicBase, float& fMHz);

    // How long each measurement counts.
    static constexpr uint32_t MEASURE_WINDOW_MS = 50;

    void vSetFault(std::string strFault) { m_strFault = std::move(strFault); }

    bool m_bForce = false;

private:
    std::string m_strFault;
};
