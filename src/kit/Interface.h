// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The bases of what the kit registers: interfaces (one per hardware service) and devices
// (what the scans find).
#include <cstdint>

// Interface type ids. 17 and 18 are not single bits: compare for equality, never as masks.
enum : uint32_t {
    INTERFACE_PCI = 1,
    INTERFACE_SMBUS = 2,
    INTERFACE_ACPI = 4,
    INTERFACE_CPU = 8,
    INTERFACE_IC = 16,
    INTERFACE_PLL = 17,
    INTERFACE_MEMORY_BUFFER = 18,
    INTERFACE_CHIPSET = 256,
    INTERFACE_DMI = 512,
};

// Device type ids; lookups for PCI functions test bit 0.
enum : uint32_t {
    DEVICE_PCI = 1,
    DEVICE_SMBUS = 2,
    DEVICE_PROCESSOR = 4,
};

class CInterface {
public:
    explicit CInterface(uint32_t dwType) : m_dwType(dwType) {}
    virtual ~CInterface() {}
    // Probes and initialises; 0 when the interface cannot be used on this machine.
    virtual uint32_t Init() = 0;
    // Releases what Init acquired; called once at shutdown with the driver device open.
    virtual void Close() = 0;
    // Enumerates what lies behind the interface.
    virtual void Scan() {}

    uint32_t m_dwType;
};

class CDevice {
public:
    explicit CDevice(uint32_t dwType) : m_dwType(dwType) {}
    virtual ~CDevice() {}
    // Prints the device's report through the kit's trace function.
    virtual void Dump() = 0;

    uint32_t m_dwType;
};
