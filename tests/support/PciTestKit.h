// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit on a simulated board for the PCI tests. The board sits behind an access device that
// can make PCI functions vanish (they read all ones through the configuration ports and the
// enhanced window, as an empty slot does) and come back, so that rescans can be tested.
#include <gtest/gtest.h>

#include "KitOnDevice.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "app/InterfaceCreation.h"
#include "discovery/PCIDevice.h"
#include "discovery/PCIInterface.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"
#include "sim/SimAccessDevice.h"

namespace pcitest {

inline uint32_t nKey(unsigned nBus, unsigned nDevice, unsigned nFunction)
{
    return (nBus & 0xFF) << 8 | (nDevice & 31) << 3 | (nFunction & 7);
}

class CHidingAccessDevice : public sim::CSimAccessDevice {
public:
    using sim::CSimAccessDevice::CSimAccessDevice;

    void vHide(unsigned nBus, unsigned nDevice, unsigned nFunction) { m_Hidden.insert(nKey(nBus, nDevice, nFunction)); }
    void vShow(unsigned nBus, unsigned nDevice, unsigned nFunction) { m_Hidden.erase(nKey(nBus, nDevice, nFunction)); }

protected:
    bool bPortIn(uint16_t wPort, unsigned nWidth, uint32_t& dwValue) override
    {
        if (wPort >= 0xCFC && wPort <= 0xCFF && bLatchHidden()) {
            dwValue = nWidth == 4 ? 0xFFFFFFFF : (1u << (8 * nWidth)) - 1;
            return true;
        }
        return sim::CSimAccessDevice::bPortIn(wPort, nWidth, dwValue);
    }
    bool bPortOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue) override
    {
        if (wPort == 0xCF8 && nWidth == 4) m_dwLatch = dwValue;
        if (wPort >= 0xCFC && wPort <= 0xCFF && bLatchHidden()) return true;
        return sim::CSimAccessDevice::bPortOut(wPort, nWidth, dwValue);
    }
    bool bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer) override
    {
        const uint64_t qwBase = Board().qwEnhancedConfigBase();
        if (qwBase && qwAddress >= qwBase && m_Hidden.count(uint32_t((qwAddress - qwBase) >> 12) & 0xFFFF)) {
            std::memset(pBuffer, 0xFF, nCount);
            return true;
        }
        return sim::CSimAccessDevice::bReadPhysical(qwAddress, nCount, pBuffer);
    }

private:
    bool bLatchHidden() const { return (m_dwLatch & 0x80000000) && m_Hidden.count((m_dwLatch >> 8) & 0xFFFF); }

    std::set<uint32_t> m_Hidden;
    uint32_t m_dwLatch = 0;
};

// strBoard: a board name, or a JSON document (starts with '{').
class CPciKit {
public:
    explicit CPciKit(const std::string& strBoard = "demo")
    {
        std::string strError;
        auto pBoard = strBoard.starts_with("{") ? sim::CSimBoard::FromJson(strBoard, strError)
                                                : sim::CSimBoard::Load(strBoard, strError);
        if (!pBoard) {
            ADD_FAILURE() << "cannot load the board: " << strError;
            return;
        }
        auto pDevice = std::make_unique<CHidingAccessDevice>(std::move(pBoard));
        m_pDevice = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
        EXPECT_TRUE(m_pKit->bOk());
    }

    bool bReady() const { return m_pDevice != nullptr; }
    sim::CSimBoard& Board() { return m_pDevice->Board(); }
    CHidingAccessDevice& Device() { return *m_pDevice; }
    ORVEXSDK& Kit() { return *ORVEXSDK::Instance(); }

    // Creates the PCI interface as the program does and scans once.
    CPCIInterface* pScan()
    {
        if (!app::CreatePCIInterface(&Kit())) return nullptr;
        Kit().m_pPCIInterface->Scan();
        return Kit().m_pPCIInterface;
    }
    unsigned nPCIDevices()
    {
        unsigned n = 0;
        for (CTListItem<CDevice>* p = Kit().m_pDeviceList->m_pHead; p && p->m_pObject; p = p->m_pNext)
            n += p->m_pObject->m_dwType & DEVICE_PCI;
        return n;
    }

private:
    CHidingAccessDevice* m_pDevice = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
};

// A board of its own: one processor and the PCI functions given (JSON array members), with
// an enhanced window when strEnhanced names its base.
inline std::string strBoard(const std::string& strPci, const std::string& strEnhanced = "")
{
    std::string strText = R"({"clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1}, "pci": [)" + strPci + "]";
    if (!strEnhanced.empty()) strText += R"(, "enhanced_config": {"base": ")" + strEnhanced + R"(", "buses": 16})";
    return strText + "}";
}

// Collects what the dumps print while it is installed.
class CTraceCapture {
public:
    CTraceCapture() : m_pPrevious(ORVEXSDK::Instance()->m_pTrace)
    {
        s_pText = &m_strText;
        ORVEXSDK::Instance()->m_pTrace = Trace;
    }
    ~CTraceCapture()
    {
        ORVEXSDK::Instance()->m_pTrace = m_pPrevious;
        s_pText = nullptr;
    }
    const std::string& strText() const { return m_strText; }

private:
    static int Trace(const char* pszFormat, ...)
    {
        char sz[4096];
        va_list args;
        va_start(args, pszFormat);
        const int n = std::vsnprintf(sz, sizeof sz, pszFormat, args);
        va_end(args);
        if (s_pText && n > 0) s_pText->append(sz);
        return n;
    }
    static inline std::string* s_pText = nullptr;
    std::string m_strText;
    PFN_TRACE m_pPrevious;
};

}  // namespace pcitest
