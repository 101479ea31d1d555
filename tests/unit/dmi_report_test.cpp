// SPDX-License-Identifier: GPL-2.0-or-later
// The reports the DMI structures write, from a table as a 2007 BIOS leaves it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DmiTestTables.h"
#include "discovery/DMIInterface.h"

namespace {

using dmitest::Bytes;
using dmitest::Structure;

class DmiReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Bytes table = dmitest::RealisticTable();
        m_Dmi.LoadTable(table.data(), uint32_t(table.size()));
        for (CTListItem<CDMIStructure>* p = m_Dmi.m_pStructures->m_pHead; p; p = p->m_pNext)
            m_Reports.push_back(dmitest::strDump(*p->m_pObject));
        ASSERT_EQ(m_Reports.size(), 13u);
    }
    // The reports of structures made from one table of their own.
    static std::vector<std::string> Reports(const Bytes& table)
    {
        CDMIInterface dmi;
        dmi.LoadTable(table.data(), uint32_t(table.size()));
        std::vector<std::string> reports;
        for (CTListItem<CDMIStructure>* p = dmi.m_pStructures->m_pHead; p; p = p->m_pNext)
            reports.push_back(dmitest::strDump(*p->m_pObject));
        return reports;
    }

    CDMIInterface m_Dmi;
    std::vector<std::string> m_Reports;
};

TEST_F(DmiReport, MachineStructures)
{
    EXPECT_EQ(m_Reports[0],
              "DMI BIOS\n--------\n\tvendor\t\tAmerican Megatrends Inc.\n\tversion\t\t1004\n\tdate\t\t06/04/2007\n\n\n");
    EXPECT_EQ(m_Reports[1],
              "DMI System Information\n----------------------\n\tmanufacturer\tSystem manufacturer\n"
              "\tproduct\t\tSystem Product Name\n\tserial\t\tSystem Serial Number\n"
              "\tUUID\t\t40B6001E-8C000017-31EA0018-8F3F2E4A\n\n\n");
    EXPECT_EQ(m_Reports[2], "DMI Baseboard\n-------------\n\tmanufacturer\tASUSTeK Computer INC.\n\tmodel\t\tP5B-Deluxe\n"
                            "\trevision\tRev 1.xx\n\n\n");
    // The lock bit (0x80) is no part of the chassis type.
    EXPECT_EQ(m_Reports[3], "DMI System Enclosure\n--------------------\n\ttype\t\tDesktop\n"
                            "\tserial\t\tChassis Serial Number\n\n\n");
    EXPECT_EQ(m_Reports[4], "DMI Processor\n-------------\n\tmanufacturer\tIntel\n"
                            "\tmodel\t\tIntel(R) Core(TM)2 CPU          6600  @ 2.40GHz\n"
                            "\tclock speed\t2400.0MHz\n\tFSB speed\t266.0MHz\n\tmultiplier\t9.0x\n\n\n");
}

TEST_F(DmiReport, MemoryStructures)
{
    EXPECT_EQ(m_Reports[5], "DMI Memory Controller\n---------------------\n\tcorrection\tNone\n"
                            "\tMax module size\t2048MBytes\n\n\n");
    EXPECT_EQ(m_Reports[6], "DMI Memory Module\n-----------------\n\tsocket\t\tDIMM0\n\tsize\t\t1024MBytes (double bank)\n\n\n");
    EXPECT_EQ(m_Reports[7], "DMI Memory Module\n-----------------\n\tsocket\t\tDIMM1\n\n\n");  // not installed
    EXPECT_EQ(m_Reports[11], "DMI Physical Memory Array\n-------------------------\n\tlocation\tSystem Board Or Motherboard\n"
                             "\tuse\t\tSystem Memory\n\tmax capacity\t8192MBytes\n\tmax# of devices\t4\n\n\n");
    EXPECT_EQ(m_Reports[12], "DMI Memory Device\n-----------------\n\tformat\t\tDIMM\n\ttotal width\t64bits\n"
                             "\tdata width\t64bits\n\tsize\t\t1024MBytes\n\tspeed\t\t800MHz\n\ttype\t\tDDR2\n\n\n");
}

TEST_F(DmiReport, ConnectorsAndSlots)
{
    EXPECT_EQ(m_Reports[8], "DMI Port Connector\n------------------\n\tdesignation\tPS2KBMS (internal)\n"
                            "\tdesignation\tPS/2 Keyboard (external)\n\tport type\tKeyboard Port\n\tconnector\tPS/2\n\n\n");
    EXPECT_EQ(m_Reports[9], "DMI Extension Slot\n------------------\n\tdesignation\tPCI1\n\ttype\t\tPCI\n"
                            "\twidth\t\t32 bits\n\tpopulated\tyes\n\n\n");
    // Lanes are no bit width.
    EXPECT_EQ(m_Reports[10], "DMI Extension Slot\n------------------\n\tdesignation\tPCIEX16_1\n"
                             "\ttype\t\tPCI Express x16\n\tpopulated\tno\n\n\n");
}

TEST_F(DmiReport, MissingValuesLeaveTheirLinesOut)
{
    Bytes table;
    // A processor with no external clock: no FSB and no multiplier; no strings at all.
    dmitest::vAppend(table, Structure({4, 0, 0, 0, 0, 3, 0xBF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xD8, 0x0E,
                                       0x60, 0x09, 0x41, 0x15},
                                      {}));
    // An SMBIOS 2.1 memory device (no speed field) in an empty slot.
    dmitest::vAppend(table, Structure({17, 0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x09, 0, 1, 0,
                                       0x02, 0x04, 0},
                                      {"DIMM3"}));
    // A chassis type no table lists, and a serial index past the strings.
    dmitest::vAppend(table, Structure({3, 0, 2, 0, 0, 0x45, 0, 7}, {}));
    // A BIOS of SMBIOS 2.0 days with nothing but the vendor.
    dmitest::vAppend(table, Structure({0, 0, 3, 0, 1}, {"Award Software International, Inc."}));
    const std::vector<std::string> reports = Reports(table);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0], "DMI Processor\n-------------\n\tmanufacturer\tunknown\n\tmodel\t\tunknown\n"
                          "\tclock speed\t2400.0MHz\n\n\n");
    EXPECT_EQ(reports[1], "DMI Memory Device\n-----------------\n\tformat\t\tDIMM\n\tsize\t\t0MBytes\n\ttype\t\tUnknown\n\n\n");
    EXPECT_EQ(reports[2], "DMI System Enclosure\n--------------------\n\ttype\t\t0x45\n\tserial\t\tunknown\n\n\n");
    EXPECT_EQ(reports[3], "DMI BIOS\n--------\n\tvendor\t\tAward Software International, Inc.\n\tversion\t\tunknown\n"
                          "\tdate\t\tunknown\n\n\n");
}

TEST_F(DmiReport, LargeSizesComeFromTheExtendedFields)
{
    Bytes table;
    // 32 GiB memory device: size 0x7FFF, extended size 32768 MB at 0x1C.
    dmitest::vAppend(table, Structure({17, 0, 0, 0, 0, 0, 0xFE, 0xFF, 72, 0, 64, 0, 0xFF, 0x7F, 0x09, 0, 0, 0, 0x1A,
                                       0x80, 0, 0x80, 0x0C, 0, 0, 0, 0, 0x02, 0x00, 0x80, 0, 0, 0x80, 0x0C},
                                      {}));
    // A memory array of 2 TiB: 0x80000000 and the extended capacity in bytes.
    dmitest::vAppend(table, Structure({16, 0, 1, 0, 3, 3, 6, 0, 0, 0, 0x80, 0xFE, 0xFF, 16, 0, 0, 0, 0, 0, 0, 0x02,
                                       0, 0},
                                      {}));
    // A SODIMM of unknown size (0xFFFF).
    dmitest::vAppend(table, Structure({17, 0, 2, 0, 0, 0, 0xFE, 0xFF, 64, 0, 64, 0, 0xFF, 0xFF, 0x0D, 0, 0, 0, 0x18,
                                       0, 0, 0, 0},
                                      {}));
    const std::vector<std::string> reports = Reports(table);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[0].find("\tsize\t\t32768MBytes\n"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("\ttype\t\tDDR4\n"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("\tspeed\t\t3200MHz\n"), std::string::npos) << reports[0];
    EXPECT_NE(reports[1].find("\tmax capacity\t2097152MBytes\n"), std::string::npos) << reports[1];
    EXPECT_EQ(reports[2].find("\tsize"), std::string::npos) << reports[2];  // 0xFFFF: unknown
    EXPECT_NE(reports[2].find("\tformat\t\tSODIMM\n"), std::string::npos) << reports[2];
}

}  // namespace
