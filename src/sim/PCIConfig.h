// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PCI functions of the board and the two ways to reach their configuration spaces:
// configuration mechanism #1 (the address latch at 0xCF8, the data window at 0xCFC) and the
// enhanced configuration window in physical memory.
#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "sim/BusHandlers.h"

namespace sim {

// One function's 4096-byte configuration space. Registers with behaviour of their own
// (write-one-to-clear status bits, BAR sizing, device registers) override the two accessors.
class CPCIFunction {
public:
    explicit CPCIFunction(const std::array<uint8_t, 4096>& initial) : m_Config(initial) {}
    virtual ~CPCIFunction() = default;

    // The dword at nOffset (a multiple of 4 below 4096).
    virtual uint32_t dwRead(unsigned nOffset, const AccessContext& context);
    // Writes the bytes of dwValue whose bits are set in nByteEnables (bit 0: the byte at
    // nOffset). The identification bytes are wired and ignore writes.
    virtual void vWrite(unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context);

    // The dword as it is, without side effects.
    uint32_t dwPeek(unsigned nOffset) const;

protected:
    // Vendor and device id (0x00-0x03), revision and class (0x08-0x0B), header type (0x0E).
    static bool bReadOnlyByte(unsigned nOffset);
    std::array<uint8_t, 4096> m_Config;
};

class CPCIFunctions {
public:
    static uint32_t nKey(unsigned nBus, unsigned nDevice, unsigned nFunction)
    {
        return (nBus & 0xFF) << 8 | (nDevice & 0x1F) << 3 | (nFunction & 7);
    }
    bool bAdd(unsigned nBus, unsigned nDevice, unsigned nFunction, std::unique_ptr<CPCIFunction> pFunction);
    CPCIFunction* pFind(unsigned nBus, unsigned nDevice, unsigned nFunction) const;
    // Takes the function off the board (null when there is none), for a device that wraps it.
    std::unique_ptr<CPCIFunction> pTake(unsigned nBus, unsigned nDevice, unsigned nFunction);
    // Configuration cycles: all ones from a function that is not there; writes to it vanish.
    uint32_t dwRead(uint32_t nKey, unsigned nOffset, const AccessContext& context);
    void vWrite(uint32_t nKey, unsigned nOffset, uint32_t dwValue, unsigned nByteEnables, const AccessContext& context);

private:
    std::map<uint32_t, std::unique_ptr<CPCIFunction>> m_Functions;
};

// Ports 0xCF8 to 0xCFF. Only dword accesses to 0xCF8 reach the address latch; byte, word and
// dword accesses inside 0xCFC to 0xCFF reach the configuration dword the latch selects while
// its enable bit (31) is set.
class CConfigMechanism1 : public CPortHandler {
public:
    static constexpr uint16_t ADDRESS_PORT = 0xCF8;
    static constexpr uint16_t DATA_PORT = 0xCFC;

    explicit CConfigMechanism1(CPCIFunctions& functions) : CPortHandler(ADDRESS_PORT, 8), m_Functions(functions) {}
    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) override;
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) override;

private:
    CPCIFunctions& m_Functions;
    uint32_t m_dwLatch = 0;
};

// The enhanced configuration window: 4096 bytes per function at
// base + (bus << 20 | device << 15 | function << 12).
class CEnhancedConfigWindow : public CMemoryHandler {
public:
    CEnhancedConfigWindow(uint64_t qwBase, unsigned nBuses, CPCIFunctions& functions)
        : CMemoryHandler(qwBase, uint64_t(nBuses) << 20), m_Functions(functions)
    {
    }
    void vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context) override;
    void vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext& context) override;

private:
    CPCIFunctions& m_Functions;
};

}  // namespace sim
