// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's buses: every device claims a range of I/O ports or of physical memory through
// a handler, and the two maps hand each access to the handler that claims it. A new device
// (an SMBus controller, a clock chip behind it) is a new handler class; the board core does
// not change.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// What a device sees of the access besides address and data.
struct AccessContext {
    uint64_t qwNanoseconds;  // board time the access is served at
    unsigned nCpu;           // the processor the accessing thread is pinned to
};

class CPortHandler {
public:
    CPortHandler(uint16_t wFirst, uint32_t nCount) : m_wFirst(wFirst), m_nCount(nCount) {}
    virtual ~CPortHandler() = default;

    uint16_t wFirst() const { return m_wFirst; }
    uint32_t nCount() const { return m_nCount; }
    bool bClaims(uint32_t nPort, unsigned nWidth) const
    {
        return nPort >= m_wFirst && nPort + nWidth <= uint32_t(m_wFirst) + m_nCount;
    }

    // An access of 1, 2 or 4 bytes that lies wholly inside the claimed range.
    virtual uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) = 0;
    virtual void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) = 0;

private:
    uint16_t m_wFirst;
    uint32_t m_nCount;
};

class CMemoryHandler {
public:
    CMemoryHandler(uint64_t qwBase, uint64_t qwSize) : m_qwBase(qwBase), m_qwSize(qwSize) {}
    virtual ~CMemoryHandler() = default;

    uint64_t qwBase() const { return m_qwBase; }
    uint64_t qwSize() const { return m_qwSize; }
    uint64_t qwLast() const { return m_qwBase + (m_qwSize - 1); }

    // Bytes at offsets inside the claimed range.
    virtual void vRead(uint64_t qwOffset, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context) = 0;
    virtual void vWrite(uint64_t qwOffset, uint32_t nCount, const uint8_t* pData, const AccessContext& context) = 0;

private:
    uint64_t m_qwBase;
    uint64_t m_qwSize;
};

// A device whose registers are bytes: a word or dword access is served as byte cycles at
// consecutive registers, lowest first, as the bus splits it.
class CBytePortHandler : public CPortHandler {
public:
    using CPortHandler::CPortHandler;

    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context) final
    {
        uint32_t dwValue = 0;
        for (unsigned i = 0; i < nWidth; ++i)
            dwValue |= uint32_t(bIn(wPort - wFirst() + i, context.qwNanoseconds)) << (8 * i);
        return dwValue;
    }
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context) final
    {
        for (unsigned i = 0; i < nWidth; ++i)
            vOutByte(wPort - wFirst() + i, uint8_t(dwValue >> (8 * i)), context.qwNanoseconds);
    }

protected:
    // One register, at board time qwNow.
    virtual uint8_t bIn(unsigned nRegister, uint64_t qwNow) = 0;
    virtual void vOutByte(unsigned nRegister, uint8_t bValue, uint64_t qwNow) = 0;
};

// The I/O port space. An access that one handler claims whole goes to it; any other is split
// into byte cycles, as the bus does with an access that straddles two devices. Ports nobody
// claims read all ones and ignore writes.
class CPortMap {
public:
    bool bAdd(std::unique_ptr<CPortHandler> pHandler, std::string& strError);
    uint32_t dwIn(uint16_t wPort, unsigned nWidth, const AccessContext& context);
    void vOut(uint16_t wPort, unsigned nWidth, uint32_t dwValue, const AccessContext& context);

private:
    CPortHandler* pClaimer(uint32_t nPort, unsigned nWidth) const;
    std::vector<std::unique_ptr<CPortHandler>> m_Handlers;
};

// The physical address space. Reads of addresses nobody claims give all ones bytes (a memory
// hole), writes there are dropped.
class CMemoryMap {
public:
    bool bAdd(std::unique_ptr<CMemoryHandler> pHandler, std::string& strError);
    void vRead(uint64_t qwAddress, uint32_t nCount, uint8_t* pBuffer, const AccessContext& context);
    void vWrite(uint64_t qwAddress, uint32_t nCount, const uint8_t* pData, const AccessContext& context);

private:
    // The handler under qwAt and the length of its part of the remaining qwLeft bytes; null
    // with the length of the hole when nothing is there.
    CMemoryHandler* pPiece(uint64_t qwAt, uint64_t qwLeft, uint64_t& qwPiece) const;
    std::vector<std::unique_ptr<CMemoryHandler>> m_Handlers;  // ascending bases, no overlaps
};

}  // namespace sim
