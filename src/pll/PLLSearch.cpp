// SPDX-License-Identifier: GPL-2.0-or-later
// The PLL divider searches.
#include "pll/PLLSearch.h"

float fClampClock(float f, float fMin, float fMax)
{
    if (fMin > 0 && f < fMin) f = fMin;
    if (fMax > 0 && f > fMax) f = fMax;
    return f;
}

bool bSearchPLL(float fVCO, float fReference, const PLL_SEARCH& search, PLL_SETTING& result)
{
    int32_t nDivisor = search.nStartDivisor;
    if (nDivisor < search.nMinDivisor || !(fReference > 0)) return false;
    float fN = fVCO / (fReference / float(nDivisor)) - search.fOffset;
    while (!(fN <= search.fCeiling)) {
        if (--nDivisor < search.nMinDivisor) return false;
        fN = fVCO / (fReference / float(nDivisor)) - search.fOffset;
    }
    result.nDivisor = nDivisor;
    result.nN = int32_t(fN + 0.5f);
    return true;
}

bool bSearchChipsetPLL(float f, float fReference, const PLL_SEARCH& search, PLL_SETTING& result)
{
    int32_t nDivisor = search.nStartDivisor;
    if (nDivisor < search.nMinDivisor || !(fReference > 0)) return false;
    float fN = f * float(nDivisor) / fReference;
    while (!(fN <= search.fCeiling)) {
        if (--nDivisor < search.nMinDivisor) return false;
        fN = float(nDivisor) * f / fReference;
    }
    result.nDivisor = nDivisor;
    result.nN = int32_t(fN + 0.5f);
    return true;
}
