// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit whose driver answers from an in-memory machine: sparse physical memory that tests
// fill with firmware tables byte by byte (unfilled memory reads all ones, as a hole does),
// one port that reads a set value, and a PM timer measurement that answers what the test
// says. Every physical memory read is recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "kit/AccessDevice.h"
#include "kit/DeviceDriver.h"
#include "kit/ORVEXSDK.h"

class CMemoryDevice : public CAccessDevice {
public:
    struct Read {
        uint64_t qwAddress;
        uint32_t nCount;
    };

    const char* szName() const override { return "memory"; }
    bool bPrepare(std::string&) override { return true; }
    void vRelease() override {}

    void vPut(uint64_t qwAddress, const std::vector<uint8_t>& bytes)
    {
        for (size_t i = 0; i < bytes.size(); ++i) Byte(qwAddress + i) = bytes[i];
    }
    void vPutDword(uint64_t qwAddress, uint32_t dw)
    {
        vPut(qwAddress, {uint8_t(dw), uint8_t(dw >> 8), uint8_t(dw >> 16), uint8_t(dw >> 24)});
    }
    void vClear() { m_Pages.clear(); }
    // The dword at a 64-bit address, as memory holds it, without recording a read.
    uint32_t dwPeek(uint64_t qwAddress)
    {
        uint32_t dw = 0;
        for (unsigned i = 0; i < 4; ++i) {
            auto it = m_Pages.find((qwAddress + i) >> 12);
            const uint8_t b = it == m_Pages.end() ? 0xFF : it->second[(qwAddress + i) & 0xFFF];
            dw |= uint32_t(b) << (8 * i);
        }
        return dw;
    }

    std::vector<Read> m_Reads;
    uint64_t m_qwFailReadAt = ~0ull;  // a read starting here fails
    uint16_t m_wPort = 0;             // the one port that answers m_dwPortValue
    uint32_t m_dwPortValue = 0;
    bool m_bPortFails = false;
    uint32_t m_dwPMTicks = 0, m_dwPMElapsed = 0;  // the measurement's answer; 0 ticks: it fails
    std::vector<uint16_t> m_MeasuredPorts;

protected:
    bool bPortIn(uint16_t wPort, unsigned, uint32_t& dwValue) override
    {
        if (m_bPortFails) return false;
        dwValue = wPort == m_wPort ? m_dwPortValue : 0xFFFFFFFF;
        return true;
    }
    bool bPortOut(uint16_t, unsigned, uint32_t) override { return true; }
    bool bReadPhysical(uint64_t qwAddress, uint32_t nCount, void* pBuffer) override
    {
        m_Reads.push_back({qwAddress, nCount});
        if (qwAddress == m_qwFailReadAt) return false;
        uint8_t* p = static_cast<uint8_t*>(pBuffer);
        uint64_t qwAt = qwAddress;
        uint32_t nLeft = nCount;
        while (nLeft) {
            const uint64_t qwPage = qwAt >> 12;
            const uint32_t nOffset = uint32_t(qwAt & 0xFFF);
            const uint32_t nPiece = std::min<uint32_t>(nLeft, 4096 - nOffset);
            auto it = m_Pages.find(qwPage);
            if (it == m_Pages.end())
                std::memset(p, 0xFF, nPiece);
            else
                std::memcpy(p, it->second.data() + nOffset, nPiece);
            p += nPiece;
            qwAt += nPiece;
            nLeft -= nPiece;
        }
        return true;
    }
    bool bWritePhysicalDword(uint64_t, uint32_t) override { return false; }
    bool bReadMsr(uint32_t, uint64_t&) override { return false; }
    bool bWriteMsr(uint32_t, uint64_t) override { return false; }
    bool bMeasurePMTimer(uint16_t wPort, uint32_t& dwTicks, uint32_t& dwElapsed100ns) override
    {
        m_MeasuredPorts.push_back(wPort);
        dwTicks = m_dwPMTicks;
        dwElapsed100ns = m_dwPMElapsed;
        return m_dwPMTicks != 0;
    }

private:
    uint8_t& Byte(uint64_t qwAddress)
    {
        auto it = m_Pages.find(qwAddress >> 12);
        if (it == m_Pages.end()) {
            it = m_Pages.emplace(qwAddress >> 12, std::array<uint8_t, 4096>{}).first;
            it->second.fill(0);
        }
        return it->second[qwAddress & 0xFFF];
    }
    std::unordered_map<uint64_t, std::array<uint8_t, 4096>> m_Pages;
};

// The kit root with a driver on a CMemoryDevice, initialised and open.
class CMemoryKit {
public:
    CMemoryKit()
    {
        auto pDevice = std::make_unique<CMemoryDevice>();
        m_pDevice = pDevice.get();
        m_pDriver = std::make_unique<CDeviceDriver>(std::move(pDevice));
        ORVEXSDK::Destroy();
        ORVEXSDK::Instance()->m_pDriver = m_pDriver.get();
        uint32_t dwError = 0;
        EXPECT_TRUE(m_pDriver->bInitDriver(nullptr, "vexa", "vexa", 1));
        EXPECT_TRUE(m_pDriver->bOpenDevice(dwError));
    }
    ~CMemoryKit()
    {
        if (m_pDriver->bIsOpen()) m_pDriver->vCloseDevice();
        m_pDriver->vUnloadDriver();
        ORVEXSDK::Destroy();
    }
    CMemoryKit(const CMemoryKit&) = delete;
    CMemoryKit& operator=(const CMemoryKit&) = delete;

    CMemoryDevice& Device() { return *m_pDevice; }
    CDeviceDriver& Driver() { return *m_pDriver; }

private:
    CMemoryDevice* m_pDevice = nullptr;
    std::unique_ptr<CDeviceDriver> m_pDriver;
};

// Firmware tables as bytes, for tests to lay into a CMemoryDevice.
namespace acpitest {

inline void vPutDword(std::vector<uint8_t>& t, size_t nAt, uint32_t dw)
{
    if (t.size() < nAt + 4) t.resize(nAt + 4, 0);
    for (size_t i = 0; i < 4; ++i) t[nAt + i] = uint8_t(dw >> (8 * i));
}

// A 20-byte RSDP pointing at dwRsdt, with a checksum that comes out (or not).
inline std::vector<uint8_t> Rsdp(uint32_t dwRsdt, bool bGoodChecksum = true)
{
    std::vector<uint8_t> t(20, 0);
    std::memcpy(t.data(), "RSD PTR ", 8);
    std::memcpy(t.data() + 9, "TESTER", 6);
    vPutDword(t, 16, dwRsdt);
    uint8_t bSum = 0;
    for (uint8_t b : t) bSum = uint8_t(bSum + b);
    t[8] = uint8_t(0x100 - bSum + (bGoodChecksum ? 0 : 1));
    return t;
}

// A table header claiming dwLength bytes, followed by zeros up to nBytes.
inline std::vector<uint8_t> Table(const char* pszSignature, uint32_t dwLength, uint8_t bRevision, size_t nBytes)
{
    std::vector<uint8_t> t(std::max<size_t>(nBytes, 36), 0);
    std::memcpy(t.data(), pszSignature, 4);
    vPutDword(t, 4, dwLength);
    t[8] = bRevision;
    std::memcpy(t.data() + 10, "TESTER", 6);
    return t;
}

// An RSDT listing the entries; its length field says nLength when that is not negative.
inline std::vector<uint8_t> Rsdt(const std::vector<uint32_t>& entries, int64_t nLength = -1)
{
    const uint32_t dwReal = uint32_t(36 + 4 * entries.size());
    std::vector<uint8_t> t = Table("RSDT", nLength >= 0 ? uint32_t(nLength) : dwReal, 1, dwReal);
    for (size_t i = 0; i < entries.size(); ++i) vPutDword(t, 36 + 4 * i, entries[i]);
    return t;
}

// A FADT of the given revision and length whose PM timer block (offset 76) is dwPort.
inline std::vector<uint8_t> Fadt(uint8_t bRevision, uint32_t dwLength, uint32_t dwPort)
{
    std::vector<uint8_t> t = Table("FACP", dwLength, bRevision, std::max<uint32_t>(dwLength <= 4096 ? dwLength : 0, 116));
    vPutDword(t, 76, dwPort);
    return t;
}

}  // namespace acpitest
