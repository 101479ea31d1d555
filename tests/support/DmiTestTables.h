// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// SMBIOS structures put together byte by byte for the DMI tests, and a driver on a board
// made from a board file's text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "discovery/DMIInterface.h"
#include "kit/DeviceDriver.h"
#include "sim/SimAccessDevice.h"
#include "sim/SimBoard.h"

namespace dmitest {

using Bytes = std::vector<uint8_t>;

// A structure: the formatted area (its length byte is set here unless nLength says
// otherwise), the strings, and the double zero.
inline Bytes Structure(Bytes formatted, const std::vector<std::string>& strings, int nLength = -1)
{
    formatted[1] = uint8_t(nLength < 0 ? formatted.size() : nLength);
    for (const std::string& s : strings) {
        formatted.insert(formatted.end(), s.begin(), s.end());
        formatted.push_back(0);
    }
    if (strings.empty()) formatted.push_back(0);
    formatted.push_back(0);
    return formatted;
}

inline void vAppend(Bytes& table, const Bytes& more) { table.insert(table.end(), more.begin(), more.end()); }

inline Bytes EndOfTable() { return Structure({127, 0, 0xFF, 0xFE}, {}); }

// A table as an American Megatrends BIOS of 2007 leaves it on an ASUS P5B Deluxe.
inline Bytes RealisticTable()
{
    Bytes table;
    vAppend(table, Structure({0, 0, 0, 0, 1, 2, 0x00, 0xF0, 3, 0x0F, 0x80, 0x9E, 0xCB, 0x7F, 0, 0, 0, 0, 0x03, 0x01,
                              8, 15, 0xFF, 0xFF},
                             {"American Megatrends Inc.", "1004", "06/04/2007"}));
    vAppend(table, Structure({1, 0, 1, 0, 1, 2, 3, 4, 0x40, 0xB6, 0x00, 0x1E, 0x8C, 0x00, 0x00, 0x17, 0x31, 0xEA, 0x00,
                              0x18, 0x8F, 0x3F, 0x2E, 0x4A, 0x06, 0, 0},
                             {"System manufacturer", "System Product Name", "System Version", "System Serial Number"}));
    vAppend(table, Structure({2, 0, 2, 0, 1, 2, 3, 4}, {"ASUSTeK Computer INC.", "  P5B-Deluxe  ", "Rev 1.xx", "MT707A1"}));
    vAppend(table, Structure({3, 0, 3, 0, 1, 0x83, 2, 3, 0, 3, 3, 3, 3, 0, 0, 0, 0},
                             {"Chassis Manufacture", "Chassis Version", "Chassis Serial Number"}));
    vAppend(table, Structure({4, 0, 4, 0, 1, 3, 0xBF, 2, 0xF6, 0x06, 0, 0, 0xFF, 0xFB, 0xEB, 0xBF, 3, 0x8D, 0x0A, 0x01,
                              0xD8, 0x0E, 0x60, 0x09, 0x41, 0x15, 0x05, 0, 0x06, 0, 0xFF, 0xFF, 0, 0, 0},
                             {"Socket 775", "Intel", "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz"}));
    vAppend(table, Structure({7, 0, 5, 0, 1, 0x80, 0x01, 0x40, 0, 0x40, 0, 2, 0, 2, 0, 0, 5, 4, 7}, {"L1-Cache"}));
    vAppend(table, Structure({5, 0, 7, 0, 3, 0x04, 0x04, 0x04, 11, 0x01, 0, 0x00, 0x05, 0, 2, 8, 0, 9, 0, 0x04}, {}));
    vAppend(table, Structure({6, 0, 8, 0, 1, 0x01, 0, 0x00, 0x05, 0x8A, 0x8A, 0}, {"DIMM0"}));
    vAppend(table, Structure({6, 0, 9, 0, 1, 0x23, 0, 0x00, 0x05, 0x7F, 0x7F, 0}, {"DIMM1"}));
    vAppend(table, Structure({8, 0, 10, 0, 1, 0x00, 2, 0x0F, 0x0D}, {"PS2KBMS", "PS/2 Keyboard"}));
    vAppend(table, Structure({9, 0, 11, 0, 1, 0x06, 0x05, 0x04, 0x04, 1, 0, 0x0C, 0x01}, {"PCI1"}));
    vAppend(table, Structure({9, 0, 12, 0, 1, 0xAA, 0x0D, 0x03, 0x04, 2, 0, 0x0C, 0x01}, {"PCIEX16_1"}));
    vAppend(table, Structure({16, 0, 13, 0, 0x03, 0x03, 0x03, 0x00, 0x00, 0x80, 0x00, 0xFE, 0xFF, 4, 0}, {}));
    vAppend(table, Structure({17, 0, 14, 0, 13, 0, 0xFE, 0xFF, 64, 0, 64, 0, 0x00, 0x04, 0x09, 0, 1, 2, 0x13, 0x80, 0,
                              0x20, 0x03, 3, 4, 0, 5},
                             {"DIMM A1", "BANK0", "Manufacturer00", "SerNum00", "ModulePartNumber00"}));
    vAppend(table, EndOfTable());
    return table;
}

// The report a structure writes.
inline std::string strDump(CDMIStructure& structure)
{
    char* pBuffer = nullptr;
    size_t nSize = 0;
    FILE* pFile = open_memstream(&pBuffer, &nSize);
    structure.Dump(pFile);
    std::fclose(pFile);
    std::string strText(pBuffer, nSize);
    std::free(pBuffer);
    return strText;
}

// A driver on a board made from board file text, its device open.
class CBoardDriver {
public:
    explicit CBoardDriver(const std::string& strBoardText)
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::FromJson(strBoardText, strError);
        if (!pBoard) {
            ADD_FAILURE() << strError;
            return;
        }
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pDriver = std::make_unique<CDeviceDriver>(std::move(pDevice));
        EXPECT_TRUE(m_pDriver->bInitDriver(nullptr, "vexa", "vexa", 1));
        uint32_t dwError = 0;
        EXPECT_TRUE(m_pDriver->bOpenDevice(dwError));
    }
    ~CBoardDriver()
    {
        if (!m_pDriver) return;
        if (m_pDriver->bIsOpen()) m_pDriver->vCloseDevice();
        m_pDriver->vUnloadDriver();
    }
    bool bReady() const { return m_pDriver != nullptr; }
    CDeviceDriver& Driver() { return *m_pDriver; }
    sim::CSimBoard& Board() { return m_pSim->Board(); }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CDeviceDriver> m_pDriver;
};

// A minimal board with RAM at 0 and in the BIOS area, and the given smbios section.
inline std::string strBoardWith(const std::string& strSmbios, const std::string& strMemoryHex = "")
{
    std::string strText = R"({"name": "dmi-test", "clock": {"bus_mhz": 200, "multiplier": 10}, "cpus": {"count": 1},
        "memory": [{"base": "0x0", "size": "0xa0000"}, {"base": "0xf0000", "size": "0x10000")";
    if (!strMemoryHex.empty()) strText += R"(, "hex": ")" + strMemoryHex + "\"";
    strText += "}]";
    if (!strSmbios.empty()) strText += R"(, "smbios": )" + strSmbios;
    return strText + "}";
}

}  // namespace dmitest
