// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Machine facts a test sets by hand, in force while the object lives: a driver under test
// goes by them instead of a kit's interfaces. Records the SMBus channel switches asked for.
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "kit/MachineFacts.h"

class CFakeMachineFacts : public IMachineFacts {
public:
    CFakeMachineFacts() : m_pReplaced(kit::ReplaceMachineFacts(this)) {}
    ~CFakeMachineFacts() override { kit::ReplaceMachineFacts(m_pReplaced); }
    CFakeMachineFacts(const CFakeMachineFacts&) = delete;
    CFakeMachineFacts& operator=(const CFakeMachineFacts&) = delete;

    float fMeasuredBusClock() override { return m_fBusClock; }
    bool bPCIExpressGraphics() override { return m_bPCIExpressGraphics; }
    bool bHasPCIDevice(uint16_t wVendorID, uint16_t wDeviceID) override
    {
        return m_PCIDevices.count({wVendorID, wDeviceID}) != 0;
    }
    bool bSelectSMBusChannel(uint8_t nChannel) override
    {
        m_Channels.push_back(nChannel);
        return m_bChannelSwitch;
    }
    bool bRestoreSMBusChannel() override
    {
        m_Channels.push_back(-1);
        return m_bChannelSwitch;
    }
    bool bMayDriveSMBus(uint8_t, uint8_t, uint8_t, std::string& strRefusal) override
    {
        strRefusal = m_strRefusal;
        return m_strRefusal.empty();
    }

    float m_fBusClock = -1.0f;
    bool m_bPCIExpressGraphics = false;
    std::set<std::pair<uint16_t, uint16_t>> m_PCIDevices;
    bool m_bChannelSwitch = false;
    std::vector<int> m_Channels;  // channels selected, -1 for each switch back
    std::string m_strRefusal;     // empty: the controllers may be driven

private:
    IMachineFacts* m_pReplaced;
};
