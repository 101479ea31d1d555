// SPDX-License-Identifier: GPL-2.0-or-later
// Naming of north and south bridges from the vendor tables, and the texts of bridges the
// tables do not know.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ChipsetTestKit.h"
#include "discovery/ChipsetNames.h"

namespace {

using chipsettest::CChipsetKit;
using chipsettest::json;
using chipsettest::PciEntry;

std::string strNorth(uint16_t wVendor, uint16_t wDevice)
{
    const CChipsetVendor* pVendor = chipset::pFindVendor(wVendor);
    const char* psz = pVendor ? chipset::pszFindModel(pVendor->pNorthBridges, wDevice) : nullptr;
    return psz ? psz : "";
}

std::string strSouth(uint16_t wVendor, uint16_t wDevice)
{
    const CChipsetVendor* pVendor = chipset::pFindVendor(wVendor);
    const char* psz = pVendor ? chipset::pszFindModel(pVendor->pSouthBridges, wDevice) : nullptr;
    return psz ? psz : "";
}

TEST(ChipsetNames, NamesBridgesOfEveryVendor)
{
    EXPECT_EQ(strNorth(0x8086, 0x277C), "i975X");
    EXPECT_EQ(strNorth(0x8086, 0x2570), "i865P/PE/G/i848P");
    EXPECT_EQ(strNorth(0x8086, 0x25C0), "5000X");
    EXPECT_EQ(strSouth(0x8086, 0x24D0), "82801EB (ICH5)");
    EXPECT_EQ(strSouth(0x8086, 0x27BD), "82801GHM (ICH7-M DH)");
    EXPECT_EQ(strNorth(0x10DE, 0x03A1), "nForce 680i SLI SPP");
    EXPECT_EQ(strNorth(0x10DE, 0x0071), "nForce4 SLI Intel Edition");
    EXPECT_EQ(strSouth(0x10DE, 0x0050), "nForce4 MCP");
    EXPECT_EQ(strNorth(0x1106, 0x3189), "KT400 (VT8377)");
    EXPECT_EQ(strSouth(0x1106, 0x3227), "VT8237");
    EXPECT_EQ(strNorth(0x1039, 0x0755), "755/755FX");
    EXPECT_EQ(strSouth(0x1039, 0x0963), "963");
    EXPECT_EQ(strNorth(0x10B9, 0x1647), "AliMagiK1");
    EXPECT_EQ(strSouth(0x1025, 0x1533), "M1533");  // Acer Labs under the parent's id
    EXPECT_EQ(strNorth(0x1002, 0x5952), "Xpress 3200 (RD580)");
    EXPECT_EQ(strSouth(0x1002, 0x438D), "SB600");
    EXPECT_EQ(strNorth(0x1022, 0x1102), "K8 Bridge");
    EXPECT_EQ(strSouth(0x1022, 0x7468), "AMD-8111");
    EXPECT_EQ(strNorth(0x1166, 0x0014), "GC LE");
    EXPECT_EQ(strSouth(0x0E11, 0xA0F3), "Triflex");
    EXPECT_EQ(strNorth(0x1279, 0x0395), "LongRun");
}

TEST(ChipsetNames, VendorNamesAndWhatTheTablesDoNotKnow)
{
    const uint16_t vendors[] = {0x8086, 0x10DE, 0x1106, 0x10B9, 0x1025, 0x1039, 0x1022, 0x1002, 0x1166, 0x0E11, 0x1279};
    const char* const names[] = {"Intel", "NVIDIA", "VIA", "ALi", "ALi", "SiS", "AMD", "ATI", "ServerWorks", "Compaq",
                                 "Transmetta"};
    for (size_t i = 0; i < std::size(vendors); ++i) {
        const CChipsetVendor* pVendor = chipset::pFindVendor(vendors[i]);
        ASSERT_NE(pVendor, nullptr) << std::hex << vendors[i];
        EXPECT_STREQ(pVendor->pszVendor, names[i]);
    }
    EXPECT_EQ(chipset::pFindVendor(0x1AB2), nullptr);
    EXPECT_EQ(strNorth(0x8086, 0x1234), "");
    EXPECT_EQ(strSouth(0x1279, 0x0395), "");  // Transmeta has no south bridge table
}

// A device id listed twice in one table would make the second entry dead.
TEST(ChipsetNames, EachTableListsAnIdOnce)
{
    const CChipsetModelTable* tables[] = {
        &chipset::IntelNorthBridges, &chipset::IntelSouthBridges, &chipset::NVIDIANorthBridges,
        &chipset::NVIDIASouthBridges, &chipset::VIANorthBridges,  &chipset::VIASouthBridges,
        &chipset::SiSNorthBridges,    &chipset::SiSSouthBridges,   &chipset::ALiNorthBridges,
        &chipset::ALiSouthBridges,    &chipset::ATINorthBridges,   &chipset::ATISouthBridges,
        &chipset::AMDNorthBridges,    &chipset::AMDSouthBridges};
    for (const CChipsetModelTable* pTable : tables) {
        std::set<uint16_t> ids;
        ASSERT_GT(pTable->nCount, 0u);
        for (size_t i = 0; i < pTable->nCount; ++i)
            EXPECT_TRUE(ids.insert(pTable->pModels[i].wDeviceID).second)
                << "id " << std::hex << pTable->pModels[i].wDeviceID << " is listed twice ("
                << pTable->pModels[i].pszModel << ")";
    }
}

TEST(ChipsetNames, UnknownBridgesKeepTheirIdTexts)
{
    CChipsetKit kit("demo", [](json& board) {
        PciEntry(board, "00:00.0")["id"] = "8086:1234";  // an Intel id no table has
        PciEntry(board, "00:1f.0")["id"] = "1ab2:7777";  // a vendor no table has
        PciEntry(board, "00:1f.0")["rev"] = "0x0b";
    });
    CChipsetInterface* pChipset = kit.pProbe();
    ASSERT_NE(pChipset, nullptr);
    ASSERT_NE(pChipset->m_pNorthBridge, nullptr);
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szVendor, "Intel");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szModel, "ID1234");
    EXPECT_STREQ(pChipset->m_pNorthBridge->m_szRevision, "02");
    ASSERT_NE(pChipset->m_pSouthBridge, nullptr);
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szVendor, "ID1AB2");
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szModel, "ID7777");
    EXPECT_STREQ(pChipset->m_pSouthBridge->m_szRevision, "0B");
    // No reader ran: the memory info keeps its defaults and the clock is unknown.
    EXPECT_EQ(pChipset->m_pMemoryInfo->m_nMemoryType, -1);
    EXPECT_EQ(pChipset->GetMemoryClock(266.67f, 9.0f), -1.0f);
}

}  // namespace
