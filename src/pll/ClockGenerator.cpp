// The clock chip driver base: moving the register image, and the gradual walk to new clocks.
#include "pll/ClockGenerator.h"

#include "platform/Clock.h"
#include "pll/RegisterTransfer.h"

namespace {

// Calls pfnSet with each step from fFrom towards fTo, then with fTo itself. An unchanged
// clock is written once.
void vWalk(CClockGenerator& generator, uint32_t (CClockGenerator::*pfnSet)(float), float fFrom, float fTo,
           float fStep, PLL_PROGRESS pfnProgress)
{
    // A step that is not above zero could never reach the target: go there at once.
    if (fFrom < fTo) {
        if (!(fStep > 0) || fStep > fTo - fFrom) {
            (generator.*pfnSet)(fTo);
            return;
        }
        const int32_t nTotal = int32_t((fTo - fFrom) / fStep);
        int32_t nStep = 0;
        float f = fFrom + fStep;
        do {
            (generator.*pfnSet)(f);
            f = f + fStep;
            ++nStep;
            if (pfnProgress) pfnProgress(nStep, nTotal);
        } while (f < fTo);
    } else {
        if (!(fStep > 0) || fStep > fFrom - fTo) {
            (generator.*pfnSet)(fTo);
            return;
        }
        const int32_t nTotal = int32_t((fFrom - fTo) / fStep);
        int32_t nStep = 0;
        float f = fFrom - fStep;
        do {
            (generator.*pfnSet)(f);
            f = f - fStep;
            ++nStep;
            if (pfnProgress) pfnProgress(nStep, nTotal);
        } while (f > fTo);
    }
    (generator.*pfnSet)(fTo);
}

}  // namespace

int32_t nWalkWrites(float fFrom, float fTo, float fStep)
{
    // The same arithmetic as the walk itself, so that the count is the walk's own.
    const bool bUp = fFrom < fTo;
    const float fDistance = bUp ? fTo - fFrom : fFrom - fTo;
    if (!(fStep > 0) || fStep > fDistance) return 1;
    int32_t nWrites = 0;
    float f = bUp ? fFrom + fStep : fFrom - fStep;
    do {
        ++nWrites;
        f = bUp ? f + fStep : f - fStep;
    } while (bUp ? f < fTo : f > fTo);
    return nWrites + 1;
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
    if (target.m_fFSB > 0 && m_Current.m_fFSB > 0)
        vWalk(*this, &CClockGenerator::bSetFSB, m_Current.m_fFSB, target.m_fFSB, m_fFSBStep, pfnProgress);
    if (m_bGSBEnabled && target.m_fGSB > 0 && m_Current.m_fGSB > 0)
        vWalk(*this, &CClockGenerator::bSetGSB, m_Current.m_fGSB, target.m_fGSB, m_fGSBStep, nullptr);
    return 1;
}
