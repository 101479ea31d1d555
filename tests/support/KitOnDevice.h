// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit root whose driver runs on the given access device, initialised and with its device
// open, as the program has it between start and exit. The object puts everything away again:
// device closed, driver unloaded, root destroyed. Shared by the tests and the benchmarks.
#include <memory>

#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"

class CKitOnDevice {
public:
    explicit CKitOnDevice(std::unique_ptr<CAccessDevice> pDevice)
        : m_pDriver(std::make_unique<CDeviceDriver>(std::move(pDevice)))
    {
        ORVEXSDK::Destroy();
        ORVEXSDK::Instance()->m_pDriver = m_pDriver.get();
        uint32_t dwError = 0;
        m_bOk = m_pDriver->bInitDriver(nullptr, "vexa", "vexa", 1) && m_pDriver->bOpenDevice(dwError);
    }
    ~CKitOnDevice()
    {
        if (m_pDriver->bIsOpen()) m_pDriver->vCloseDevice();
        m_pDriver->vUnloadDriver();
        ORVEXSDK::Destroy();
    }
    CKitOnDevice(const CKitOnDevice&) = delete;
    CKitOnDevice& operator=(const CKitOnDevice&) = delete;

    bool bOk() const { return m_bOk; }
    CDeviceDriver& Driver() { return *m_pDriver; }
    ORVEXSDK& Kit() { return *ORVEXSDK::Instance(); }

private:
    std::unique_ptr<CDeviceDriver> m_pDriver;
    bool m_bOk = false;
};
