// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit on a simulated board for the nVidia chipset PLL tests: the PCI interface scanned as
// the program has it, port and configuration access for looking at the PLL registers, the
// board's bus clock measured from its time-stamp counter, a CPU interface with a measured bus
// clock when a test wants one, and a PLL update register that can be made to stick.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "ChipsetTestKit.h"
#include "KitOnDevice.h"
#include "app/InterfaceCreation.h"
#include "cpu/CPUInterface.h"
#include "discovery/PCIInterface.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "sim/SimAccessDevice.h"

namespace nvtest {

using json = nlohmann::json;

// The port windows of the nforce4-sli board.
constexpr uint16_t WINDOW_A = 0x1000, WINDOW_B = 0x1800;

// Reads of one port always show bit 0 set: a PLL update that never completes.
class CStuckUpdateDevice : public sim::CSimAccessDevice {
public:
    using sim::CSimAccessDevice::CSimAccessDevice;
    uint16_t m_wStuckPort = 0;

protected:
    bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue) override
    {
        const bool bOk = sim::CSimAccessDevice::bPortIn(wPort, nWidth, dwValue);
        if (m_wStuckPort && wPort == m_wStuckPort) dwValue |= 1;
        return bOk;
    }
};

class CNVKit {
public:
    explicit CNVKit(const std::string& strBoard, const std::function<void(json&)>& fnChange = {}, bool bPCI = true)
    {
        // A board by name, or a whole document.
        json board = strBoard.starts_with("{") ? json::parse(strBoard) : chipsettest::BoardJson(strBoard);
        if (fnChange) fnChange(board);
        std::string strError;
        auto pBoard = sim::CSimBoard::FromJson(board.dump(), strError);
        if (!pBoard) {
            ADD_FAILURE() << "cannot load the board: " << strError;
            return;
        }
        m_dMultiplier = board["clock"]["multiplier"].get<double>();
        auto pDevice = std::make_unique<CStuckUpdateDevice>(std::move(pBoard));
        m_pDevice = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
        EXPECT_TRUE(m_pKit->bOk());
        if (bPCI) {
            EXPECT_TRUE(app::CreatePCIInterface(&Kit()));
            if (Kit().m_pPCIInterface) Kit().m_pPCIInterface->Scan();
        }
    }
    ~CNVKit()
    {
        if (m_pCPU) Kit().m_pCPUInterface = nullptr;
    }
    CNVKit(const CNVKit&) = delete;
    CNVKit& operator=(const CNVKit&) = delete;

    ORVEXSDK& Kit() { return *ORVEXSDK::Instance(); }
    sim::CSimBoard& Board() { return m_pDevice->Board(); }
    void vStick(uint16_t wPort) { m_pDevice->m_wStuckPort = wPort; }

    uint32_t dwPort(uint16_t wPort)
    {
        uint32_t dw = 0;
        EXPECT_TRUE(Kit().m_pDriver->bReadPortDword(wPort, dw));
        return dw;
    }
    void vPort(uint16_t wPort, uint32_t dwValue) { EXPECT_TRUE(Kit().m_pDriver->bWritePortDword(wPort, dwValue)); }
    uint32_t dwB(uint32_t dwOffset) { return dwPort(uint16_t(WINDOW_B + dwOffset)); }
    void vB(uint32_t dwOffset, uint32_t dwValue) { vPort(uint16_t(WINDOW_B + dwOffset), dwValue); }
    uint32_t dwConfig(unsigned nDevice, unsigned nFunction, unsigned nOffset)
    {
        return Board().dwPeekConfig(0, nDevice, nFunction, nOffset);
    }
    void vConfig(unsigned nDevice, unsigned nFunction, unsigned nOffset, uint32_t dwValue)
    {
        EXPECT_TRUE(Kit().m_pPCIInterface->WriteConfig(0, nDevice, nFunction, nOffset, dwValue));
    }

    // A CPU interface whose measured bus clock is fBusClock.
    void vMeasuredBusClock(float fBusClock)
    {
        if (!m_pCPU) m_pCPU = std::make_unique<CCPUInterface>();
        m_pCPU->m_fBusClock = fBusClock;
        Kit().m_pCPUInterface = m_pCPU.get();
    }

    // The bus clock the board runs at, in MHz, from its processors' time-stamp counter over
    // one second of board time.
    double dBusMHz()
    {
        platform::IClock& clock = Board().Clock();
        platform::IProcessors& cpus = Board().Processors();
        const uint64_t qwTsc0 = cpus.qwReadTSC(), qwNs0 = clock.qwNanoseconds();
        clock.vSleepMicroseconds(1000000);
        const uint64_t qwTsc1 = cpus.qwReadTSC(), qwNs1 = clock.qwNanoseconds();
        return double(qwTsc1 - qwTsc0) * 1e3 / double(qwNs1 - qwNs0) / m_dMultiplier;
    }

private:
    CStuckUpdateDevice* m_pDevice = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
    std::unique_ptr<CCPUInterface> m_pCPU;
    double m_dMultiplier = 1.0;
};

}  // namespace nvtest
