// SPDX-License-Identifier: GPL-2.0-or-later
// The DMI table as untrusted input: the entry point's rules, the walk over damaged tables and
// the string area.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DmiTestTables.h"
#include "discovery/DMIInterface.h"
#include "discovery/DMISystemStructures.h"
#include "discovery/DMITable.h"

namespace {

using dmitest::Bytes;
using dmitest::Structure;

// Records what the walk hands out.
class CRecorder : public dmi::IDMIVisitor {
public:
    void vVisit(const dmi::CDMIRawStructure& structure) override
    {
        Types.push_back(structure.bType());
        Handles.push_back(structure.wHandle());
        FirstStrings.push_back(std::string(structure.String(1)));
    }
    std::vector<uint8_t> Types;
    std::vector<uint16_t> Handles;
    std::vector<std::string> FirstStrings;
};

CRecorder Walk(const Bytes& table, dmi::DMIWalkResult& result, uint32_t nLength = 0xFFFFFFFF)
{
    CRecorder recorder;
    result = dmi::WalkTable(table.data(), std::min<uint32_t>(nLength, uint32_t(table.size())), recorder);
    return recorder;
}

Bytes EntryPoint(uint16_t wLength, uint32_t dwAddress, uint16_t wCount)
{
    Bytes entry = {'_', 'D', 'M', 'I', '_', 0, uint8_t(wLength), uint8_t(wLength >> 8), uint8_t(dwAddress),
                   uint8_t(dwAddress >> 8), uint8_t(dwAddress >> 16), uint8_t(dwAddress >> 24), uint8_t(wCount),
                   uint8_t(wCount >> 8), 0x24};
    uint8_t bSum = 0;
    for (uint8_t b : entry) bSum = uint8_t(bSum + b);
    entry[5] = uint8_t(-bSum);
    return entry;
}

std::string strHex(const Bytes& bytes)
{
    std::string str;
    char sz[4];
    for (uint8_t b : bytes) {
        std::snprintf(sz, sizeof sz, "%02x ", b);
        str += sz;
    }
    return str;
}

TEST(DmiEntryPoint, NeedsTheFullAnchorAndAZeroSum)
{
    const Bytes good = EntryPoint(0x300, 0xF0820, 20);
    EXPECT_TRUE(dmi::bValidEntryPoint(good.data()));
    Bytes badSum = good;
    ++badSum[6];
    EXPECT_FALSE(dmi::bValidEntryPoint(badSum.data()));
    Bytes badAnchor = good;
    badAnchor[4] = 'X';
    badAnchor[5] = uint8_t(badAnchor[5] + '_' - 'X');  // the sum still comes out
    EXPECT_FALSE(dmi::bValidEntryPoint(badAnchor.data()));
}

TEST(DmiEntryPoint, ProbePassesOverABrokenAnchorAndFindsTheGoodOne)
{
    // A "_DMI_" with a wrong sum at 0xF0000, the board's real entry point at 0xF0100.
    Bytes broken = EntryPoint(0x40, 0x1000, 1);
    ++broken[5];
    dmitest::CBoardDriver board(dmitest::strBoardWith(
        R"({"entry_point": "0xf0100", "table": "0xf0200", "bios": {"vendor": "Phoenix"}})", strHex(broken)));
    ASSERT_TRUE(board.bReady());
    CDMIInterface dmi;
    ASSERT_TRUE(dmi.Probe(board.Driver()));
    EXPECT_EQ(dmi.m_dwEntryAddress, 0xF0110u);  // the "_DMI_" part of the "_SM_" entry point
    EXPECT_EQ(dmi.m_pEntry->dwTableAddress, 0xF0200u);
    ASSERT_EQ(dmi.m_pStructures->m_nCount, 1u);
    EXPECT_STREQ(static_cast<CDMI_Bios*>(dmi.m_pStructures->m_pHead->m_pObject)->m_szVendor, "Phoenix");
}

TEST(DmiEntryPoint, NoValidEntryPointMeansNoTable)
{
    dmitest::CBoardDriver bad(dmitest::strBoardWith(R"({"bios": {"vendor": "x"}, "damage": {"bad_checksum": true}})"));
    ASSERT_TRUE(bad.bReady());
    CDMIInterface dmi;
    EXPECT_FALSE(dmi.Probe(bad.Driver()));
    dmitest::CBoardDriver none(dmitest::strBoardWith(""));
    ASSERT_TRUE(none.bReady());
    CDMIInterface dmi2;
    EXPECT_FALSE(dmi2.Probe(none.Driver()));
}

TEST(DmiEntryPoint, OnlyTheTableIsReadAndTheCountIsNotBelieved)
{
    // The table ends 0x40 bytes before the end of memory; 16384 bytes from there would run
    // into the hole above 1 MiB.
    for (const char* pszCount : {"0", "1", "9999"}) {
        dmitest::CBoardDriver board(dmitest::strBoardWith(
            std::string(R"({"table": "0xfffa0", "bios": {"vendor": "v"}, "system": {"product": "p"},
                            "damage": {"structures": )") + pszCount + "}}"));
        ASSERT_TRUE(board.bReady());
        board.Board().Log().vClear();
        CDMIInterface dmi;
        ASSERT_TRUE(dmi.Probe(board.Driver())) << pszCount;
        EXPECT_EQ(dmi.m_pStructures->m_nCount, 2u) << "count " << pszCount;
        const uint32_t nLength = dmi.m_pEntry->wTableLength;
        bool bTableRead = false;
        for (const sim::AccessRecord& r : board.Board().Log().Records()) {
            if (r.eKind != sim::AccessKind::MemoryRead || r.qwAddress != 0xFFFA0) continue;
            EXPECT_EQ(r.nWidth, nLength);
            bTableRead = true;
        }
        EXPECT_TRUE(bTableRead);
    }
}

TEST(DmiWalk, ARealisticTableIsWalkedToItsEnd)
{
    const Bytes table = dmitest::RealisticTable();
    dmi::DMIWalkResult result;
    CRecorder r = Walk(table, result);
    EXPECT_FALSE(result.bCut);
    EXPECT_EQ(result.nBytes, table.size());
    EXPECT_EQ(r.Types, (std::vector<uint8_t>{0, 1, 2, 3, 4, 7, 5, 6, 6, 8, 9, 9, 16, 17, 127}));
    EXPECT_EQ(r.Handles, (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 0xFEFF}));
    EXPECT_EQ(r.FirstStrings[2], "ASUSTeK Computer INC.");
    CDMIInterface dmi;
    dmi.LoadTable(table.data(), uint32_t(table.size()));
    EXPECT_EQ(dmi.m_pStructures->m_nCount, 13u);  // the cache and the end are not kept
}

TEST(DmiWalk, DamagedStructuresEndTheWalkWithoutReadingPastIt)
{
    const Bytes bios = Structure({0, 0, 0, 0, 1, 0, 0, 0, 0}, {"AMI"});
    struct Case {
        const char* pszWhat;
        Bytes tail;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"length below 4", {1, 3, 1, 0, 0, 0}, {0}},
        {"length 0", {0, 0, 0, 0, 0, 0}, {0}},
        {"formatted area past the end", {17, 0x40, 2, 0, 0, 0, 0, 0}, {0}},
        {"header cut by the end", {2, 8}, {0}},
        {"unterminated strings", {2, 8, 3, 0, 1, 2, 0, 0, 'A', 's', 'u', 's', 0, 'P', '5'}, {0, 2}},
    };
    for (const Case& c : cases) {
        Bytes table = bios;
        dmitest::vAppend(table, c.tail);
        dmi::DMIWalkResult result;
        CRecorder r = Walk(table, result);
        EXPECT_TRUE(result.bCut) << c.pszWhat;
        EXPECT_EQ(r.Types, c.expected) << c.pszWhat;
        EXPECT_LE(result.nBytes, table.size()) << c.pszWhat;
        CDMIInterface dmi;  // the objects are made from what was whole
        dmi.LoadTable(table.data(), uint32_t(table.size()));
        EXPECT_EQ(dmi.m_pStructures->m_nCount, c.expected.size()) << c.pszWhat;
    }
}

TEST(DmiWalk, TheEndStructureAndTheTableLengthBoundTheWalk)
{
    Bytes table = dmitest::RealisticTable();
    const size_t nReal = table.size();
    dmitest::vAppend(table, Structure({0, 0, 0x40, 0, 1}, {"after the end"}));
    dmi::DMIWalkResult result;
    CRecorder r = Walk(table, result);
    EXPECT_EQ(result.nBytes, nReal);
    EXPECT_EQ(r.Types.back(), 127);
    // A length that stops after the second structure.
    const uint32_t nTwo = uint32_t(Structure({0, 0, 0, 0, 1, 2, 0, 0xF0, 3}, {"a", "b", "c"}).size());
    Bytes two = Structure({0, 0, 0, 0, 1, 2, 0, 0xF0, 3}, {"a", "b", "c"});
    dmitest::vAppend(two, Structure({2, 0, 1, 0, 1}, {"board"}));
    dmitest::vAppend(two, Structure({3, 0, 2, 0, 1}, {"chassis"}));
    r = Walk(two, result, nTwo + 9);
    // The board's strings run past the length: it is kept without them and the walk ends.
    EXPECT_EQ(r.Types, (std::vector<uint8_t>{0, 2}));
    EXPECT_EQ(r.FirstStrings[1], "");
    EXPECT_TRUE(result.bCut);
}

TEST(DmiWalk, OnlyTheFirst16384BytesAreWalked)
{
    // OEM structures of 100 bytes each, past 16384 bytes; the one across the boundary is cut.
    Bytes table;
    uint16_t wHandle = 0;
    while (table.size() < 20000) {
        Bytes oem(96, 0x5A);
        oem[0] = 0x80;
        oem[2] = uint8_t(wHandle);
        oem[3] = uint8_t(wHandle >> 8);
        ++wHandle;
        dmitest::vAppend(table, Structure(oem, {"x"}));  // 96 + 2 + 1 = 99 bytes
    }
    dmi::DMIWalkResult result;
    CRecorder r = Walk(table, result);
    EXPECT_EQ(r.Types.size(), 16384u / 99);
    EXPECT_EQ(result.nBytes, (16384u / 99) * 99);
    CDMIInterface dmi;
    EXPECT_EQ(dmi.LoadTable(table.data(), uint32_t(table.size())).nStructures, 16384u / 99);
}

TEST(DmiWalk, AMemoryControllerWithoutStringTerminatorEndsAtItsFormattedArea)
{
    // Some BIOSes put no double zero after the memory controller: the next structure follows
    // its formatted area directly.
    Bytes table = {5, 0x0F, 0, 0, 3, 4, 4, 4, 11, 1, 0, 0, 5, 0, 0};
    dmitest::vAppend(table, Structure({0, 0, 1, 0, 1}, {"BIOS"}));
    dmi::DMIWalkResult result;
    CRecorder r = Walk(table, result);
    EXPECT_EQ(r.Types, (std::vector<uint8_t>{5, 0}));
    EXPECT_EQ(r.FirstStrings[1], "BIOS");
    EXPECT_FALSE(result.bCut);
    // With its double zero it is walked as any other structure.
    Bytes normal = Structure({5, 0, 0, 0, 3, 4, 4, 4, 11, 1, 0, 0, 5, 0, 0}, {});
    dmitest::vAppend(normal, Structure({0, 0, 1, 0, 1}, {"BIOS"}));
    r = Walk(normal, result);
    EXPECT_EQ(r.Types, (std::vector<uint8_t>{5, 0}));
}

TEST(DmiStrings, IndexesOutsideTheStringAreaGiveNothing)
{
    const Bytes s = Structure({2, 0, 0, 0, 1, 2, 3, 0, 9, 0xFF}, {"ASUSTeK", "P5B"});
    const dmi::CDMIRawStructure raw(s.data(), s[1], s.data() + s[1], uint32_t(s.size() - s[1]));
    EXPECT_EQ(raw.StringAt(4), "ASUSTeK");
    EXPECT_EQ(raw.StringAt(5), "P5B");
    EXPECT_EQ(raw.StringAt(6), "");    // 3: one past the last
    EXPECT_EQ(raw.StringAt(7), "");    // 0: none
    EXPECT_EQ(raw.StringAt(8), "");    // 9
    EXPECT_EQ(raw.StringAt(9), "");    // 255
    EXPECT_EQ(raw.StringAt(200), "");  // beyond the formatted area
    // An area whose last string has no zero: the strings before it still count.
    const Bytes cut = {'A', 'M', 'I', 0, 'P', '5', 'B'};
    const dmi::CDMIRawStructure open(s.data(), s[1], cut.data(), uint32_t(cut.size()));
    EXPECT_EQ(open.String(1), "AMI");
    EXPECT_EQ(open.String(2), "");
    // No strings at all.
    const Bytes empty = {0, 0};
    const dmi::CDMIRawStructure none(s.data(), s[1], empty.data(), 2);
    EXPECT_EQ(none.String(1), "");
}

TEST(DmiStrings, FieldsAreTrimmedUnquotedAndBounded)
{
    const std::string str300(300, 'x');
    const std::string str600(600, 'y');
    const Bytes s = Structure({2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7},
                              {"   Board  ", "\" ASUS\" 'P5B' ", "     ", str300, str600, "tab\there", "\x88\x1b[2J"});
    const dmi::CDMIRawStructure raw(s.data(), s[1], s.data() + s[1], uint32_t(s.size() - s[1]));
    char sz[DMI_STRING_BYTES];
    dmi::vCopyString(raw, 1, sz);
    EXPECT_STREQ(sz, "Board");
    dmi::vCopyString(raw, 2, sz);
    EXPECT_STREQ(sz, "ASUS P5B");
    dmi::vCopyString(raw, 3, sz);
    EXPECT_STREQ(sz, "");
    dmi::vCopyString(raw, 4, sz);
    EXPECT_EQ(std::string(sz), std::string(255, 'x'));
    dmi::vCopyString(raw, 5, sz);
    EXPECT_STREQ(sz, "");
    dmi::vCopyString(raw, 6, sz);
    EXPECT_STREQ(sz, "tab.here");
    dmi::vCopyString(raw, 7, sz);
    EXPECT_STREQ(sz, "..[2J");
    dmi::vCopyString(raw, 8, sz);
    EXPECT_STREQ(sz, "");
}

}  // namespace
