// SPDX-License-Identifier: GPL-2.0-or-later
// The gradual FSB change on the demo board's clock chip: each step is one register write and
// a 200 ms settle wait, so a walk of n steps costs at least (n + 1) × 200 ms of board time.
// Reported: "ratio", the board time against that figure; "transfer_ms_per_step", what each
// step costs beyond its wait (the block write on the SMBus); and "ratio_to_protocol", the board
// time against the waits the protocols require: the settle wait plus, on the ICH's byte-by-byte
// block write, at least 1 ms of byte-done wait for every byte after the first. The target is
// a ratio_to_protocol of at most 1.02 ("within_2pct").
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchBoard.h"
#include "KitOnDevice.h"
#include "app/KitBuilder.h"
#include "kit/ORVEXSDK.h"
#include "platform/Clock.h"
#include "pll/ClockGenerator.h"
#include "pll/PLLInterface.h"
#include "pll/PLLModels.h"
#include "sim/SimAccessDevice.h"

namespace {

constexpr double SETTLE_NS = 200e6;

void BM_ApplyWalk(benchmark::State& state)
{
    auto pDevice = QuietBoardDevice(state);
    if (!pDevice) return;
    CKitOnDevice kit(std::move(pDevice));
    app::vBuildKit(ORVEXSDK::Instance());
    CPLLInterface* pPLL = ORVEXSDK::Instance()->m_pPLLInterface;
    if (!kit.bOk() || !pPLL) {
        state.SkipWithError("no clock generator on the demo board");
        return;
    }
    CClockGenerator* pGenerator = pPLL->SelectPLL(0x01951462);
    if (!pGenerator || !pGenerator->bReadClocks(pGenerator->m_Current) || !(pGenerator->m_Current.m_fFSB > 0)) {
        state.SkipWithError("the demo board's ICS 951462 could not be read");
        return;
    }
    const float fFrom = pGenerator->m_Current.m_fFSB;
    const int64_t nSteps = state.range(0);
    CFrequencySet target;
    target.m_fFSB = fFrom + 5.0f * float(nSteps) + 2.0f;  // n steps of 5 MHz, then the target
    double dBoardNs = 0;
    int64_t nWalks = 0;
    for (auto _ : state) {
        pGenerator->m_Current.m_fFSB = fFrom;
        const uint64_t qwStart = platform::QueryPerformanceCounter();
        pGenerator->bApplyClocks(target, nullptr);
        dBoardNs += double(platform::QueryPerformanceCounter() - qwStart);
        ++nWalks;
    }
    const double dRatio = dBoardNs / double(nWalks) / (double(nSteps + 1) * SETTLE_NS);
    state.counters["ratio"] = dRatio;
    // What each step costs beyond its settle wait: the register write on the SMBus.
    const double dProtocolNs = double(nSteps + 1) * (SETTLE_NS + double(pGenerator->m_nRegisterCount - 1) * 1e6);
    const double dRatioToProtocol = dBoardNs / double(nWalks) / dProtocolNs;
    state.counters["ratio_to_protocol"] = dRatioToProtocol;
    state.counters["within_2pct"] = dRatioToProtocol >= 1.0 && dRatioToProtocol <= 1.02 ? 1 : 0;
    state.counters["transfer_ms_per_step"] =
        (dBoardNs / double(nWalks) - double(nSteps + 1) * SETTLE_NS) / double(nSteps + 1) / 1e6;
}
BENCHMARK(BM_ApplyWalk)->Arg(1)->Arg(4)->Arg(16)->Iterations(3);

}  // namespace
