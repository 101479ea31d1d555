#pragma once
// A kit on a simulated board, with the driver initialised and its device open, for tests
// that exercise the I/O spaces and the driver through the emulated hardware.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "sim/SimAccessDevice.h"

class CSimKit {
public:
    explicit CSimKit(const std::string& strBoard = "demo")
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::Load(strBoard, strError);
        if (!pBoard) {
            ADD_FAILURE() << "cannot load board " << strBoard << ": " << strError;
            return;
        }
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pDriver = std::make_unique<CDeviceDriver>(std::move(pDevice));
        ORVEXSDK::Destroy();
        ORVEXSDK::Instance()->m_pDriver = m_pDriver.get();
        EXPECT_TRUE(m_pDriver->bInitDriver(nullptr, "vexa", "vexa", 1));
        uint32_t dwError = 0;
        EXPECT_TRUE(m_pDriver->bOpenDevice(dwError));
    }

    ~CSimKit()
    {
        if (m_pDriver) {
            if (m_pDriver->bIsOpen()) m_pDriver->vCloseDevice();
            m_pDriver->vUnloadDriver();
        }
        ORVEXSDK::Destroy();
    }

    bool bReady() const { return m_pSim != nullptr; }
    sim::CSimBoard& Board() { return m_pSim->Board(); }
    CDeviceDriver& Driver() { return *m_pDriver; }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CDeviceDriver> m_pDriver;
};
