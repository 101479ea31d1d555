// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/DialogUnits.h"

#include <cstdlib>

namespace ui {

int32_t nAverageCharWidth(int32_t nAlphabetWidth) { return (nAlphabetWidth / 26 + 1) / 2; }

int32_t nMulDiv(int32_t nMultiply, int32_t nNumerator, int32_t nDenominator)
{
    if (nDenominator == 0) return -1;
    const int64_t qwProduct = int64_t(nMultiply) * nNumerator;
    const int64_t qwHalf = std::llabs(nDenominator) / 2;
    // Round the magnitude, then give the quotient its sign.
    const bool bNegative = (qwProduct < 0) != (nDenominator < 0);
    const int64_t qwQuotient = (std::llabs(qwProduct) + qwHalf) / std::llabs(nDenominator);
    return int32_t(bNegative ? -qwQuotient : qwQuotient);
}

int32_t nDialogX(int32_t nUnits, const DialogBaseUnits& base) { return nMulDiv(nUnits, base.nCharWidth, 4); }

int32_t nDialogY(int32_t nUnits, const DialogBaseUnits& base) { return nMulDiv(nUnits, base.nCharHeight, 8); }

PixelRect DialogRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, const DialogBaseUnits& base)
{
    // The corners are converted, not the sizes, so that rectangles side by side stay so.
    const int32_t nLeft = nDialogX(x, base), nTop = nDialogY(y, base);
    return {nLeft, nTop, nDialogX(x + nWidth, base) - nLeft, nDialogY(y + nHeight, base) - nTop};
}

}  // namespace ui
