// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A kit on a simulated board with the PCI interface scanned and the chipset interface
// created, as the program builds them, for the chipset tests. Boards can be taken as they
// are or changed first (a register, an id) through their JSON.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "PciTestKit.h"
#include "app/InterfaceCreation.h"
#include "discovery/ChipsetInterface.h"

namespace chipsettest {

using json = nlohmann::json;

inline json BoardJson(const std::string& strName)
{
    std::ifstream file(std::string(PENDULON_BOARDS_DIR) + "/" + strName + ".json");
    std::stringstream text;
    text << file.rdbuf();
    return json::parse(text.str());
}

// The pci entry at "BB:DD.F" of a board document.
inline json& PciEntry(json& board, const std::string& strAt)
{
    for (json& entry : board["pci"])
        if (entry["at"] == strAt) return entry;
    ADD_FAILURE() << "the board has no function " << strAt;
    static json none;
    return none;
}

class CChipsetKit {
public:
    // A board by name, changed by fnChange when one is given.
    explicit CChipsetKit(const std::string& strBoard, const std::function<void(json&)>& fnChange = {})
        : m_PCI(strDocument(strBoard, fnChange))
    {
        m_pPCI = m_PCI.pScan();
        EXPECT_NE(m_pPCI, nullptr);
    }

    // Creates the chipset interface; null when it failed.
    CChipsetInterface* pProbe()
    {
        if (!app::CreateChipsetInterface(&Kit())) return nullptr;
        return Kit().m_pChipsetInterface;
    }

    ORVEXSDK& Kit() { return m_PCI.Kit(); }
    CPCIInterface& PCI() { return *m_pPCI; }
    sim::CSimBoard& Board() { return m_PCI.Board(); }
    uint32_t dwConfig(unsigned nBus, unsigned nDevice, unsigned nFunction, unsigned nOffset)
    {
        return m_pPCI->ReadConfig(nBus, nDevice, nFunction, nOffset);
    }
    uint32_t dwMemory(uint32_t dwAddress)
    {
        uint32_t dw = 0;
        EXPECT_TRUE(Kit().m_pDriver->bReadPhysicalMemory(dwAddress, 4, &dw));
        return dw;
    }
    // The north bridge record at a location, or null.
    CNorthBridge* pNorthBridge(unsigned nBus, unsigned nDevice, unsigned nFunction)
    {
        CChipsetInterface* pChipset = Kit().m_pChipsetInterface;
        if (!pChipset) return nullptr;
        for (CTListItem<CNorthBridge>* p = pChipset->m_pNorthBridges->m_pHead; p && p->m_pObject; p = p->m_pNext) {
            const CPCIDevice* pDevice = p->m_pObject->m_pDevice;
            if (pDevice->m_bBus == nBus && pDevice->m_bDevice == nDevice && pDevice->m_bFunction == nFunction)
                return p->m_pObject;
        }
        return nullptr;
    }

private:
    static std::string strDocument(const std::string& strBoard, const std::function<void(json&)>& fnChange)
    {
        json board = BoardJson(strBoard);
        if (fnChange) fnChange(board);
        return board.dump();
    }

    pcitest::CPciKit m_PCI;
    CPCIInterface* m_pPCI = nullptr;
};

}  // namespace chipsettest
