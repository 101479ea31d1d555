// SPDX-License-Identifier: GPL-2.0-or-later
// The probe fed with seeded random and mutated firmware tables. Whatever the bytes say, it
// must stay inside what it read (the sanitizer build watches that), never read a table
// longer than 4096 bytes, examine at most 17 entries, and make a timer only from a FADT
// that really holds a usable PM timer port.
#include <gtest/gtest.h>

#include <random>

#include "AcpiMemoryDevice.h"
#include "kit/ACPIInterface.h"
#include "kit/ACPITimer.h"

using namespace acpitest;

namespace {

constexpr int ITERATIONS = 3000;

// Lengths that sit on the edges the probe must respect.
const uint32_t s_EdgeLengths[] = {0, 1, 20, 35, 36, 37, 79, 80, 116, 244, 303, 304, 4095, 4096, 4097, 0x7FFFFFFF,
                                  0x80000000, 0xFFFFFFDC, 0xFFFFFFFF};

class CTableFuzzer {
public:
    explicit CTableFuzzer(uint32_t nSeed) : m_Random(nSeed) {}

    uint32_t dwBelow(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_Random); }
    bool bChance(uint32_t nPercent) { return dwBelow(100) < nPercent; }
    uint32_t dwLength()
    {
        if (bChance(40)) return s_EdgeLengths[dwBelow(std::size(s_EdgeLengths))];
        return bChance(80) ? 36 + dwBelow(400) : uint32_t(m_Random());
    }
    // Somewhere a table might be: in RAM, in a hole, across a page, at the top of 4 GiB.
    uint32_t dwAddress()
    {
        switch (dwBelow(6)) {
        case 0: return 0xFFFFFFFF - dwBelow(64);
        case 1: return uint32_t(m_Random());
        case 2: return 0x7FFF0000 + 0x1000 * dwBelow(4) - dwBelow(40);
        default: return 0x7FFF0000 + 16 * dwBelow(0x1000);
        }
    }

    // Lays a machine's tables into memory and returns where the RSDP went.
    void vLay(CMemoryDevice& memory)
    {
        const uint32_t dwRsdt = bChance(90) ? 0x7FFF0000 + 16 * dwBelow(64) : dwAddress();
        const uint32_t dwRsdp = bChance(30) ? 16 * dwBelow(64) : 0xE0000 + 16 * dwBelow(0x2000);
        std::vector<uint8_t> rsdp = Rsdp(dwRsdt);
        std::vector<uint32_t> entries;
        const uint32_t nEntries = dwBelow(26);
        for (uint32_t i = 0; i < nEntries; ++i) entries.push_back(dwAddress());
        const int64_t nRsdtLength = bChance(60) ? -1 : int64_t(dwLength());
        for (uint32_t dwEntry : entries) {
            std::vector<uint8_t> table;
            if (bChance(50))
                table = Fadt(uint8_t(dwBelow(8)), dwLength(), bChance(80) ? dwBelow(0x10000) : uint32_t(m_Random()));
            else
                table = Table(bChance(50) ? "SSDT" : "OEMX", dwLength(), uint8_t(dwBelow(4)), dwBelow(300));
            if (table.size() > 4200) table.resize(4200);
            vMutate(table);
            memory.vPut(dwEntry, table);
        }
        std::vector<uint8_t> rsdt = Rsdt(entries, nRsdtLength);
        vMutate(rsdt);
        memory.vPut(dwRsdt, rsdt);
        vMutate(rsdp);
        if (bChance(70)) {  // mostly keep the checksum right, so the walk goes on
            rsdp[8] = 0;
            uint8_t bSum = 0;
            for (size_t i = 0; i < 20; ++i) bSum = uint8_t(bSum + rsdp[i]);
            rsdp[8] = uint8_t(0x100 - bSum);
        }
        memory.vPut(dwRsdp, rsdp);
        if (bChance(20)) memory.vPut(dwRsdp + 16, Rsdp(dwAddress()));  // a second one on the next boundary
    }

private:
    void vMutate(std::vector<uint8_t>& bytes)
    {
        if (bytes.empty() || !bChance(50)) return;
        const uint32_t nChanges = 1 + dwBelow(6);
        for (uint32_t i = 0; i < nChanges; ++i) bytes[dwBelow(uint32_t(bytes.size()))] = uint8_t(m_Random());
    }

    std::mt19937 m_Random;
};

uint8_t bSum20(const uint8_t* p)
{
    uint8_t b = 0;
    for (int i = 0; i < 20; ++i) b = uint8_t(b + p[i]);
    return b;
}

TEST(AcpiFuzz, RandomAndMutatedTablesAreWalkedSafely)
{
    CMemoryKit kit;
    CMemoryDevice& memory = kit.Device();
    ORVEXSDK* pKit = ORVEXSDK::Instance();
    int nFound = 0, nTimers = 0;
    for (int nIteration = 0; nIteration < ITERATIONS; ++nIteration) {
        SCOPED_TRACE("iteration " + std::to_string(nIteration));
        memory.vClear();
        CTableFuzzer fuzzer(0xAC91 + nIteration);
        fuzzer.vLay(memory);
        memory.m_Reads.clear();
        const uint32_t nTimersBefore = pKit->m_pTimerList->m_nCount;

        CACPIInterface acpi;
        const uint32_t dwResult = acpi.Probe();
        const std::vector<CMemoryDevice::Read> reads = memory.m_Reads;

        ASSERT_EQ(pKit->m_pTimerList->m_nCount, nTimersBefore + (acpi.m_pTimer ? 1 : 0));
        ASSERT_LE(acpi.m_nExamined, 17u);
        size_t nSearchReads = 0;
        for (const CMemoryDevice::Read& r : reads) {
            const bool bSearch = (r.qwAddress == 0 && r.nCount == 1024) || (r.qwAddress == 0xE0000 && r.nCount == 0x20000);
            if (bSearch) {
                ++nSearchReads;
                continue;
            }
            ASSERT_LE(r.nCount, 4096u) << std::hex << r.qwAddress;
        }
        ASSERT_LE(nSearchReads, 2u);
        if (!dwResult) {
            ASSERT_EQ(acpi.m_pTimer, nullptr);
            continue;
        }
        ++nFound;
        ASSERT_EQ(acpi.m_dwRSDPAddress % 16, 0u);
        ASSERT_TRUE(acpi.m_dwRSDPAddress + 20 <= 1024 || (acpi.m_dwRSDPAddress >= 0xE0000 && acpi.m_dwRSDPAddress + 20 <= 0x100000));
        ASSERT_EQ(bSum20(acpi.m_pRSDP), 0);
        ASSERT_EQ(std::memcmp(acpi.m_pRSDP, "RSD PTR ", 8), 0);
        ASSERT_LE(int64_t(acpi.m_nExamined), std::max<int64_t>(acpi.m_nRSDTEntries, 0));
        if (!acpi.m_pTimer) continue;
        ++nTimers;
        // The timer's FADT was read whole and may give one.
        const ACPIEntryInfo* pFADT = nullptr;
        for (uint32_t i = 0; i < acpi.m_nExamined; ++i)
            if (acpi.m_Entries[i].dwAddress == acpi.m_dwFADTAddress && acpi.m_Entries[i].eState == ACPIEntryState::Read)
                pFADT = &acpi.m_Entries[i];
        ASSERT_NE(pFADT, nullptr);
        ASSERT_STREQ(pFADT->szSignature, "FACP");
        ASSERT_GE(pFADT->dwLength, 80u);
        ASSERT_LE(pFADT->dwLength, 4096u);
        ASSERT_FALSE(pFADT->bRevision >= 3 && pFADT->dwLength >= 304);
        ASSERT_GE(acpi.m_pTimer->wPort(), 1u);
        ASSERT_LE(acpi.m_pTimer->wPort(), 0xFFFCu);
        ASSERT_EQ(memory.dwPeek(uint64_t(acpi.m_dwFADTAddress) + 76), acpi.m_pTimer->wPort());
    }
    // The seeds reach every part of the walk, not only the search.
    EXPECT_GT(nFound, ITERATIONS / 2);
    EXPECT_GT(nTimers, ITERATIONS / 20);
}

}  // namespace
