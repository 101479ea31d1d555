// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A simulated board for the benchmarks: loaded from boards/ with its access log switched off
// (the log would be measured with every access). On failure the benchmark is skipped with the
// reason and null is returned.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "sim/SimAccessDevice.h"
#include "sim/SimBoard.h"

inline std::unique_ptr<sim::CSimBoard> QuietBoard(benchmark::State& state, const char* pszName = "demo")
{
    std::string strError;
    auto pBoard = sim::CSimBoard::Load(pszName, strError);
    if (!pBoard) {
        state.SkipWithError(strError.c_str());
        return nullptr;
    }
    pBoard->Log().vSetEnabled(false);
    return pBoard;
}

inline std::unique_ptr<sim::CSimAccessDevice> QuietBoardDevice(benchmark::State& state, const char* pszName = "demo")
{
    auto pBoard = QuietBoard(state, pszName);
    return pBoard ? std::make_unique<sim::CSimAccessDevice>(std::move(pBoard)) : nullptr;
}
