// SPDX-License-Identifier: GPL-2.0-or-later
// Block and word transfers of a register image.
#include "pll/RegisterTransfer.h"

#include "pll/ClockGenerator.h"
#include "smbus/ICCommandSet.h"

namespace {

// Word transfers reach at most this many registers.
constexpr int32_t WORD_REGISTERS = 64;
constexpr int32_t IMAGE_BYTES = 256;

uint8_t bWordCommand(int32_t nAccessMethod, int32_t nRegister)
{
    return uint8_t(nAccessMethod == ACCESS_WORD_HIGH ? (nRegister | 0x80) : nRegister);
}

}  // namespace

int32_t nReadRegisterImage(CICCommandSet* pCommandSet, int32_t nAccessMethod, uint8_t* pImage)
{
    if (!pCommandSet || !pImage) return 0;
    uint8_t abRead[IMAGE_BYTES];
    int32_t nCount = 0;
    if (nAccessMethod == ACCESS_BLOCK) {
        nCount = pCommandSet->ReadBlock(0, IMAGE_BYTES, abRead);
        if (nCount > IMAGE_BYTES) nCount = IMAGE_BYTES;
    } else {
        for (; nCount < WORD_REGISTERS; ++nCount) {
            uint16_t wValue = pCommandSet->ReadWord(bWordCommand(nAccessMethod, nCount));
            if (wValue == 0xFFFF) break;
            abRead[nCount] = uint8_t(wValue & 0xFF);  // the second byte on the bus
        }
    }
    // A failed block read reports -1: nothing arrived.
    if (nCount <= 0) return 0;
    for (int32_t i = 0; i < nCount; ++i) pImage[i] = abRead[i];
    return nCount;
}

int32_t nWriteRegisterImage(CICCommandSet* pCommandSet, int32_t nAccessMethod, const uint8_t* pImage, int32_t nCount)
{
    if (!pCommandSet || !pImage || nCount <= 0) return 0;
    if (nCount > IMAGE_BYTES) nCount = IMAGE_BYTES;
    if (nAccessMethod == ACCESS_BLOCK) return pCommandSet->WriteBlock(0, nCount, pImage);
    int32_t nWritten = 0;
    // The word's high byte goes out first: 0x00, then the register.
    while (nWritten < nCount && pCommandSet->WriteWord(bWordCommand(nAccessMethod, nWritten), pImage[nWritten]))
        ++nWritten;
    return nWritten;
}
