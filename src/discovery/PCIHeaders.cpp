// SPDX-License-Identifier: GPL-2.0-or-later
// The three layouts of the configuration header after the common part.
#include <cstring>

#include "discovery/PCIConfigBytes.h"
#include "discovery/PCIDevice.h"
#include "discovery/PCITrace.h"

using discovery::dwConfigDword;
using discovery::vPCITrace;
using discovery::wConfigWord;

// ---------------------------------------------------------------------------------------------
// Type 0

CPCIHeaderType0::CPCIHeaderType0()
    : m_dwCardBusCIS(0xFFFFFFFF), m_wSubsystemVendorID(0xFFFF), m_wSubsystemID(0xFFFF), m_dwExpansionROM(0xFFFFFFFF),
      m_bCapabilityPointer(0xFF), m_bInterruptLine(0xFF), m_bInterruptPin(0xFF), m_bMinGrant(0xFF), m_bMaxLatency(0xFF)
{
    std::memset(m_dwBAR, 0xFF, sizeof m_dwBAR);
    std::memset(m_bReserved, 0xFF, sizeof m_bReserved);
}

void CPCIHeaderType0::Parse(const uint8_t* pbConfig)
{
    for (unsigned i = 0; i < 6; ++i) m_dwBAR[i] = dwConfigDword(pbConfig, 0x10 + 4 * i);
    m_dwCardBusCIS = dwConfigDword(pbConfig, 0x28);
    m_wSubsystemVendorID = wConfigWord(pbConfig, 0x2C);
    m_wSubsystemID = wConfigWord(pbConfig, 0x2E);
    m_dwExpansionROM = dwConfigDword(pbConfig, 0x30);
    m_bCapabilityPointer = pbConfig[0x34];
    std::memcpy(m_bReserved, pbConfig + 0x35, sizeof m_bReserved);
    m_bInterruptLine = pbConfig[0x3C];
    m_bInterruptPin = pbConfig[0x3D];
    m_bMinGrant = pbConfig[0x3E];
    m_bMaxLatency = pbConfig[0x3F];
}

void CPCIHeaderType0::Dump()
{
    for (int i = 0; i < 6; ++i) {
        const uint32_t dwBAR = m_dwBAR[i];
        if (!dwBAR) continue;
        if (dwBAR & 1)
            vPCITrace("\tAddress %d (port)\t0x%08X\n", i, dwBAR & ~3u);
        else
            vPCITrace("\tAddress %d (memory)\t0x%08X\n", i, dwBAR & ~15u);
    }
    vPCITrace("\tSubvendor ID\t\t0x%04X\n", m_wSubsystemVendorID);
    vPCITrace("\tSubsystem ID\t\t0x%04X\n", m_wSubsystemID);
    vPCITrace("\tInt. Line\t\t0x%02X\n", m_bInterruptLine);
    vPCITrace("\tInt. Pin\t\t0x%02X\n", m_bInterruptPin);
}

// ---------------------------------------------------------------------------------------------
// Type 1: PCI-to-PCI bridge

CPCIHeaderType1::CPCIHeaderType1()
    : m_bPrimaryBus(0xFF), m_bSecondaryBus(0xFF), m_bSubordinateBus(0xFF), m_bSecondaryLatency(0xFF), m_bIOBase(0xFF),
      m_bIOLimit(0xFF), m_wSecondaryStatus(0xFFFF), m_wMemoryBase(0xFFFF), m_wMemoryLimit(0xFFFF),
      m_wPrefetchableBase(0xFFFF), m_wPrefetchableLimit(0xFFFF), m_dwPrefetchableBaseUpper(0xFFFFFFFF),
      m_dwPrefetchableLimitUpper(0xFFFFFFFF), m_wIOBaseUpper(0xFFFF), m_wIOLimitUpper(0xFFFF),
      m_bCapabilityPointer(0xFF), m_dwExpansionROM(0xFFFFFFFF), m_bInterruptLine(0xFF), m_bInterruptPin(0xFF),
      m_wBridgeControl(0xFFFF)
{
    m_dwBAR[0] = m_dwBAR[1] = 0xFFFFFFFF;
}

void CPCIHeaderType1::Parse(const uint8_t* pbConfig)
{
    m_dwBAR[0] = dwConfigDword(pbConfig, 0x10);
    m_dwBAR[1] = dwConfigDword(pbConfig, 0x14);
    m_bPrimaryBus = pbConfig[0x18];
    m_bSecondaryBus = pbConfig[0x19];
    m_bSubordinateBus = pbConfig[0x1A];
    m_bSecondaryLatency = pbConfig[0x1B];
    m_bIOBase = pbConfig[0x1C];
    m_bIOLimit = pbConfig[0x1D];
    m_wSecondaryStatus = wConfigWord(pbConfig, 0x1E);
    m_wMemoryBase = wConfigWord(pbConfig, 0x20);
    m_wMemoryLimit = wConfigWord(pbConfig, 0x22);
    m_wPrefetchableBase = wConfigWord(pbConfig, 0x24);
    m_wPrefetchableLimit = wConfigWord(pbConfig, 0x26);
    m_dwPrefetchableBaseUpper = dwConfigDword(pbConfig, 0x28);
    m_dwPrefetchableLimitUpper = dwConfigDword(pbConfig, 0x2C);
    m_wIOBaseUpper = wConfigWord(pbConfig, 0x30);
    m_wIOLimitUpper = wConfigWord(pbConfig, 0x32);
    m_bCapabilityPointer = pbConfig[0x34];
    m_dwExpansionROM = dwConfigDword(pbConfig, 0x38);
    m_bInterruptLine = pbConfig[0x3C];
    m_bInterruptPin = pbConfig[0x3D];
    m_wBridgeControl = wConfigWord(pbConfig, 0x3E);
}

void CPCIHeaderType1::Dump()
{
    vPCITrace("\tPrimary bus\t\t0x%02X\n", m_bPrimaryBus);
    vPCITrace("\tSecondary bus\t\t0x%02X\n", m_bSecondaryBus);
    vPCITrace("\tSubordinate bus\t\t0x%02X\n", m_bSubordinateBus);
    // The windows the bridge forwards: I/O in 4 KiB, memory in 1 MiB units.
    // The upper halves count only for 32-bit decoding (low nibble 1).
    const bool bIO32 = (m_bIOBase & 0xF) == 1;
    const uint32_t dwIOBase = uint32_t(m_bIOBase & 0xF0) << 8 | (bIO32 ? uint32_t(m_wIOBaseUpper) << 16 : 0);
    const uint32_t dwIOLimit = uint32_t(m_bIOLimit & 0xF0) << 8 | (bIO32 ? uint32_t(m_wIOLimitUpper) << 16 : 0) | 0xFFF;
    if (dwIOBase <= dwIOLimit) vPCITrace("\tI/O window\t\t0x%08X-0x%08X\n", dwIOBase, dwIOLimit);
    const uint32_t dwMemoryBase = uint32_t(m_wMemoryBase & 0xFFF0) << 16;
    const uint32_t dwMemoryLimit = uint32_t(m_wMemoryLimit & 0xFFF0) << 16 | 0xFFFFF;
    if (dwMemoryBase <= dwMemoryLimit) vPCITrace("\tMemory window\t\t0x%08X-0x%08X\n", dwMemoryBase, dwMemoryLimit);
    const uint64_t qwPrefetchBase = uint64_t(m_wPrefetchableBase & 0xFFF0) << 16 |
                                    ((m_wPrefetchableBase & 0xF) == 1 ? uint64_t(m_dwPrefetchableBaseUpper) << 32 : 0);
    const uint64_t qwPrefetchLimit = (uint64_t(m_wPrefetchableLimit & 0xFFF0) << 16 | 0xFFFFF) |
                                     ((m_wPrefetchableLimit & 0xF) == 1 ? uint64_t(m_dwPrefetchableLimitUpper) << 32 : 0);
    if (qwPrefetchBase <= qwPrefetchLimit)
        vPCITrace("\tPrefetchable window\t0x%08llX-0x%08llX\n", static_cast<unsigned long long>(qwPrefetchBase),
                  static_cast<unsigned long long>(qwPrefetchLimit));
    vPCITrace("\tInt. Line\t\t0x%02X\n", m_bInterruptLine);
    vPCITrace("\tInt. Pin\t\t0x%02X\n", m_bInterruptPin);
    vPCITrace("\tBridge control\t\t0x%04X\n", m_wBridgeControl);
}

// ---------------------------------------------------------------------------------------------
// Type 2: CardBus bridge

CPCIHeaderType2::CPCIHeaderType2()
    : m_dwSocketBase(0xFFFFFFFF), m_bCapabilityPointer(0xFF), m_wSecondaryStatus(0xFFFF), m_bPCIBus(0xFF),
      m_bCardBusBus(0xFF), m_bSubordinateBus(0xFF), m_bCardBusLatency(0xFF), m_dwMemoryBase0(0xFFFFFFFF),
      m_dwMemoryLimit0(0xFFFFFFFF), m_dwMemoryBase1(0xFFFFFFFF), m_dwMemoryLimit1(0xFFFFFFFF),
      m_dwIOBase0(0xFFFFFFFF), m_dwIOLimit0(0xFFFFFFFF), m_dwIOBase1(0xFFFFFFFF), m_dwIOLimit1(0xFFFFFFFF),
      m_bInterruptLine(0xFF), m_bInterruptPin(0xFF), m_wBridgeControl(0xFFFF), m_wSubsystemVendorID(0xFFFF),
      m_wSubsystemID(0xFFFF), m_dwLegacyBase(0xFFFFFFFF)
{
}

void CPCIHeaderType2::Parse(const uint8_t* pbConfig)
{
    m_dwSocketBase = dwConfigDword(pbConfig, 0x10);
    m_bCapabilityPointer = pbConfig[0x14];
    m_wSecondaryStatus = wConfigWord(pbConfig, 0x16);
    m_bPCIBus = pbConfig[0x18];
    m_bCardBusBus = pbConfig[0x19];
    m_bSubordinateBus = pbConfig[0x1A];
    m_bCardBusLatency = pbConfig[0x1B];
    m_dwMemoryBase0 = dwConfigDword(pbConfig, 0x1C);
    m_dwMemoryLimit0 = dwConfigDword(pbConfig, 0x20);
    m_dwMemoryBase1 = dwConfigDword(pbConfig, 0x24);
    m_dwMemoryLimit1 = dwConfigDword(pbConfig, 0x28);
    m_dwIOBase0 = dwConfigDword(pbConfig, 0x2C);
    m_dwIOLimit0 = dwConfigDword(pbConfig, 0x30);
    m_dwIOBase1 = dwConfigDword(pbConfig, 0x34);
    m_dwIOLimit1 = dwConfigDword(pbConfig, 0x38);
    m_bInterruptLine = pbConfig[0x3C];
    m_bInterruptPin = pbConfig[0x3D];
    m_wBridgeControl = wConfigWord(pbConfig, 0x3E);
    m_wSubsystemVendorID = wConfigWord(pbConfig, 0x40);
    m_wSubsystemID = wConfigWord(pbConfig, 0x42);
    m_dwLegacyBase = dwConfigDword(pbConfig, 0x44);
}

void CPCIHeaderType2::Dump()
{
    vPCITrace("\tSocket base\t\t0x%08X\n", m_dwSocketBase);
    vPCITrace("\tPCI bus\t\t\t0x%02X\n", m_bPCIBus);
    vPCITrace("\tCardBus bus\t\t0x%02X\n", m_bCardBusBus);
    vPCITrace("\tSubordinate bus\t\t0x%02X\n", m_bSubordinateBus);
    vPCITrace("\tMemory window 0\t\t0x%08X-0x%08X\n", m_dwMemoryBase0, m_dwMemoryLimit0);
    vPCITrace("\tMemory window 1\t\t0x%08X-0x%08X\n", m_dwMemoryBase1, m_dwMemoryLimit1);
    vPCITrace("\tI/O window 0\t\t0x%08X-0x%08X\n", m_dwIOBase0, m_dwIOLimit0);
    vPCITrace("\tI/O window 1\t\t0x%08X-0x%08X\n", m_dwIOBase1, m_dwIOLimit1);
    vPCITrace("\tSubvendor ID\t\t0x%04X\n", m_wSubsystemVendorID);
    vPCITrace("\tSubsystem ID\t\t0x%04X\n", m_wSubsystemID);
    vPCITrace("\tInt. Line\t\t0x%02X\n", m_bInterruptLine);
    vPCITrace("\tInt. Pin\t\t0x%02X\n", m_bInterruptPin);
}
