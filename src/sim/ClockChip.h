// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Clock chips on the simulated SMBus: a 256-register file with the habits these parts share
// (a byte-count register that decides how long a block read is, PLL registers that ignore
// writes until a programming-enable bit is set, word transfers on the Realtek-style parts) and
// the clocks the chip drives, worked out by each part from its registers the way the silicon
// does. When a write changes the front-side bus clock, the board's processors run on the new
// bus clock from then on.
//
// A chip family is one file with a creator function and one row in the table of models
// (ClockChipModels.cpp). Board files name the model: {"type": "clock", "model": "ics951462"}.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SMBusTargets.h"

namespace sim {

class CBoardClock;
class CBoardProcessors;
class CSMBusBus;

// What the board gives its clock chips: whom to tell about a new bus clock.
struct ClockChipBoardLink {
    CBoardProcessors* pProcessors = nullptr;
    CBoardClock* pClock = nullptr;
    uint64_t qwMultiplierNum = 1, qwMultiplierDen = 1;
};

// The part-wide options a chip family sets in its constructor.
struct ClockChipTraits {
    // The byte-count register (a block read sends as many data bytes as it holds) and the
    // value it takes at power-on; -1: the chip has none and always sends nFixedCount.
    int nCountRegister = -1;
    uint8_t nCountReset = 0;
    uint8_t nFixedCount = 32;
    // Word transfers reach register (command AND bWordCommandMask): the first byte on the bus
    // is bWordHighByte, the second the register (as the Realtek parts answer). Without word
    // access a word transfer is two byte transfers at command and command + 1.
    bool bWordAccess = false;
    uint8_t bWordCommandMask = 0xFF;
    uint8_t bWordHighByte = 0x00;
};

class CClockChip : public CSMBusTarget {
public:
    // initial: the registers at power-on (the byte-count register is then set to its reset
    // value by the chip, whatever the board file gave for it).
    CClockChip(const ClockChipTraits& traits, const std::array<uint8_t, 256>& initial);

    bool bReadByteData(uint8_t bCommand, uint8_t& bValue) override;
    bool bWriteByteData(uint8_t bCommand, uint8_t bValue) override;
    bool bReadWordData(uint8_t bCommand, uint8_t& bData0, uint8_t& bData1) override;
    bool bWriteWordData(uint8_t bCommand, uint8_t bData0, uint8_t bData1) override;
    bool bBlockRead(uint8_t bCommand, uint8_t& nCount, std::vector<uint8_t>& data) override;
    bool bBlockWrite(uint8_t bCommand, const uint8_t* pData, uint8_t nCount) override;

    // The clocks the chip drives now, in MHz; -1 for an output the chip does not have or
    // that its registers leave undefined.
    virtual double dFSBMHz() const = 0;
    virtual double dGSBMHz() const { return -1.0; }
    virtual double dPCIMHz() const { return -1.0; }

    // Called by the board once it is built (with the board lock not yet in use); hands the
    // chip the bus clock the processors run on at power-on (vPowerOn).
    void vConnect(const ClockChipBoardLink& link);
    // The bus clock the board runs on at power-on, in MHz. A part whose CPU output divider no
    // register shows has it strapped by the board's frequency-select pins: it takes the
    // divider that gives this clock from its power-on VCO. The base has no such divider.
    virtual void vPowerOn(double /*dBusMHz*/) {}

    // For tests: the registers as they are, and the number of writes the gating swallowed.
    const std::array<uint8_t, 256>& Registers() const { return m_Registers; }
    unsigned nIgnoredWrites() const { return m_nIgnoredWrites; }

protected:
    // False when a write to the register is ignored in the chip's present state (its
    // programming-enable bit clear). The base takes every write.
    virtual bool bWritable(uint8_t) const { return true; }
    uint8_t bRegister(unsigned nIndex) const { return m_Registers[nIndex & 0xFF]; }
    // The whole divider that brings dVCO nearest to dClock (at least 1); nDefault when either
    // is not known.
    static unsigned nNearestDivider(double dVCO, double dClock, unsigned nDefault);

    ClockChipTraits m_Traits;

private:
    void vStore(uint8_t nRegister, uint8_t bValue);
    // After a write: when the FSB output moved, the processors take the new bus clock.
    void vWritten(double dFSBBefore);

    std::array<uint8_t, 256> m_Registers{};
    unsigned m_nIgnoredWrites = 0;
    ClockChipBoardLink m_Link;
};

// One chip model: its name in board files and the function that builds it.
using PFN_CREATE_CLOCK_CHIP = std::unique_ptr<CClockChip> (*)(const std::array<uint8_t, 256>& initial);

struct ClockChipModel {
    const char* pszModel;
    PFN_CREATE_CLOCK_CHIP pfnCreate;
};

// The models the board knows (ClockChipModels.cpp).
const std::vector<ClockChipModel>& ClockChipModels();
// A new chip of the model, null for a model that is not in the table.
std::unique_ptr<CClockChip> pCreateClockChip(const std::string& strModel, const std::array<uint8_t, 256>& initial);
// "ics951462, ics9p932, ..." for error messages.
std::string strClockChipModelList();

// Gives every clock chip on the buses the board's processors and clock.
void vConnectClockChips(const std::vector<std::shared_ptr<CSMBusBus>>& buses, const ClockChipBoardLink& link);

}  // namespace sim
