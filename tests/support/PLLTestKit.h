// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The whole kit, built in the program's start order, on a simulated board given by name or
// as a board document, for the clock generator and memory buffer tests; with a look at the
// board's SMBus transactions and its processors' bus clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ChipsetTestKit.h"
#include "KitOnDevice.h"
#include "app/KitBuilder.h"
#include "kit/ORVEXSDK.h"
#include "pll/PLLInterface.h"
#include "sim/BoardProcessors.h"
#include "sim/SMBusBus.h"
#include "sim/SimAccessDevice.h"

namespace plltest {

using json = nlohmann::json;

class CPLLKit {
public:
    explicit CPLLKit(const json& board)
    {
        std::string strError;
        auto pBoard = sim::CSimBoard::FromJson(board.dump(), strError);
        if (!pBoard) {
            ADD_FAILURE() << "cannot load the board: " << strError;
            return;
        }
        auto pDevice = std::make_unique<sim::CSimAccessDevice>(std::move(pBoard));
        m_pSim = pDevice.get();
        m_pKit = std::make_unique<CKitOnDevice>(std::move(pDevice));
        EXPECT_TRUE(m_pKit->bOk());
        app::vBuildKit(ORVEXSDK::Instance());
    }
    explicit CPLLKit(const char* pszBoard) : CPLLKit(chipsettest::BoardJson(pszBoard)) {}

    bool bReady() const { return m_pSim != nullptr; }
    sim::CSimBoard& Board() { return m_pSim->Board(); }
    CPLLInterface* pPLL() { return ORVEXSDK::Instance()->m_pPLLInterface; }

    // The transactions to an address on the board's first SMBus since the last call.
    std::vector<sim::SMBusTransfer> Transfers(uint8_t nAddress, size_t nBus = 0)
    {
        std::vector<sim::SMBusTransfer> found;
        sim::CSMBusBus* pBus = Board().pSMBus(nBus);
        if (!pBus) return found;
        for (const sim::SMBusTransfer& transfer : pBus->Transfers())
            if (transfer.nAddress == nAddress) found.push_back(transfer);
        pBus->vClearTransfers();
        return found;
    }
    // The processors' bus clock in Hz.
    uint64_t qwBusHz()
    {
        std::lock_guard<std::mutex> lock(Board().AccessMutex());
        return static_cast<sim::CBoardProcessors&>(Board().Processors()).qwBusHzLocked();
    }

private:
    sim::CSimAccessDevice* m_pSim = nullptr;
    std::unique_ptr<CKitOnDevice> m_pKit;
};

// The SMBus device entry at an address of a board document's first controller holding one.
inline json& SMBusDevice(json& board, const std::string& strAddress)
{
    for (json& controller : board["smbus"])
        for (json& device : controller["devices"])
            if (device["address"] == strAddress) return device;
    ADD_FAILURE() << "the board has no SMBus device at " << strAddress;
    static json none;
    return none;
}

// Registers from register 0 on as the board file writes them.
inline std::string strHex(const std::vector<std::pair<int, uint8_t>>& registers)
{
    std::vector<uint8_t> bytes;
    for (const auto& [nRegister, bValue] : registers) {
        if (bytes.size() <= size_t(nRegister)) bytes.resize(size_t(nRegister) + 1, 0);
        bytes[size_t(nRegister)] = bValue;
    }
    std::string strText;
    for (uint8_t b : bytes) {
        char sz[4];
        std::snprintf(sz, sizeof(sz), "%02x ", b);
        strText += sz;
    }
    return strText.substr(0, strText.size() - 1);
}

// The demo board with another chip model at 0x69 and, when fBusMHz > 0, another bus clock.
inline json BoardWith(const char* pszModel, const std::vector<std::pair<int, uint8_t>>& registers,
                      double fBusMHz = -1)
{
    json board = chipsettest::BoardJson("demo");
    json& device = SMBusDevice(board, "0x69");
    device["model"] = pszModel;
    device["hex"] = strHex(registers);
    if (fBusMHz > 0) board["clock"]["bus_mhz"] = fBusMHz;
    return board;
}

}  // namespace plltest
