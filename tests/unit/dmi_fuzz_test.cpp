// SPDX-License-Identifier: GPL-2.0-or-later
// Random and mutated tables for the walk and the structures: nothing is read outside the
// table (the sanitizer build checks every access), the walk ends, and every report is plain
// text.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "DmiTestTables.h"
#include "discovery/DMIInterface.h"
#include "discovery/DMITable.h"

namespace {

using dmitest::Bytes;

// Makes the objects of every structure it is handed and has them write their reports.
class CReportingVisitor : public dmi::IDMIVisitor {
public:
    void vVisit(const dmi::CDMIRawStructure& structure) override
    {
        ++nVisited;
        std::unique_ptr<CDMIStructure> pStructure(dmi::CreateStructure(structure));
        if (!pStructure) return;
        const std::string strReport = dmitest::strDump(*pStructure);
        bReportsSound = bReportsSound && strReport.rfind("DMI ", 0) == 0 && strReport.size() >= 2 &&
                        strReport.compare(strReport.size() - 2, 2, "\n\n") == 0;
        for (char c : strReport)
            bReportsSound = bReportsSound && ((c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n');
    }
    uint32_t nVisited = 0;
    bool bReportsSound = true;
};

// Walks a copy of exactly the table's size, so that any read past it is caught.
void vCheck(const Bytes& table, const char* pszWhat, int nIteration)
{
    std::unique_ptr<uint8_t[]> pCopy(new uint8_t[table.size() ? table.size() : 1]);
    std::copy(table.begin(), table.end(), pCopy.get());
    CReportingVisitor visitor;
    const dmi::DMIWalkResult result = dmi::WalkTable(pCopy.get(), uint32_t(table.size()), visitor);
    ASSERT_LE(result.nBytes, std::min<size_t>(table.size(), dmi::DMI_TABLE_BYTES)) << pszWhat << " " << nIteration;
    ASSERT_EQ(result.nStructures, visitor.nVisited);
    ASSERT_LE(visitor.nVisited, table.size() / 4 + 1) << pszWhat << " " << nIteration;
    ASSERT_TRUE(visitor.bReportsSound) << pszWhat << " " << nIteration;
    CDMIInterface dmi;
    const dmi::DMIWalkResult loaded = dmi.LoadTable(pCopy.get(), uint32_t(table.size()));
    ASSERT_EQ(loaded.nStructures, result.nStructures);
    ASSERT_LE(dmi.m_pStructures->m_nCount, result.nStructures);
}

// Structures with plausible headers and random contents, lengths and string areas.
Bytes RandomTable(std::mt19937& random)
{
    static const uint8_t s_Types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 127, 0x80, 0xFF};
    Bytes table;
    const size_t nStructures = random() % 40;
    for (size_t i = 0; i < nStructures; ++i) {
        const uint8_t bLength = uint8_t(random() % 70);
        table.push_back(s_Types[random() % sizeof s_Types]);
        table.push_back(bLength);
        for (unsigned n = 2; n < bLength; ++n) table.push_back(uint8_t(random() % 4 ? random() % 12 : random()));
        const size_t nStrings = random() % 6;
        for (size_t s = 0; s < nStrings; ++s) {
            const size_t nChars = random() % 5 ? random() % 20 : random() % 700;
            for (size_t c = 0; c < nChars; ++c) table.push_back(uint8_t(1 + random() % 255));
            table.push_back(0);
        }
        if (random() % 8) table.push_back(0);
    }
    return table;
}

void vMutate(Bytes& table, std::mt19937& random)
{
    const unsigned nMutations = 1 + random() % 8;
    for (unsigned m = 0; m < nMutations && !table.empty(); ++m) {
        const size_t nAt = random() % table.size();
        switch (random() % 6) {
        case 0: table[nAt] ^= uint8_t(1u << (random() % 8)); break;
        case 1: table[nAt] = uint8_t(random()); break;
        case 2: table[nAt] = (random() % 2) ? 0x00 : 0xFF; break;
        case 3: table.resize(nAt); break;
        case 4: table.insert(table.begin() + long(nAt), uint8_t(random())); break;
        default: table.erase(table.begin() + long(nAt)); break;
        }
    }
}

TEST(DmiFuzz, RandomTables)
{
    std::mt19937 random(0x5EED1);
    for (int i = 0; i < 2000; ++i) {
        Bytes table;
        if (i % 4 == 0) {
            table.resize(random() % 20000);
            for (uint8_t& b : table) b = uint8_t(random());
        } else {
            table = RandomTable(random);
        }
        vCheck(table, "random", i);
        if (HasFatalFailure()) return;
    }
}

TEST(DmiFuzz, MutatedRealisticTables)
{
    std::mt19937 random(0x5EED2);
    const Bytes realistic = dmitest::RealisticTable();
    for (int i = 0; i < 3000; ++i) {
        Bytes table = realistic;
        vMutate(table, random);
        vCheck(table, "mutated", i);
        if (HasFatalFailure()) return;
    }
}

TEST(DmiFuzz, TablesLongerThanTheBuffer)
{
    std::mt19937 random(0x5EED3);
    for (int i = 0; i < 50; ++i) {
        Bytes table;
        while (table.size() < 17000) {
            const Bytes more = RandomTable(random);
            table.insert(table.end(), more.begin(), more.end());
        }
        vCheck(table, "long", i);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
