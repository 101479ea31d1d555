// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// I/O spaces: uniform byte, word and dword access at offsets inside one hardware range (a
// block of ports, a window of physical memory, the PCI configuration space, the enhanced
// configuration space, a register file behind an index/data pair). Every access is turned
// into driver operations on the driver the kit root holds at that moment; reads that fail
// give all ones, writes that fail give 0.
#include <cstdint>

#include "platform/NamedMutex.h"

enum : uint32_t {
    IOSPACE_PORT = 0x1000000,
    IOSPACE_MEMORY = 0x2000000,
    IOSPACE_INDIRECT = 0x4000000,
    IOSPACE_PCI = 0x1,
    IOSPACE_SMBUS = 0x4,
    IOSPACE_PCI_PORTS = IOSPACE_PORT | IOSPACE_PCI,             // 0x1000001
    IOSPACE_SMBUS_PORTS = IOSPACE_PORT | IOSPACE_SMBUS,         // 0x1000004
    IOSPACE_PCI_EXPRESS = IOSPACE_MEMORY | IOSPACE_PCI,         // 0x2000001
};

// Request records taken by Execute.
enum : uint32_t {
    IOREQUEST_READ_DWORD = 1,
    IOREQUEST_WRITE_DWORD = 2,
};

struct CIORequest {
    uint32_t m_dwReserved = 0;
    uint32_t m_dwOperation = 0;  // low four bits: 1 read dword, 2 write dword
    uint32_t m_dwOffset = 0;
    uint32_t m_dwValue = 0;
};

struct CPCIRequest : CIORequest {
    uint32_t m_dwReserved2 = 0;
    uint32_t m_dwBus = 0;
    uint32_t m_dwDevice = 0;
    uint32_t m_dwFunction = 0;
};

struct CMemoryRequest : CIORequest {};

class CIOSpace {
public:
    CIOSpace(uint32_t dwType, uint32_t dwBase, uint32_t dwSize)
        : m_dwType(dwType), m_hMutex(nullptr), m_dwBase(dwBase), m_dwSize(dwSize) {}
    virtual ~CIOSpace() {}

    virtual uint8_t ReadByte(uint32_t dwOffset) = 0;
    virtual uint16_t ReadWord(uint32_t dwOffset) = 0;
    virtual uint32_t ReadDword(uint32_t dwOffset) = 0;
    virtual uint32_t WriteByte(uint32_t dwOffset, uint8_t bValue) = 0;
    virtual uint32_t WriteWord(uint32_t dwOffset, uint16_t wValue) = 0;
    virtual uint32_t WriteDword(uint32_t dwOffset, uint32_t dwValue) = 0;
    virtual uint32_t Execute(CIORequest* pRequest) = 0;

    uint32_t m_dwType;
    platform::HMUTEX m_hMutex;
    uint32_t m_dwBase;
    uint32_t m_dwSize;  // informative: accesses are not bounded by it
};

// A block of I/O ports starting at m_dwBase.
class CPortIOSpace : public CIOSpace {
public:
    CPortIOSpace(uint16_t wFirstPort, uint32_t dwSize) : CIOSpace(IOSPACE_PORT, wFirstPort, dwSize) {}

    uint8_t ReadByte(uint32_t dwOffset) override;
    uint16_t ReadWord(uint32_t dwOffset) override;
    uint32_t ReadDword(uint32_t dwOffset) override;
    uint32_t WriteByte(uint32_t dwOffset, uint8_t bValue) override;
    uint32_t WriteWord(uint32_t dwOffset, uint16_t wValue) override;
    uint32_t WriteDword(uint32_t dwOffset, uint32_t dwValue) override;
    uint32_t Execute(CIORequest* pRequest) override;
};

// The configuration space reached through ports 0xCF8 (address) and 0xCFC (data),
// configuration mechanism #1. The address port is put back after every access.
class CPCIIOSpace : public CPortIOSpace {
public:
    CPCIIOSpace();

    // The configuration dword containing dwOffset, shifted so that the addressed byte is in
    // bits 0 to 7; 0xFFFFFFFF on failure. Offsets above 255 cannot be reached this way.
    uint32_t ReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
    // Writes a whole dword; an offset that is not a multiple of 4 is refused.
    uint32_t WriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue);
    // Writes only the byte (nWidth 1) or word (nWidth 2) at dwOffset, through the data port
    // bytes 0xCFC to 0xCFF, so the neighbouring registers are not written. A word must not
    // cross a dword.
    uint32_t WriteConfigPart(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset,
                             uint32_t dwValue, unsigned nWidth);
    uint32_t Execute(CIORequest* pRequest) override;

    static uint32_t dwConfigAddress(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
};

// A window of physical memory. Word access is not supported (reads give 0, writes do
// nothing) and a byte write rewrites the whole dword it lies in.
class CMemoryIOSpace : public CIOSpace {
public:
    CMemoryIOSpace(uint32_t dwBase, uint32_t dwSize) : CIOSpace(IOSPACE_MEMORY, dwBase, dwSize) {}

    uint8_t ReadByte(uint32_t dwOffset) override;
    uint16_t ReadWord(uint32_t dwOffset) override;
    uint32_t ReadDword(uint32_t dwOffset) override;
    uint32_t WriteByte(uint32_t dwOffset, uint8_t bValue) override;
    uint32_t WriteWord(uint32_t dwOffset, uint16_t wValue) override;
    uint32_t WriteDword(uint32_t dwOffset, uint32_t dwValue) override;
    uint32_t Execute(CIORequest* pRequest) override;
};

// The PCI-Express enhanced configuration space: 4 KiB per function in physical memory.
class CPCIExpressIOSpace : public CMemoryIOSpace {
public:
    explicit CPCIExpressIOSpace(uint32_t dwConfigBase);

    uint32_t ReadConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
    uint32_t WriteConfig(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset, uint32_t dwValue);
    uint32_t Execute(CIORequest* pRequest) override;

    static uint32_t dwConfigOffset(uint32_t dwBus, uint32_t dwDevice, uint32_t dwFunction, uint32_t dwOffset);
};

// A register file behind an index/data pair; the base reads all ones and refuses writes.
class CIndirectIOSpace : public CIOSpace {
public:
    CIndirectIOSpace(uint32_t dwBase, uint32_t dwSize) : CIOSpace(IOSPACE_INDIRECT, dwBase, dwSize) {}

    uint8_t ReadByte(uint32_t dwOffset) override;
    uint16_t ReadWord(uint32_t dwOffset) override;
    uint32_t ReadDword(uint32_t dwOffset) override;
    uint32_t WriteByte(uint32_t dwOffset, uint8_t bValue) override;
    uint32_t WriteWord(uint32_t dwOffset, uint16_t wValue) override;
    uint32_t WriteDword(uint32_t dwOffset, uint32_t dwValue) override;
    uint32_t Execute(CIORequest* pRequest) override;
};

// The ATI north bridge's memory controller registers: an index register in the bridge's
// configuration space and the data register 4 bytes above it.
class ATI_MC_IOSpace : public CIndirectIOSpace {
public:
    // dwConfigAddress in the form of the mechanism #1 address: bus in bits 16-23, device in
    // 11-15, function in 8-10, index register offset in 0-7.
    ATI_MC_IOSpace(CPCIIOSpace* pPCI, uint32_t dwConfigAddress);

    uint32_t ReadDword(uint32_t dwIndex) override;
    uint32_t WriteDword(uint32_t dwIndex, uint32_t dwValue) override;

    CPCIIOSpace* m_pPCI;
    uint32_t m_dwBus, m_dwDevice, m_dwFunction, m_dwIndexRegister, m_dwDataRegister;
};
