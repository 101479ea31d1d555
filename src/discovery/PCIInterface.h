// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PCI interface: the kit's PCI configuration access and the catalogue of the PCI
// functions present (one CPCIDevice per function in the kit root's device list). Offsets 0
// to 255 are reached through the configuration ports, 256 and above through the PCI-Express
// enhanced configuration space, whose base the scan finds from the north bridge.
#include <cstdint>

#include "kit/Interface.h"
#include "kit/TList.h"

class CPCIDevice;

class CPCIInterface : public CInterface {
public:
    CPCIInterface();
    ~CPCIInterface() override {}

    // Sets the scan range (512 bus/device pairs: buses 0 to 15; 8 functions) and registers
    // the configuration port space. Always 1.
    uint32_t Init() override;
    void Close() override {}
    // Adds the functions not yet known, removes the ones that vanished and keeps the others.
    void Scan() override;

    // The addressed byte in bits 0 to 7; 0xFFFFFFFF when the needed space is not registered.
    uint32_t ReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
    // Dword-aligned offsets only; 0 when refused or when the needed space is missing.
    uint32_t WriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                         uint32_t dwValue);

    // Lookups walk the kit's device list in order and consider only PCI functions.
    CPCIDevice* FindDevice(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction);
    CPCIDevice* FindDeviceByID(uint16_t wVendorID, uint16_t wDeviceID);
    // Counts the functions of that class; each match is also appended to pList when given
    // (the list does not own them).
    uint32_t CountDevicesByClass(uint8_t bBaseClass, uint8_t bSubClass, CTList<CPCIDevice>* pList = nullptr);

    int32_t m_nBusDevices;  // (bus, device) pairs scanned; -1 until Init
    int32_t m_nFunctions;   // functions per device scanned; -1 until Init
};
