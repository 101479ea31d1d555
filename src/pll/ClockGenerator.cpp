// SPDX-License-Identifier: GPL-2.0-or-later
// The clock chip driver base: moving the register image, and the gradual walk to new clocks.
#include "pll/ClockGenerator.h"

#include <cmath>

#include "platform/Clock.h"
#include "pll/RegisterTransfer.h"

namespace {

// The most steps a walk may take. No chip spans more than about 1000 MHz, which is 200 steps
// of 5 MHz; a walk that would need more was given a clock no chip can have.
constexpr int32_t MAX_WALK_STEPS = 500;

// The steps of a walk from fFrom to fTo before its final write of fTo, counted from the
// distance: 0 when the walk goes to the target at once (a step that is not above zero could
// never reach it, one larger than the distance is not needed), -1 when the walk is refused:
// a clock that is not finite, or more steps than any chip could need. In floats a walk from
// such a clock would never advance (f + 5 == f).
int32_t nWalkSteps(float fFrom, float fTo, float fStep)
{
    if (!std::isfinite(fFrom) || !std::isfinite(fTo)) return -1;
    const float fDistance = fFrom < fTo ? fTo - fFrom : fFrom - fTo;
    if (!(fStep > 0) || fStep > fDistance) return 0;
    // A step lost in the rounding of the clock could never move it.
    if (fFrom + fStep == fFrom || fFrom - fStep == fFrom) return -1;
    const double dSteps = std::floor(double(fDistance) / double(fStep));
    if (!(dSteps <= MAX_WALK_STEPS)) return -1;
    return int32_t(dSteps);
}

// The steps of a walk from fFrom towards fTo, before its final write of fTo: fnStep(f, nStep,
// nTotal) for each. The steps are added up in floats, as the chips' own tables are; the count
// from the distance only bounds them. The number of steps made, -1 when the walk is refused.
template <typename FnStep>
int32_t nForEachStep(float fFrom, float fTo, float fStep, FnStep fnStep)
{
    const int32_t nSteps = nWalkSteps(fFrom, fTo, fStep);
    if (nSteps <= 0) return nSteps;
    // Rounding in the sum may cost one step more than the distance says, never two.
    const int32_t nLimit = nSteps + 2;
    const bool bUp = fFrom < fTo;
    const int32_t nTotal = int32_t((bUp ? fTo - fFrom : fFrom - fTo) / fStep);
    int32_t nStep = 0;
    float f = bUp ? fFrom + fStep : fFrom - fStep;
    do {
        ++nStep;
        fnStep(f, nStep, nTotal);
        f = bUp ? f + fStep : f - fStep;
    } while ((bUp ? f < fTo : f > fTo) && nStep < nLimit);
    return nStep;
}

// Calls pfnSet with each step from fFrom towards fTo, then with fTo itself. An unchanged
// clock is written once.
void vWalk(CClockGenerator& generator, uint32_t (CClockGenerator::*pfnSet)(float), float fFrom, float fTo,
           float fStep, const PLL_PROGRESS& pfnProgress)
{
    const int32_t nSteps = nForEachStep(fFrom, fTo, fStep, [&](float f, int32_t nStep, int32_t nTotal) {
        (generator.*pfnSet)(f);
        if (pfnProgress) pfnProgress(nStep, nTotal);
    });
    if (nSteps >= 0) (generator.*pfnSet)(fTo);
}

}  // namespace

int32_t nWalkWrites(float fFrom, float fTo, float fStep)
{
    const int32_t nSteps = nForEachStep(fFrom, fTo, fStep, [](float, int32_t, int32_t) {});
    return nSteps < 0 ? 0 : nSteps + 1;
}

CClockGenerator::CClockGenerator(uint32_t dwPLLID) : m_dwPLLID(dwPLLID) {}

uint32_t CClockGenerator::bWriteRegisters(uint32_t dwSettleMilliseconds)
{
    if (m_nRegisterCount <= 0) return 0;
    int32_t nWritten = nWriteRegisterImage(m_pCommandSet, m_nAccessMethod, m_abRegisters, m_nRegisterCount);
    platform::Sleep(dwSettleMilliseconds);
    return nWritten >= m_nRegisterCount;
}

uint32_t CClockGenerator::bReadClocks(CFrequencySet&)
{
    int32_t nCount = nReadRegisterImage(m_pCommandSet, m_nAccessMethod, m_abRegisters);
    if (nCount <= 0) return 0;
    m_nRegisterCount = nCount;
    return 1;
}

uint32_t CClockGenerator::bApplyClocks(const CFrequencySet& target, PLL_PROGRESS pfnProgress)
{
    // A clock that is zero or below is not known and is not walked; one that is not a number
    // is no clock at all, and nWalkSteps refuses it.
    auto bKnown = [](float f) { return !(f <= 0); };
    const bool bFSB = bKnown(target.m_fFSB) && bKnown(m_Current.m_fFSB);
    const bool bGSB = m_bGSBEnabled && bKnown(target.m_fGSB) && bKnown(m_Current.m_fGSB);
    // A walk that could not end is refused before anything is written, the other one too:
    // half a change is not what was asked for.
    if ((bFSB && nWalkSteps(m_Current.m_fFSB, target.m_fFSB, m_fFSBStep) < 0) ||
        (bGSB && nWalkSteps(m_Current.m_fGSB, target.m_fGSB, m_fGSBStep) < 0))
        return 0;
    if (bFSB) vWalk(*this, &CClockGenerator::bSetFSB, m_Current.m_fFSB, target.m_fFSB, m_fFSBStep, pfnProgress);
    if (bGSB) vWalk(*this, &CClockGenerator::bSetGSB, m_Current.m_fGSB, target.m_fGSB, m_fGSBStep, nullptr);
    return 1;
}
