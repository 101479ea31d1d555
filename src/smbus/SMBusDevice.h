// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An address that answered on the SMBus: the controller that reached it, the multiplexer
// channel and the 7-bit address. Devices live in the kit's device list and are never removed.
#include <cstdint>

#include "kit/Interface.h"

class CSMBusIOSpace;

class CSMBusDevice : public CDevice {
public:
    CSMBusDevice() : CDevice(DEVICE_SMBUS), m_pIOSpace(nullptr), m_nChannel(0), m_nAddress(0xFF) {}
    CSMBusDevice(CSMBusIOSpace* pIOSpace, uint8_t nChannel, uint8_t nAddress)
        : CDevice(DEVICE_SMBUS), m_pIOSpace(pIOSpace), m_nChannel(nChannel), m_nAddress(nAddress) {}
    ~CSMBusDevice() override {}

    // An SMBus device has nothing of its own to report.
    void Dump() override {}

    CSMBusIOSpace* m_pIOSpace;  // not owned: the kit's I/O space list holds it
    uint8_t m_nChannel;
    uint8_t m_nAddress;
};
