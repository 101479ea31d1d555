// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a pll command asks for, worked out and checked before anything is written: the
// arguments, the clock chip's model (named with --model, or the chipset's own PLL found by a
// look at the PCI functions alone), and what that model can do (its presets, its limits,
// whether it can set the clocks asked for). Every refusal here is bad input: exit status 2
// with nothing touched.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Session.h"

class CClockGenerator;

namespace cli {

struct PLLArguments {
    std::vector<std::string> arguments;
    std::string strModel;
    std::string strGSB;
    std::string strOutput;
};

struct PLLPlan {
    std::string strAction;
    std::optional<uint32_t> model;  // as named with --model
    uint32_t dwModel = 0;           // the model the command works with
    bool bChipsetPLL = false;       // dwModel is the chipset's own PLL
    bool bModelFromSettings = false;  // no --model: the model chosen last, from the settings file
    float fFSB = -1.0f;
    float fGSB = -1.0f;
    int32_t nPreset = -1;
    std::vector<uint8_t> bytes;
    std::string strOutput;
    std::string strWritesOnRead;  // what reading the chip writes ("" for nearly every chip)

    bool bWrites() const { return strAction == "set" || strAction == "preset" || strAction == "write-dump"; }
};

// The arguments alone (no hardware). EXIT_OK or EXIT_USAGE after saying why.
int nPlanArguments(const std::string& strAction, const PLLArguments& in, PLLPlan& plan);

// The model: the one named, checked against the chipset's own PLL when the machine has one,
// else that PLL; then what the model can do, on a driver made for the check alone (it never
// reaches the hardware). EXIT_OK, or the exit status after saying why.
int nPlanModel(const GlobalOptions& options, PLLPlan& plan);

// The checks of the clocks and presets asked for against a driver (the one made for the plan,
// or the one that has read the chip, whose limits may depend on what it read). EXIT_OK or
// EXIT_USAGE after saying why.
int nCheckPlan(const CClockGenerator& generator, const PLLPlan& plan);

// The tolerance within which the FSB a chip reads back must agree with the bus clock the
// processors measure: half a walk step, and no less than 1 MHz.
float fVerifyTolerance(const CClockGenerator& generator);

}  // namespace cli
