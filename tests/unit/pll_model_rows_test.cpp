// SPDX-License-Identifier: GPL-2.0-or-later
// The table of supported clock generators holds what its rows say: every id once, each
// creator making a driver of its own id with the second bus clock the row names, the name
// tables made from the rows in their order, and the "emulated" column as the simulator has it:
// its list of clock chip models for the chips on the SMBus, its boards for the chipset PLLs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "PLLTestKit.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"
#include "sim/ClockChip.h"

namespace {

// Every id once, and each creator makes a driver of its row's id. "" when the rows are
// sound, else what is wrong with the first row that is not.
std::string strRowFault(std::span<const PLL_MODEL> rows)
{
    std::set<uint32_t> seen;
    for (const PLL_MODEL& row : rows) {
        char szID[16];
        std::snprintf(szID, sizeof szID, "%08x", row.dwID);
        if (!seen.insert(row.dwID).second) return std::string("id ") + szID + " appears twice";
        std::unique_ptr<CClockGenerator> pDriver(row.pfnCreate ? row.pfnCreate() : nullptr);
        if (!pDriver) return std::string("the creator of ") + szID + " makes no driver";
        if (pDriver->m_dwPLLID != row.dwID) {
            char szMade[16];
            std::snprintf(szMade, sizeof szMade, "%08x", pDriver->m_dwPLLID);
            return std::string("the creator of ") + szID + " makes a driver of " + szMade;
        }
    }
    return "";
}

template <typename T>
CClockGenerator* pMake()
{
    return new T;
}

class CDriverOf951462 : public CClockGenerator {
public:
    CDriverOf951462() : CClockGenerator(0x01951462) {}
};

TEST(PLLModelRows, EveryIdOnceAndEachCreatorMakesItsOwnModel)
{
    EXPECT_EQ(strRowFault(PLLModels()), "");

    // The check itself finds both faults.
    const PLL_MODEL twice[] = {
        {0x01951462, "ICS 951462", pMake<CDriverOf951462>, GSB_PCIE, nullptr, PLL_CHECKED_BY_HAND},
        {0x01951462, "ICS 951462", pMake<CDriverOf951462>, GSB_PCIE, nullptr, PLL_CHECKED_BY_HAND},
    };
    EXPECT_EQ(strRowFault(twice), "id 01951462 appears twice");
    const PLL_MODEL other[] = {
        {0x01951446, "ICS 951446", pMake<CDriverOf951462>, GSB_PCIE, nullptr, PLL_CHECKED_BY_HAND},
    };
    EXPECT_EQ(strRowFault(other), "the creator of 01951446 makes a driver of 01951462");
}

TEST(PLLModelRows, NameTablesAreTheRowsInTheirOrder)
{
    std::vector<const PLL_ENTRY*> entries;
    std::vector<bool> inChipsetTable;
    for (const PLL_ENTRY* pTable : {g_SMBusPLLTable, g_ChipsetPLLTable}) {
        for (const PLL_ENTRY* p = pTable; p->dwID != PLL_ID_END; ++p) {
            entries.push_back(p);
            inChipsetTable.push_back(pTable == g_ChipsetPLLTable);
        }
    }
    std::span<const PLL_MODEL> rows = PLLModels();
    ASSERT_EQ(entries.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(entries[i]->dwID, rows[i].dwID) << i;
        EXPECT_STREQ(entries[i]->szName, rows[i].pszName) << i;
        EXPECT_EQ(pFindPLLModel(rows[i].dwID), &rows[i]) << i;
        // The chipset PLLs, and only they, are in the second table.
        EXPECT_EQ(inChipsetTable[i], (rows[i].dwID & PLL_FAMILY_NVIDIA) != 0) << i;
    }
    EXPECT_EQ(g_SMBusPLLTable[0].dwID, PLL_ID_NOT_SPECIFIED);
    EXPECT_EQ(pFindPLLModel(PLL_ID_END), nullptr);
}

TEST(PLLModelRows, TheSecondBusClockIsTheDriversOwn)
{
    for (const PLL_MODEL& row : PLLModels()) {
        std::unique_ptr<CClockGenerator> pDriver(row.pfnCreate());
        ASSERT_NE(pDriver, nullptr) << row.pszName;
        // A chip told by the graphics card starts as AGP, until a read finds the card.
        const int32_t nExpected = row.nGSBType == PLL_GSB_BY_GRAPHICS_CARD ? GSB_AGP : row.nGSBType;
        EXPECT_EQ(pDriver->m_nGSBType, nExpected) << row.pszName;
    }
}

TEST(PLLModelRows, OnlyAnEmulatedModelIsCheckedOnItsEmulation)
{
    for (const PLL_MODEL& row : PLLModels()) {
        if (row.pszEmulation) continue;
        EXPECT_LT(int(row.eChecked), int(PLL_CHECKED_EMULATED)) << row.pszName;
    }
}

// Models the simulator emulates that are no clock generator of the table.
const std::set<std::string> NOT_CLOCK_GENERATORS = {"ics9p932"};  // the FB-DIMM memory buffer

TEST(PLLModelRows, EmulatedSMBusChipsAreTheSimulatorsModels)
{
    std::map<std::string, uint32_t> claimed;
    for (const PLL_MODEL& row : PLLModels()) {
        if (row.dwID & PLL_FAMILY_NVIDIA) continue;
        if (!row.pszEmulation) continue;
        EXPECT_TRUE(claimed.emplace(row.pszEmulation, row.dwID).second) << row.pszEmulation << " claimed twice";
        EXPECT_NE(sim::pCreateClockChip(row.pszEmulation, {}), nullptr) << row.pszName << ": " << row.pszEmulation;
    }
    // A chip the simulator has that no row names as emulated.
    for (const sim::ClockChipModel& model : sim::ClockChipModels()) {
        if (NOT_CLOCK_GENERATORS.count(model.pszModel)) continue;
        EXPECT_TRUE(claimed.count(model.pszModel)) << model.pszModel << " is emulated, but no row says so";
    }
}

// Every board file whose chipset has a PLL driver: the id, and whether the board's bus follows
// a new FSB set through it (the chipset emulates the PLL) or not (its registers are plain).
std::map<std::string, std::pair<uint32_t, bool>> ChipsetPLLBoards()
{
    std::map<std::string, std::pair<uint32_t, bool>> boards;
    for (const auto& entry : std::filesystem::directory_iterator(PENDULON_BOARDS_DIR)) {
        if (entry.path().extension() != ".json") continue;
        const std::string strBoard = entry.path().stem().string();
        const plltest::json document = chipsettest::BoardJson(strBoard);
        std::string strError;
        if (!sim::CSimBoard::FromJson(document.dump(), strError)) continue;  // a board made to fail
        plltest::CPLLKit kit(document);
        if (!kit.bReady() || !kit.pPLL() || !kit.pPLL()->m_pPLL) continue;
        CClockGenerator& pll = *kit.pPLL()->m_pPLL;
        if (!(pll.m_dwPLLID & PLL_FAMILY_NVIDIA)) continue;
        bool bFollows = false;
        if (pll.bReadClocks(pll.m_Current) && pll.m_Current.m_fFSB > 0) {
            const float fWanted = pll.m_Current.m_fFSB + 10.0f;
            const double dBefore = double(kit.qwBusHz()) / 1e6;
            if (pll.bSetFSB(fWanted)) {
                const double dAfter = double(kit.qwBusHz()) / 1e6;
                bFollows = std::fabs(dAfter - fWanted) < 1.0 && std::fabs(dAfter - dBefore) > 5.0;
            }
        }
        boards[strBoard] = {pll.m_dwPLLID, bFollows};
    }
    return boards;
}

TEST(PLLModelRows, EmulatedChipsetPLLsAreThoseABoardRunsOn)
{
    const auto boards = ChipsetPLLBoards();
    ASSERT_FALSE(boards.empty());
    std::set<uint32_t> emulated;
    for (const auto& [strBoard, found] : boards)
        if (found.second) emulated.insert(found.first);
    for (const PLL_MODEL& row : PLLModels()) {
        if (!(row.dwID & PLL_FAMILY_NVIDIA)) continue;
        EXPECT_EQ(row.pszEmulation != nullptr, emulated.count(row.dwID) == 1) << row.pszName;
        if (!row.pszEmulation) continue;
        auto it = boards.find(row.pszEmulation);
        ASSERT_NE(it, boards.end()) << row.pszEmulation << " has no chipset PLL";
        EXPECT_EQ(it->second.first, row.dwID) << row.pszEmulation;
        EXPECT_TRUE(it->second.second) << row.pszEmulation << ": the bus does not follow the PLL";
    }
}

}  // namespace
